// Pictures of the result views after a scan of the recent demo backup: one
// per category, the deleted-only switch on Contacts, and a search.

#include "Screenshots.h"

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/ScanChoice.h"
#include "gui/results/ItemListModel.h"
#include "gui/results/ResultsView.h"
#include "scan/ScanRun.h"
#include "support/TempFolder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <fstream>
#include <functional>
#include <memory>

namespace orvelle::gui::shots {

namespace {

namespace fs = std::filesystem;

/// The recent demo backup, scanned once for all pictures.
struct DemoScan {
    orvelle::test::TempFolder data{"orvelle-shots-results-data"};
    std::unique_ptr<BackupStore> store;
    std::unique_ptr<ScanRun> run;
    ScanChoice choice;
};

DemoScan& demoScan(const ShotContext& context) {
    static DemoScan scan;
    if (!scan.run) {
        scan.store =
            std::make_unique<BackupStore>(BackupStoreOptions{{context.catalogue->root()}, scan.data.path()});
        scan.store->readBackupFolder(context.catalogue->recentBackup(), scan.choice.backup);
        scan.choice.ticked.fill(true);
        scan.run = std::make_unique<ScanRun>(*scan.store);
        scan.run->start(scan.choice.request());
        scan.run->wait();
    }
    return scan;
}

/// A result view over the demo scan showing `kind`, after `prepare` ran on it.
void shoot(ShotContext& context, ItemKind kind, const QString& name,
           const std::function<void(ResultsView&)>& prepare = {}) {
    DemoScan& scan = demoScan(context);
    // Every picture starts from a fully ticked, unfiltered tally.
    for (const CategoryInfo& category : kCategories)
        if (const TallyNode* node = scan.run->tally().categoryNode(category.kind))
            scan.run->tally().select(node->group->key, true);
    auto view = std::make_unique<ResultsView>();
    view->resize(1000, 575);
    view->beginScan(scan.run.get(), scan.choice);
    view->refreshCounts();
    view->selectFirstCategory(kind);
    view->refreshStatistics();
    if (prepare) prepare(*view);
    settle(200);
    saveShot(context, view.get(), name);
    view->findChild<QPushButton*>(QStringLiteral("OptOnOffFilter"))->setChecked(false);
}

const ShotRegistrar cameraRoll("results-camera-roll", [](ShotContext& c) {
    shoot(c, ItemKind::CameraRoll, QStringLiteral("results-camera-roll"));
});
const ShotRegistrar messages("results-messages", [](ShotContext& c) {
    shoot(c, ItemKind::Messages, QStringLiteral("results-messages"));
});
const ShotRegistrar attachments("results-message-attachments", [](ShotContext& c) {
    shoot(c, ItemKind::MessageAttachments, QStringLiteral("results-message-attachments"));
});
const ShotRegistrar contacts("results-contacts", [](ShotContext& c) {
    shoot(c, ItemKind::Contacts, QStringLiteral("results-contacts"));
});
const ShotRegistrar calls("results-call-history", [](ShotContext& c) {
    shoot(c, ItemKind::CallHistory, QStringLiteral("results-call-history"));
});
const ShotRegistrar notes("results-notes", [](ShotContext& c) {
    shoot(c, ItemKind::Notes, QStringLiteral("results-notes"));
});
const ShotRegistrar whatsApp("results-whatsapp", [](ShotContext& c) {
    shoot(c, ItemKind::WhatsApp, QStringLiteral("results-whatsapp"));
});
const ShotRegistrar qq("results-qq",
                       [](ShotContext& c) { shoot(c, ItemKind::QQ, QStringLiteral("results-qq")); });
const ShotRegistrar weChat("results-wechat", [](ShotContext& c) {
    shoot(c, ItemKind::WeChat, QStringLiteral("results-wechat"));
});
const ShotRegistrar reminders("results-reminder", [](ShotContext& c) {
    shoot(c, ItemKind::Reminder, QStringLiteral("results-reminder"));
});
const ShotRegistrar calendar("results-calendar", [](ShotContext& c) {
    shoot(c, ItemKind::Calendar, QStringLiteral("results-calendar"));
});
const ShotRegistrar bookmarks("results-safari-bookmark", [](ShotContext& c) {
    shoot(c, ItemKind::SafariBookmark, QStringLiteral("results-safari-bookmark"));
});
const ShotRegistrar appPhotos("results-app-photos", [](ShotContext& c) {
    shoot(c, ItemKind::AppPhotos, QStringLiteral("results-app-photos"));
});
const ShotRegistrar deletedOnly("results-deleted-only", [](ShotContext& c) {
    shoot(c, ItemKind::Contacts, QStringLiteral("results-deleted-only"), [](ResultsView& view) {
        view.findChild<QPushButton*>(QStringLiteral("OptOnOffFilter"))->click();
    });
});
const ShotRegistrar search("results-search", [](ShotContext& c) {
    shoot(c, ItemKind::CallHistory, QStringLiteral("results-search"), [](ResultsView& view) {
        auto* edit = view.findChild<QLineEdit*>(QStringLiteral("EditSearch"));
        edit->setText(QStringLiteral("+1202"));
        emit edit->returnPressed();
    });
});

} // namespace

} // namespace orvelle::gui::shots
