#include "gui/results/ScanPage.h"

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/BusyIndicator.h"
#include "gui/common/Icons.h"
#include "gui/common/MessageBox.h"
#include "gui/common/ScanChoice.h"
#include "gui/export/ExportWindow.h"
#include "gui/export/PrintWindow.h"
#include "gui/results/ResultsShared.h"
#include "gui/results/ResultsView.h"
#include "gui/results/ScanBridge.h"
#include "ui_ScanPage.h"
#include "ui_ScanToolBand.h"

#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <array>
#include <vector>

namespace orvelle::gui {

namespace {

/// The order in which a run announces its categories (one count update per
/// ticked category, after the update that follows open). It is the run's
/// fixed operation order, with the two halves of Camera Roll / Photo Stream
/// and of App Photos / App Videos next to each other.
constexpr std::array<ItemKind, 16> kAnnounceOrder{ItemKind::CameraRoll,
                                                  ItemKind::PhotoStream,
                                                  ItemKind::Messages,
                                                  ItemKind::MessageAttachments,
                                                  ItemKind::Contacts,
                                                  ItemKind::CallHistory,
                                                  ItemKind::Notes,
                                                  ItemKind::AppPhotos,
                                                  ItemKind::AppVideos,
                                                  ItemKind::WhatsApp,
                                                  ItemKind::WhatsAppAttachments,
                                                  ItemKind::Reminder,
                                                  ItemKind::Calendar,
                                                  ItemKind::SafariBookmark,
                                                  ItemKind::QQ,
                                                  ItemKind::WeChat};

/// How often a stopping worker is looked at.
constexpr int kStopPollMilliseconds = 20;

const QString kSection = QStringLiteral("PageScan");

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

/// The name of a category as the category page shows it.
QString categoryName(ItemKind kind) {
    for (const CategoryInfo& category : kCategories) {
        if (category.kind != kind) continue;
        // The categories without an option are named as their tree rows are.
        const QString shown =
            onCategoryPage(category)
                ? languageText(QStringLiteral("PageSpecifyFile"), fromView(category.optionControl))
                : pageText(categoryNodeKey(category), fromView(category.treeLabel));
        return shown.isEmpty() ? fromView(category.treeLabel) : shown;
    }
    return {};
}

/// A skin icon redrawn in white, for the blue title band (and a faded copy
/// for disabled buttons).
QIcon bandIcon(const QString& name, qreal devicePixelRatio) {
    const QPixmap base = skinPixmap(name, QSize(18, 18), devicePixelRatio);
    if (base.isNull()) return {};
    auto tinted = [&base](const QColor& color) {
        QPixmap out(base.size());
        out.setDevicePixelRatio(base.devicePixelRatio());
        out.fill(Qt::transparent);
        QPainter painter(&out);
        painter.drawPixmap(QPoint(0, 0), base);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRect(QPoint(0, 0), base.size()), color);
        return out;
    };
    QIcon icon;
    icon.addPixmap(tinted(Qt::white), QIcon::Normal);
    icon.addPixmap(tinted(QColor(255, 255, 255, 110)), QIcon::Disabled);
    return icon;
}

} // namespace

enum class ScanPage::Phase {
    Idle,
    Preparing,
    Scanning,
    Paused,
    Stopping,
    Finished,
    Stopped,
    PasswordNeeded,
    OpenFailed
};

struct ScanPage::State {
    State(BackupStore& store, ScanSourceFactory factory) : run(store, &bridge, std::move(factory)) {}

    ScanBridge bridge; // outlives the run: the worker reports to it until it is joined
    ScanRun run;
    Ui::ScanPage ui;
    Ui::ScanToolBand bandUi;
    QPointer<QWidget> band;
    ResultsView* resultsView = nullptr;
    ScanChoice choice;
    std::vector<ItemKind> announced; ///< the ticked categories in announce order
    int countsHeard = 0;             ///< count updates of this run so far
    int generation = 0;              ///< signals of other generations are stale
    Phase phase = Phase::Idle;
    bool hasResults = false;
    bool stopping = false; ///< a stop wait is running
    bool closing = false;  ///< a close was confirmed: late signals change nothing
};

ScanPage::ScanPage(BackupStore& store, QWidget* parent, ScanSourceFactory factory)
    : QWidget(parent), m_state(std::make_unique<State>(store, std::move(factory))) {
    State& s = *m_state;
    s.ui.setupUi(this);
    s.band = new QWidget;
    s.bandUi.setupUi(s.band);

    s.resultsView = new ResultsView(this);
    s.ui.DataListLayout->layout()->addWidget(s.resultsView);

    const qreal ratio = devicePixelRatioF();
    s.ui.LblRemarkIcon->setPixmap(skinPixmap(QStringLiteral("box-information"), QSize(20, 20), ratio));
    s.bandUi.BtnScanStop->setIcon(bandIcon(QStringLiteral("stop"), ratio));
    s.bandUi.BtnHome->setIcon(bandIcon(QStringLiteral("home"), ratio));
    s.bandUi.BtnRecovery->setIcon(bandIcon(QStringLiteral("recover"), ratio));
    s.bandUi.BtnPrint->setIcon(bandIcon(QStringLiteral("print"), ratio));

    // Worker -> page: always queued, so every handler runs on this thread.
    connect(&s.bridge, &ScanBridge::opened, this, &ScanPage::onOpened, Qt::QueuedConnection);
    connect(&s.bridge, &ScanBridge::percentChanged, this, &ScanPage::onPercent, Qt::QueuedConnection);
    connect(&s.bridge, &ScanBridge::countsChanged, this, &ScanPage::onCounts, Qt::QueuedConnection);
    connect(&s.bridge, &ScanBridge::firstResults, this, &ScanPage::onFirstResults, Qt::QueuedConnection);
    connect(&s.bridge, &ScanBridge::passwordAsked, this, &ScanPage::onPasswordAsked, Qt::QueuedConnection);
    connect(&s.bridge, &ScanBridge::openingFailed, this, &ScanPage::onOpeningFailed, Qt::QueuedConnection);
    connect(&s.bridge, &ScanBridge::ended, this, &ScanPage::onScanEnded, Qt::QueuedConnection);

    connect(s.bandUi.BtnScanPause, &QToolButton::clicked, this, &ScanPage::onPauseClicked);
    connect(s.bandUi.BtnScanStop, &QToolButton::clicked, this, &ScanPage::onStopClicked);
    connect(s.bandUi.BtnHome, &QToolButton::clicked, this, &ScanPage::onHomeClicked);
    connect(s.bandUi.BtnRecovery, &QToolButton::clicked, this, &ScanPage::onRecoverClicked);
    connect(s.bandUi.BtnPrint, &QToolButton::clicked, this, &ScanPage::onPrintClicked);
    connect(s.resultsView, &ResultsView::tallyChanged, this, &ScanPage::applyRecoverRule);
    connect(&LanguageTexts::instance(), &LanguageTexts::languageChanged, this, &ScanPage::applyTexts);

    clearPage();
    applyTexts();
}

ScanPage::~ScanPage() {
    State& s = *m_state;
    s.closing = true;
    if (scanning()) {
        s.run.requestStop();
        s.run.resume();
        s.run.wait(); // the window is going away; the worker ends at its next report
    }
    delete s.resultsView; // before the run whose containers it shows
    s.resultsView = nullptr;
    if (s.band && !s.band->parent()) delete s.band.data();
}

QWidget* ScanPage::toolBand() const {
    return m_state->band;
}
ScanRun& ScanPage::run() {
    return m_state->run;
}
ResultsView* ScanPage::resultsView() const {
    return m_state->resultsView;
}
bool ScanPage::scanning() const {
    return !m_state->run.scanFinished();
}
bool ScanPage::hasResults() const {
    return m_state->hasResults;
}

void ScanPage::applyTexts() {
    State& s = *m_state;
    LanguageTexts::instance().applySection(kSection, this);
    if (s.band) LanguageTexts::instance().applySection(kSection, s.band);
    if (s.resultsView) s.resultsView->applyTexts();
    updatePauseButton();
    updateStatusTexts();
}

// --- starting and clearing -------------------------------------------------

void ScanPage::startScan(const ScanChoice& choice) {
    State& s = *m_state;
    if (s.stopping) return; // a stop wait is still running below us
    if (scanning()) stopAndWait();
    s.run.wait();
    s.generation = s.bridge.nextGeneration();
    s.choice = choice;
    s.announced.clear();
    const ScanRequest request = choice.request();
    for (ItemKind kind : kAnnounceOrder)
        if (request.categories.count(kind)) s.announced.push_back(kind);
    s.countsHeard = 0;
    s.hasResults = false;
    s.closing = false;

    s.ui.ProgressScan->setValue(0);
    s.ui.LblPercent->setText(QStringLiteral("0%"));
    s.bandUi.LblBandPercent->setText(QStringLiteral("0%"));
    showProgressView();
    s.ui.BtnGifLoading->start();
    s.bandUi.ScanToolBar->show();
    s.bandUi.ReocveryToolBar->hide();
    s.bandUi.BtnScanPause->setEnabled(true);
    s.bandUi.BtnScanStop->setEnabled(true);
    s.bandUi.BtnHome->setEnabled(false);
    s.bandUi.BtnRecovery->setEnabled(false);
    s.bandUi.BtnPrint->setEnabled(false);
    setPhase(Phase::Preparing);
    updatePauseButton();

    const Status started = s.run.start(request);
    // The views are rebuilt after the run took its new source, so the preview
    // reads from the backup being scanned now.
    s.resultsView->beginScan(&s.run, choice);
    if (started != kStatusOk) {
        // Nothing runs: the page ends as a failed open would.
        s.ui.BtnGifLoading->stop();
        s.bandUi.ScanToolBar->hide();
        s.bandUi.ReocveryToolBar->show();
        s.bandUi.BtnHome->setEnabled(true);
        setPhase(Phase::OpenFailed);
        warnCannotOpen();
        emit scanEnded();
    }
}

void ScanPage::clearPage() {
    State& s = *m_state;
    s.generation = s.bridge.nextGeneration(); // whatever the last run still had queued is stale now
    if (s.resultsView) s.resultsView->clear();
    if (!scanning()) {
        // A start that starts nothing empties the run: results, tally and source.
        ScanRequest nothing;
        nothing.sourceType = -1;
        s.run.start(nothing);
    }
    s.hasResults = false;
    s.countsHeard = 0;
    s.announced.clear();
    s.ui.ProgressScan->setValue(0);
    s.ui.LblPercent->setText(QStringLiteral("0%"));
    s.bandUi.LblBandPercent->setText(QStringLiteral("0%"));
    showProgressView();
    s.ui.BtnGifLoading->stop();
    s.bandUi.ScanToolBar->show();
    s.bandUi.ReocveryToolBar->hide();
    s.bandUi.BtnHome->setEnabled(false);
    s.bandUi.BtnRecovery->setEnabled(false);
    s.bandUi.BtnPrint->setEnabled(false);
    setPhase(Phase::Idle);
    updatePauseButton();
}

// --- what the worker tells ---------------------------------------------------

void ScanPage::onOpened(int generation) {
    if (generation != m_state->generation || m_state->closing) return;
    emit scanOpened();
}

void ScanPage::onPercent(int generation) {
    State& s = *m_state;
    if (generation != s.generation || s.closing) return;
    const int percent = s.bridge.takePercent();
    if (percent <= 0) return;
    s.ui.ProgressScan->setValue(percent);
    const QString text = QStringLiteral("%1%").arg(percent);
    s.ui.LblPercent->setText(text);
    s.bandUi.LblBandPercent->setText(text);
}

void ScanPage::onCounts(int generation) {
    State& s = *m_state;
    if (generation != s.generation || s.closing) return;
    ++s.countsHeard;
    if (s.phase == Phase::Preparing)
        setPhase(Phase::Scanning);
    else
        updateStatusTexts();
    s.resultsView->refreshCounts();
    s.resultsView->refreshStatistics();
    applyRecoverRule();
}

void ScanPage::onFirstResults(int generation, int kind) {
    State& s = *m_state;
    if (generation != s.generation || s.closing) return;
    s.hasResults = true;
    s.resultsView->selectFirstCategory(static_cast<ItemKind>(kind));
    showResultsView();
    applyRecoverRule();
}

void ScanPage::onPasswordAsked(int generation) {
    State& s = *m_state;
    if (generation != s.generation || s.closing) return;
    // The run ends without a scan end: no results state, only the way home.
    s.ui.BtnGifLoading->stop();
    s.bandUi.ScanToolBar->hide();
    s.bandUi.ReocveryToolBar->show();
    s.bandUi.BtnHome->setEnabled(true);
    s.bandUi.BtnRecovery->setEnabled(false);
    s.bandUi.BtnPrint->setEnabled(false);
    setPhase(Phase::PasswordNeeded);
    emit passwordNeeded();
}

void ScanPage::onOpeningFailed(int generation) {
    State& s = *m_state;
    if (generation != s.generation || s.closing) return;
    s.ui.BtnGifLoading->stop();
    setPhase(Phase::OpenFailed);
    warnCannotOpen();
}

void ScanPage::warnCannotOpen() {
    const State& s = *m_state;
    // A damaged keybag or manifest: no password opens the backup, so it is
    // told apart from a wrong password, with the reason the decryption gave.
    const std::string& reason = s.run.store().openProblem();
    QString text = messageText(QStringLiteral("MSG0512"));
    if (s.run.openResult() == kStatusEncryptionDamaged && !reason.empty())
        text = formatMessage(messageText(QStringLiteral("MSG0514")), {QString::fromStdString(reason)});
    // A notice, not a question: only OK.
    MessageBox box(window(), MessageKind::Warning);
    box.setText(text);
    box.setCancelShown(false);
    box.run();
}

void ScanPage::onScanEnded(int generation, int result) {
    State& s = *m_state;
    if (generation != s.generation || s.closing) return;
    s.run.resume(); // a pause taken for a question has nothing left to hold
    if (s.phase != Phase::OpenFailed)
        setPhase(s.run.stopRequested() || result == kStatusStopped ? Phase::Stopped : Phase::Finished);
    if (s.phase == Phase::Finished) {
        s.ui.ProgressScan->setValue(100);
        s.ui.LblPercent->setText(QStringLiteral("100%"));
    }
    s.bandUi.ScanToolBar->hide();
    s.bandUi.ReocveryToolBar->show();
    s.ui.BtnGifLoading->stop();
    s.bandUi.BtnHome->setEnabled(true);
    updatePauseButton();
    s.resultsView->refreshCounts();
    s.resultsView->refreshStatistics();
    applyRecoverRule();
    emit scanEnded();
}

// --- the tool band -------------------------------------------------------------

void ScanPage::onPauseClicked() {
    State& s = *m_state;
    if (!scanning() || s.stopping) return;
    if (s.run.paused()) {
        s.run.resume();
        s.ui.BtnGifLoading->start();
        setPhase(s.countsHeard > 0 ? Phase::Scanning : Phase::Preparing);
    } else {
        s.run.pause();
        s.ui.BtnGifLoading->stop();
        setPhase(Phase::Paused);
    }
    updatePauseButton();
    // While paused, what was found so far can be recovered or printed already.
    s.bandUi.ReocveryToolBar->setVisible(s.run.paused());
    s.bandUi.BtnHome->setEnabled(false);
    applyRecoverRule();
}

void ScanPage::pauseForQuestion() {
    State& s = *m_state;
    if (s.run.paused()) return;
    s.run.pause();
    s.ui.BtnGifLoading->stop();
}

void ScanPage::undoPauseForQuestion(bool wasPaused) {
    State& s = *m_state;
    if (wasPaused || !s.run.paused()) return;
    s.run.resume();
    if (scanning()) s.ui.BtnGifLoading->start();
}

void ScanPage::onStopClicked() {
    State& s = *m_state;
    if (!scanning() || s.stopping) return;
    const bool wasPaused = s.run.paused();
    pauseForQuestion();
    if (showMessageBox(window(), MessageKind::Question, messageText(QStringLiteral("MSG0508"))) !=
        kAnswerOk) {
        undoPauseForQuestion(wasPaused);
        return;
    }
    stopAndWait();
}

void ScanPage::stopAndWait() {
    State& s = *m_state;
    s.run.requestStop();
    s.run.resume();
    updatePauseButton();
    if (!s.run.scanFinished()) {
        s.stopping = true;
        const Phase before = s.phase;
        setPhase(Phase::Stopping);
        s.bandUi.BtnScanPause->setEnabled(false);
        s.bandUi.BtnScanStop->setEnabled(false);
        QApplication::setOverrideCursor(Qt::BusyCursor);
        // The worker sees the request at its next report and unwinds; the
        // event loop keeps running meanwhile (paint, timers, queued signals).
        QEventLoop loop;
        QTimer poll;
        poll.setInterval(kStopPollMilliseconds);
        connect(&poll, &QTimer::timeout, &loop, [&loop, &s] {
            if (s.run.scanFinished()) loop.quit();
        });
        poll.start();
        if (!s.run.scanFinished()) loop.exec();
        QApplication::restoreOverrideCursor();
        s.bandUi.BtnScanPause->setEnabled(true);
        s.bandUi.BtnScanStop->setEnabled(true);
        s.stopping = false;
        // The scan end may already have been handled inside the loop.
        if (s.phase == Phase::Stopping) setPhase(before == Phase::Paused ? Phase::Scanning : before);
    }
    s.run.wait(); // the worker has finished: this only joins it
}

void ScanPage::onHomeClicked() {
    State& s = *m_state;
    if (s.stopping) return;
    if (s.hasResults &&
        showMessageBox(window(), MessageKind::Question, messageText(QStringLiteral("MSG0510"))) != kAnswerOk)
        return;
    if (scanning()) stopAndWait();
    clearPage();
    emit homeRequested();
}

void ScanPage::onRecoverClicked() {
    State& s = *m_state;
    if (!s.bandUi.BtnRecovery->isEnabled()) return;
    startExport(window(), s.run, QString::fromStdString(s.choice.backup.displayName));
    // Ticks cannot change behind the export window, but the scan may have ended.
    applyRecoverRule();
}

void ScanPage::onPrintClicked() {
    State& s = *m_state;
    if (!s.bandUi.BtnPrint->isEnabled()) return;
    ItemKind kind = s.resultsView->currentCategory();
    if (kind == ItemKind::None) kind = s.run.firstResultCategory();
    if (kind == ItemKind::None) return;
    PrintWindow(s.run, kind, s.resultsView->deletedOnly(), window()).exec();
}

bool ScanPage::confirmClose() {
    State& s = *m_state;
    if (s.stopping) return false; // the window may close once the stop has ended
    const bool busy = scanning();
    // The run knows of results before its queued news reaches this page.
    const bool results = s.hasResults || s.run.firstResultCategory() != ItemKind::None;
    if (!busy && !results) return true;
    const bool wasPaused = s.run.paused();
    if (busy) pauseForQuestion();
    MessageBox box(window(), MessageKind::Warning);
    box.setTitle(messageText(QStringLiteral("MSG0405")));
    box.setText(messageText(QStringLiteral("MSG0511")));
    box.setCancelShown(true);
    if (box.run() != kAnswerOk) {
        undoPauseForQuestion(wasPaused);
        return false;
    }
    s.closing = true;
    if (scanning()) stopAndWait();
    s.run.resume();
    return true;
}

// --- state shown -----------------------------------------------------------------

void ScanPage::setPhase(Phase phase) {
    m_state->phase = phase;
    updateStatusTexts();
}

void ScanPage::updateStatusTexts() {
    State& s = *m_state;
    std::uint32_t found = 0;
    for (ItemKind kind : kAnnounceOrder)
        found += s.run.count(kind);
    const QString foundSoFar =
        formatMessage(messageText(QStringLiteral("MSG0504")), {QString::number(found)});
    const QString foundAll =
        found > 0 ? formatMessage(messageText(QStringLiteral("MSG0523")), {QString::number(found)})
                  : messageText(QStringLiteral("MSG0525"));
    QString headline;
    QString info = foundSoFar;
    switch (s.phase) {
    case Phase::Idle:
    case Phase::Preparing:
        headline = messageText(QStringLiteral("MSG0501"));
        break;
    case Phase::Scanning: {
        const int index = s.countsHeard - 1;
        headline =
            index >= 0 && index < static_cast<int>(s.announced.size())
                ? formatMessage(messageText(QStringLiteral("MSG0503")), {categoryName(s.announced[index])})
                : messageText(QStringLiteral("MSG0501"));
        break;
    }
    case Phase::Paused:
        headline = messageText(QStringLiteral("MSG0522"));
        break;
    case Phase::Stopping:
        headline = messageText(QStringLiteral("MSG0524"));
        break;
    case Phase::Finished:
        headline = messageText(QStringLiteral("MSG0520"));
        info = foundAll;
        break;
    case Phase::Stopped:
        headline = messageText(QStringLiteral("MSG0521"));
        info = foundAll;
        break;
    case Phase::PasswordNeeded:
        headline = messageText(QStringLiteral("MSG0526"));
        info.clear();
        break;
    case Phase::OpenFailed:
        headline = messageText(QStringLiteral("MSG0512"));
        info.clear();
        break;
    }
    s.ui.LblScanType->setText(headline);
    s.ui.LblScanInfo->setText(info);
    s.ui.LblScanInfo->setVisible(!info.isEmpty());
    s.ui.LblRemark->setText(messageText(QStringLiteral("MSG0502")));
}

void ScanPage::updatePauseButton() {
    State& s = *m_state;
    const bool paused = s.run.paused();
    s.bandUi.BtnScanPause->setText(
        messageText(paused ? QStringLiteral("MSG0506") : QStringLiteral("MSG0507")));
    s.bandUi.BtnScanPause->setIcon(
        bandIcon(paused ? QStringLiteral("resume") : QStringLiteral("pause"), devicePixelRatioF()));
}

void ScanPage::applyRecoverRule() {
    State& s = *m_state;
    // The tally is read only while the worker is held or gone.
    const bool settled = s.run.paused() || (s.run.scanFinished() && s.phase != Phase::PasswordNeeded);
    const bool anything = settled && s.hasResults && s.run.tally().selectedVisibleCount() > 0;
    s.bandUi.BtnRecovery->setEnabled(anything);
    s.bandUi.BtnPrint->setEnabled(settled && s.hasResults);
}

void ScanPage::showProgressView() {
    State& s = *m_state;
    s.ui.ScanStack->setCurrentWidget(s.ui.iPhoneInfoLayout);
}

void ScanPage::showResultsView() {
    State& s = *m_state;
    s.ui.ScanStack->setCurrentWidget(s.ui.DataListLayout);
    s.ui.BtnGifLoading->stop();
}

} // namespace orvelle::gui
