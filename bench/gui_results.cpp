// The result views on a large generated backup (tests/support/LargeBackup.h),
// offscreen: how long opening a category takes (node selected -> list filled
// and painted) for Messages, Contacts and the largest file category; ticking
// and unticking a whole category; the deleted-only switch; one search
// keystroke. Each against the 150 ms a click may take. And, while the scan
// runs with the views attached (counts refreshed on every countsUpdated, as
// the scan page does), the largest gap between ticks of a 10 ms timer,
// against 100 ms.
//
//   bench_gui_results [SCALE]      (default 1.0)

#include "backup/BackupStore.h"
#include "core/Categories.h"
#include "gui/common/DialogScript.h"
#include "gui/common/ScanChoice.h"
#include "gui/results/CategoryTreeModel.h"
#include "gui/results/ItemListModel.h"
#include "gui/results/ResultsView.h"
#include "gui/support/GuiFixture.h"
#include "scan/ScanRun.h"
#include "support/LargeBackup.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <iostream>

namespace fs = std::filesystem;
using namespace orvelle;
using namespace orvelle::gui;

namespace {

constexpr double kClickTargetMs = 150;
constexpr double kStallTargetMs = 100;

/// Hands the worker's news to the user-interface thread as queued signals.
class ScanRelay : public QObject, public ScanObserver {
    Q_OBJECT
public:
    void countsUpdated() override { emit counts(); }
    void firstCategoryHasResults(ItemKind kind) override { emit first(static_cast<int>(kind)); }
    void scanFinished(Status) override { emit finished(); }
signals:
    void counts();
    void first(int kind);
    void finished();
};

void report(const char* what, double ms, double target) {
    std::printf("  %-46s %9.1f ms  %s (target %.0f ms)\n", what, ms, ms <= target ? "ok  " : "SLOW", target);
}

/// Lets pending events run, then paints the list at once.
void paint(QTreeView* list) {
    QApplication::processEvents();
    list->viewport()->repaint();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
    if (!(scale > 0 && scale <= 5)) {
        std::cerr << "usage: bench_gui_results [SCALE in (0, 5]]\n";
        return 2;
    }
    gui::test::ProgramFolderCopy program;
    DialogScript::start(); // a preview's progress dialog must not wait for a click

    orvelle::test::TempFolder temp("orvelle-bench-gui-results");
    const fs::path root = temp / "Backup";
    const fs::path folder = root / "00008110-00BE0C0A0C0B801E";
    std::cerr << "building the backup (scale " << scale << ")...\n";
    QElapsedTimer clock;
    clock.start();
    orvelle::test::buildLargeBackup(folder, scale);
    std::cerr << "built in " << clock.elapsed() / 1000.0 << " s\n";

    BackupStore store(BackupStoreOptions{{root}, temp / "data"});
    ScanChoice choice;
    if (store.readBackupFolder(folder, choice.backup) != kStatusOk) {
        std::cerr << "cannot read the generated backup\n";
        return 1;
    }
    choice.ticked.fill(true);
    ScanRelay bridge;
    ScanRun run(store, &bridge);
    ResultsView view;
    view.resize(1000, 575);
    view.show();
    QObject::connect(&bridge, &ScanRelay::counts, &view, [&view] { view.refreshCounts(); });
    QObject::connect(&bridge, &ScanRelay::first, &view,
                     [&view](int kind) { view.selectFirstCategory(static_cast<ItemKind>(kind)); });

    // --- the scan, with a 10 ms timer watching the event loop ---
    QEventLoop loop;
    QObject::connect(&bridge, &ScanRelay::finished, &loop, &QEventLoop::quit);
    QTimer probe;
    probe.setInterval(10);
    QElapsedTimer sinceTick;
    qint64 largestGap = 0;
    long ticks = 0;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (sinceTick.isValid()) largestGap = std::max(largestGap, sinceTick.elapsed());
        sinceTick.start();
        ++ticks;
    });
    probe.start();
    clock.start();
    if (run.start(choice.request()) != kStatusOk) {
        std::cerr << "the scan did not start\n";
        return 1;
    }
    view.beginScan(&run, choice);
    loop.exec();
    probe.stop();
    const double scanSeconds = clock.elapsed() / 1000.0;
    run.wait();
    view.refreshCounts();
    view.refreshStatistics();

    auto* tree = view.findChild<QTreeView*>(QStringLiteral("NodeTree"));
    auto* list = view.findChild<QTreeView*>(QStringLiteral("DataList"));
    auto* treeModel = qobject_cast<CategoryTreeModel*>(tree->model());
    auto* filter = view.findChild<QPushButton*>(QStringLiteral("OptOnOffFilter"));
    auto* search = view.findChild<QLineEdit*>(QStringLiteral("EditSearch"));

    std::printf("result views, scale %.2f: scan %.1f s; messages %u chats, contacts %u, calls %u, notes %u\n", scale,
                scanSeconds, run.count(ItemKind::Messages), run.count(ItemKind::Contacts),
                run.count(ItemKind::CallHistory), run.count(ItemKind::Notes));
    std::printf("  %-46s %9lld ms  %s (target %.0f ms; %ld ticks)\n", "largest event-loop stall during the scan",
                static_cast<long long>(largestGap), largestGap <= kStallTargetMs ? "ok  " : "SLOW", kStallTargetMs,
                ticks);

    auto open = [&](ItemKind kind) {
        QElapsedTimer timer;
        timer.start();
        tree->setCurrentIndex(treeModel->indexOf(kind));
        paint(list);
        return timer.nsecsElapsed() / 1e6;
    };

    ItemKind largestFiles = ItemKind::CameraRoll;
    for (const ItemKind kind : {ItemKind::PhotoStream, ItemKind::MessageAttachments, ItemKind::WhatsAppAttachments})
        if (run.count(kind) > run.count(largestFiles)) largestFiles = kind;
    open(ItemKind::Notes); // warm the fonts and the style
    for (const auto& [name, kind] : {std::pair{"open Messages", ItemKind::Messages},
                                     std::pair{"open Contacts", ItemKind::Contacts},
                                     std::pair{"open Call History", ItemKind::CallHistory}}) {
        char label[80];
        std::snprintf(label, sizeof label, "%s (%u rows)", name, run.count(kind));
        report(label, open(kind), kClickTargetMs);
    }
    {
        char label[80];
        std::snprintf(label, sizeof label, "open the largest file category (%u rows)", run.count(largestFiles));
        report(label, open(largestFiles), kClickTargetMs);
    }

    // Ticking the shown category off and on through its node.
    for (const auto state : {Qt::Unchecked, Qt::Checked}) {
        QElapsedTimer timer;
        timer.start();
        treeModel->setData(treeModel->indexOf(largestFiles), state, Qt::CheckStateRole);
        paint(list);
        report(state == Qt::Unchecked ? "untick the whole file category" : "tick the whole file category",
               timer.nsecsElapsed() / 1e6, kClickTargetMs);
    }

    // The deleted-only switch on the largest database category.
    open(ItemKind::CallHistory);
    for (const bool on : {true, false}) {
        QElapsedTimer timer;
        timer.start();
        filter->click();
        paint(list);
        report(on ? "deleted-only on (Call History)" : "deleted-only off (Call History)", timer.nsecsElapsed() / 1e6,
               kClickTargetMs);
    }

    // A keystroke that keeps most rows, one that narrows it, and one that
    // matches nothing (every column of every row is read). Return applies the
    // search without the typing pause, so only the filtering is timed.
    for (const char* text : {"5", "55", "zq"}) {
        search->setText(QString::fromLatin1(text));
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(search, &press);
        paint(list);
        char label[80];
        std::snprintf(label, sizeof label, "search \"%s\" in Call History (%d rows left)", text,
                      list->model()->rowCount());
        report(label, timer.nsecsElapsed() / 1e6, kClickTargetMs);
    }
    return 0;
}

#include "gui_results.moc"
