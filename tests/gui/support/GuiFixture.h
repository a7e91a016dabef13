#pragma once
/// What the desktop program's tests share: a program folder of their own
/// (settings, language files and templates copied from the source tree, so
/// that switching the language never touches the build), and generated
/// backup catalogues.

#include "support/TempFolder.h"

#include <filesystem>

namespace orvelle::gui::test {

/// A temporary program folder with config.ini, Languages/ and template/
/// copied from the source tree, loaded into LanguageTexts (English).
class ProgramFolderCopy {
public:
    ProgramFolderCopy();
    const std::filesystem::path& path() const { return m_folder.path(); }

private:
    orvelle::test::TempFolder m_folder{"orvelle-gui-program"};
};

/// A backup root holding the two demo backups and the encrypted demo backup
/// (password "orvelle-demo"), in a temporary folder.
class DemoCatalogue {
public:
    DemoCatalogue();
    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path recentBackup() const;
    std::filesystem::path olderBackup() const;
    std::filesystem::path encryptedBackup() const { return m_encrypted; }

private:
    orvelle::test::TempFolder m_folder{"orvelle-gui-catalogue"};
    std::filesystem::path m_root;
    std::filesystem::path m_encrypted;
};

} // namespace orvelle::gui::test
