// Pictures of the export window (a real export of the demo scan, summary and
// detail list), its cancel question, and the print window while it builds
// and with the contacts page shown.

#include "Screenshots.h"

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/MessageBox.h"
#include "gui/export/ExportWindow.h"
#include "gui/export/PrintWindow.h"
#include "scan/ScanRun.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>

#include <iostream>
#include <memory>

namespace orvelle::gui::shots {

namespace {

namespace fs = std::filesystem;

/// A finished scan of the recent demo backup.
struct DemoScan {
    explicit DemoScan(const ShotContext& context) {
        const fs::path backup = context.catalogue->recentBackup();
        store = std::make_unique<BackupStore>(BackupStoreOptions{{context.catalogue->root()}, data.path()});
        ScanRequest request;
        store->readBackupFolder(backup, request.backup);
        request.categories = allScanCategories();
        name = QString::fromStdString(request.backup.displayName);
        run = std::make_unique<ScanRun>(*store);
        run->start(request);
        run->wait();
    }
    orvelle::test::TempFolder data{"orvelle-shots-data"};
    std::unique_ptr<BackupStore> store;
    std::unique_ptr<ScanRun> run;
    QString name;
};

/// Settles until `done` holds, at most `milliseconds`.
template <typename Condition> bool settleUntil(Condition done, int milliseconds = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds) settle(20);
    return done();
}

/// A finished export of the whole demo scan, shown with its summary or its detail list.
void finishedExport(ShotContext& context, bool details, const QString& name) {
    DemoScan scan(context);
    orvelle::test::TempFolder out("orvelle-shots-export");
    ExportWindow window(*scan.run, out.path() / "Orvelle export", scan.name, nullptr);
    window.setWindowModality(Qt::NonModal);
    window.show();
    if (!settleUntil([&] { return window.finished(); })) std::cerr << name.toStdString() << ": export did not end\n";
    if (details) window.findChild<QPushButton*>(QStringLiteral("DetailBtn"))->click();
    saveShot(context, &window, name);
    window.hide();
}

const ShotRegistrar exportFinished("export-finished", [](ShotContext& context) {
    finishedExport(context, true, QStringLiteral("export-finished"));
});

const ShotRegistrar exportSummary("export-summary", [](ShotContext& context) {
    finishedExport(context, false, QStringLiteral("export-summary"));
});

const ShotRegistrar exportCancelQuestion("export-cancel-question", [](ShotContext& context) {
    MessageBox box(nullptr, MessageKind::Question);
    box.setText(messageText(QStringLiteral("MSG1103")));
    saveShot(context, &box, QStringLiteral("export-cancel-question"));
});

const ShotRegistrar printBuilding("print-building", [](ShotContext& context) {
    DemoScan scan(context);
    PrintWindow window(*scan.run, ItemKind::Contacts, false, nullptr);
    window.setWindowModality(Qt::NonModal);
    // Taken before the event loop runs, so the builder has not started yet.
    window.show();
    const QPixmap picture = window.grab();
    const QString file = QString::fromStdString((context.outFolder / "print-building.png").string());
    if (!picture.save(file)) std::cerr << "could not save " << file.toStdString() << "\n";
    else std::cout << file.toStdString() << "\n";
    window.hide();
});

const ShotRegistrar printPage("print-page", [](ShotContext& context) {
    DemoScan scan(context);
    PrintWindow window(*scan.run, ItemKind::Contacts, false, nullptr);
    window.setWindowModality(Qt::NonModal);
    window.show();
    if (!settleUntil([&] { return window.pageReady(); })) std::cerr << "print-page: the page was not shown\n";
    saveShot(context, &window, QStringLiteral("print-page"));
    window.hide();
});

} // namespace

} // namespace orvelle::gui::shots
