#include "gui/support/GuiFixture.h"

#include "gui/app/LanguageTexts.h"
#include "support/DemoBackup.h"
#include "support/EncryptedFixture.h"

namespace orvelle::gui::test {

namespace fs = std::filesystem;

ProgramFolderCopy::ProgramFolderCopy() {
    const fs::path source = ORVELLE_SOURCE_DIR;
    fs::copy_file(source / "config.ini", path() / "config.ini");
    fs::copy(source / "Languages", path() / "Languages", fs::copy_options::recursive);
    fs::copy(source / "template", path() / "template", fs::copy_options::recursive);
    LanguageTexts::instance().load(path());
}

DemoCatalogue::DemoCatalogue() {
    m_root = m_folder.path() / "Backup";
    orvelle::test::makeDemoBackups(m_root);
    m_encrypted = orvelle::test::makeEncryptedDemoBackup(m_root);
}

fs::path DemoCatalogue::recentBackup() const { return m_root / std::string(orvelle::test::kDemoRecentFolder); }
fs::path DemoCatalogue::olderBackup() const { return m_root / std::string(orvelle::test::kDemoOlderFolder); }

} // namespace orvelle::gui::test
