#pragma once
/// A fresh folder under the system's temporary folder, removed with its
/// contents when the object goes away.

#include "support/Environment.h"

#include <filesystem>
#include <string>

namespace orvelle::test {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "orvelle-test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

/// Makes a fresh folder the system's temporary folder for this process and
/// the programs it starts (TMPDIR, and TMP and TEMP on Windows) until the
/// object goes away; then puts the variables back and removes the folder with
/// everything in it. Anything that asks the system for its temporary folder
/// (TempFolder, the decryption scratch folder) stays inside it.
class ProgramTempFolder {
public:
    explicit ProgramTempFolder(const std::string& prefix);
    const std::filesystem::path& path() const { return m_folder.path(); }

private:
    TempFolder m_folder;
    ScopedVariable m_tmpdir;
    ScopedVariable m_tmp;
    ScopedVariable m_temp;
};

/// Writes `data` to `path`, creating parent folders; throws on failure.
void writeFile(const std::filesystem::path& path, std::string_view data);

/// Reads a whole file; throws on failure.
std::string readFile(const std::filesystem::path& path);

} // namespace orvelle::test
