// The scan page: a scan in progress (and paused) under its tool band, and
// the stop and close questions.

#include "Screenshots.h"
#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/MessageBox.h"
#include "gui/common/ScanChoice.h"
#include "gui/results/ScanPage.h"
#include "support/FakeScanSource.h"
#include "support/TempFolder.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace orvelle::gui::shots {

namespace {

/// A source that opens, then reads its Camera Roll at 37 % until it is stopped.
class HeldSource : public orvelle::test::FakeScanSource {
public:
    Status open(std::string_view) override { return report(1); }
    Status scanCameraRoll(std::vector<MediaFileRecord>&, std::vector<MediaFileRecord>&) override {
        for (int percent = 2;; percent = std::min(percent + 5, 37)) {
            if (const Status answer = report(percent)) return answer;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    // Its media are not on disk: nothing can be previewed or copied.
    Status makePreviewCopy(const std::filesystem::path&, std::filesystem::path&, PreviewProgress,
                           void*) override {
        return kStatusInvalid;
    }
    Status copyFile(const std::filesystem::path&, const std::filesystem::path&, CopyProgressFn,
                    void*) override {
        return kStatusInvalid;
    }
};

void scanProgress(ShotContext& context, bool paused) {
    orvelle::test::TempFolder data("orvelle-shots-scan");
    BackupStore store({{context.catalogue->root()}, data.path()});

    // The main window's look: the blue title band with the scan tools above the page.
    QWidget window;
    window.setObjectName(QStringLiteral("ShotWindow"));
    window.resize(1000, 665);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* title = new QFrame(&window);
    title->setObjectName(QStringLiteral("ShotTitleBand"));
    title->setFixedHeight(90);
    title->setStyleSheet(QStringLiteral("#ShotTitleBand { background: #1f5fa8; }"));
    auto* titleLayout = new QHBoxLayout(title);
    titleLayout->setContentsMargins(24, 0, 24, 0);
    layout->addWidget(title);
    auto* page =
        new ScanPage(store, &window, [](int, BackupStore*) { return std::make_unique<HeldSource>(); });
    page->setStyleSheet(QStringLiteral("orvelle--gui--ScanPage { background: #f3f6fa; }"));
    page->setAttribute(Qt::WA_StyledBackground);
    layout->addWidget(page, 1);
    titleLayout->addWidget(page->toolBand());
    titleLayout->addStretch(1);

    ScanChoice choice;
    choice.ticked.fill(true);
    page->startScan(choice);
    for (int i = 0; i < 100 && page->run().lastPercent() < 37; ++i)
        settle(20);
    settle(100);
    if (paused) page->toolBand()->findChild<QToolButton*>(QStringLiteral("BtnScanPause"))->click();
    saveShot(context, &window, paused ? QStringLiteral("scan-paused") : QStringLiteral("scan-progress"));
    page->run().requestStop();
    page->run().resume();
    page->run().wait();
    settle(20);
}

void question(ShotContext& context, const QString& name, MessageKind kind, const char* textKey,
              const char* titleKey) {
    MessageBox box(nullptr, kind);
    if (titleKey) box.setTitle(messageText(QString::fromLatin1(titleKey)));
    box.setText(messageText(QString::fromLatin1(textKey)));
    box.setCancelShown(true);
    saveShot(context, &box, name);
}

const ShotRegistrar progressShot("scan-progress", [](ShotContext& context) { scanProgress(context, false); });
const ShotRegistrar pausedShot("scan-paused", [](ShotContext& context) { scanProgress(context, true); });
const ShotRegistrar stopShot("scan-stop-question", [](ShotContext& context) {
    question(context, QStringLiteral("scan-stop-question"), MessageKind::Question, "MSG0508", nullptr);
});
const ShotRegistrar closeShot("scan-close-question", [](ShotContext& context) {
    question(context, QStringLiteral("scan-close-question"), MessageKind::Warning, "MSG0511", "MSG0405");
});

} // namespace

} // namespace orvelle::gui::shots
