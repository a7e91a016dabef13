#pragma once
/// A fresh folder under the system's temporary folder, removed with its
/// contents when the object goes away.

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

/// Writes `data` to `path`, creating parent folders; throws on failure.
void writeFile(const std::filesystem::path& path, std::string_view data);

/// Reads a whole file; throws on failure.
std::string readFile(const std::filesystem::path& path);

} // namespace orvelle::test
