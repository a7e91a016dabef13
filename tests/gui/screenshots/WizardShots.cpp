// Pictures of the wizard's first two steps, the password dialog and the
// question shown when a chosen folder holds no backup.

#include "Screenshots.h"
#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/MessageBox.h"
#include "gui/common/ScanChoice.h"
#include "gui/wizard/BackupListPage.h"
#include "gui/wizard/CategoryPage.h"
#include "gui/wizard/PasswordDialog.h"
#include "support/TempFolder.h"

#include <QCheckBox>

namespace orvelle::gui::shots {

namespace {

constexpr QSize kPageSize{1000, 575};

ShotRegistrar backupList("backup-list", [](ShotContext& context) {
    orvelle::test::TempFolder data("orvelle-shots-data");
    BackupStore store(BackupStoreOptions{{context.catalogue->root()}, data.path()});
    ScanChoice choice;
    BackupListPage page(store, choice);
    page.resize(kPageSize);
    saveShot(context, &page, QStringLiteral("backup-list"));
});

ShotRegistrar categoryPage("category-page", [](ShotContext& context) {
    ScanChoice choice;
    CategoryPage page(choice);
    page.resize(kPageSize);
    // A typical choice: every category (the page starts with all of them ticked).
    saveShot(context, &page, QStringLiteral("category-page"));
});

ShotRegistrar passwordDialog("password-dialog", [](ShotContext& context) {
    PasswordDialog dialog;
    saveShot(context, &dialog, QStringLiteral("password-dialog"));
});

ShotRegistrar noBackupInFolder("select-folder-again", [](ShotContext& context) {
    MessageBox box(nullptr, MessageKind::Question);
    box.setText(messageText(QStringLiteral("MSG0311")));
    saveShot(context, &box, QStringLiteral("select-folder-again"));
});

} // namespace

} // namespace orvelle::gui::shots
