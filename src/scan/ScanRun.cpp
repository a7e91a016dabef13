#include "scan/ScanRun.h"

#include "backup/BackupStore.h"
#include "backup/ManifestLoader.h"

namespace orvelle {

std::set<ItemKind> allScanCategories() {
    std::set<ItemKind> kinds;
    for (const CategoryInfo& category : kCategories)
        if (category.kind != ItemKind::None) kinds.insert(category.kind);
    return kinds;
}

ScanRun::ScanRun(BackupStore& store, ScanObserver* observer, ScanSourceFactory factory)
    : m_store(store), m_observer(observer), m_factory(std::move(factory)) {
    if (!m_factory) m_factory = createScanSource;
}

ScanRun::~ScanRun() {
    stop();
}

Status ScanRun::start(const ScanRequest& request) {
    stop();
    clearResults();
    m_source.reset();
    if (request.sourceType != static_cast<int>(ScanSourceType::LocalBackup)) return 1;
    m_store.selectBackup(request.backup);
    m_source = m_factory(request.sourceType, &m_store);
    if (!m_source) return 1;
    m_request = request;
    m_source->setCallback(&ScanRun::progress, this);
    m_control.begin();
    m_worker = std::thread([this] { work(); });
    return kStatusOk;
}

void ScanRun::pause() {
    if (m_paused) return;
    m_control.hold();
    m_paused = true;
}

void ScanRun::resume() {
    if (!m_paused) return;
    m_paused = false;
    m_control.release();
}

void ScanRun::stop() {
    if (m_worker.joinable()) m_control.requestStop();
    resume();
    joinWorker();
}

void ScanRun::wait() {
    joinWorker();
}

void ScanRun::joinWorker() {
    if (m_worker.joinable() && m_worker.get_id() != std::this_thread::get_id()) m_worker.join();
}

int ScanRun::lastPercent() const {
    std::lock_guard<std::mutex> guard(m_stateLock);
    return m_lastPercent;
}

std::uint32_t ScanRun::count(ItemKind kind) const {
    const auto index = static_cast<std::size_t>(kind);
    if (kind == ItemKind::None || index >= m_counts.size()) return 0;
    std::lock_guard<std::mutex> guard(m_stateLock);
    return m_counts[index];
}

CategoryOutcome ScanRun::outcome(ItemKind kind) const {
    const auto index = static_cast<std::size_t>(kind);
    if (kind == ItemKind::None || index >= m_outcomes.size()) return {};
    std::lock_guard<std::mutex> guard(m_stateLock);
    return m_outcomes[index];
}

std::map<ItemKind, std::string> ScanRun::outcomeTexts() const {
    std::map<ItemKind, std::string> texts;
    std::lock_guard<std::mutex> guard(m_stateLock);
    for (std::size_t i = 0; i < m_outcomes.size(); ++i)
        if (m_outcomes[i].state != CategoryState::notScanned)
            texts.emplace(static_cast<ItemKind>(i), outcomeText(m_outcomes[i]));
    return texts;
}

void ScanRun::recordOutcome(ItemKind kind, Status result) {
    const auto index = static_cast<std::size_t>(kind);
    if (kind == ItemKind::None || index >= m_outcomes.size()) return;
    CategoryOutcome outcome = categoryOutcome(kind, result);
    // Without a manifest these categories find nothing: that is the manifest's
    // fault, not a backup without such files.
    if (m_manifestUnread && readThroughManifest(kind) && outcome.state != CategoryState::stopped)
        outcome = manifestUnreadable(manifestStatusText(m_openResult.load()));
    std::lock_guard<std::mutex> guard(m_stateLock);
    m_outcomes[index] = std::move(outcome);
}

ItemKind ScanRun::firstResultCategory() const {
    std::lock_guard<std::mutex> guard(m_stateLock);
    return m_firstResult;
}

void ScanRun::clearResults() {
    m_tally.clear();
    m_results.clear();
    std::lock_guard<std::mutex> guard(m_stateLock);
    m_lastPercent = 0;
    m_openedAnnounced = false;
    m_counts.fill(0);
    m_firstResult = ItemKind::None;
    m_outcomes.fill({});
    m_manifestUnread = false;
    m_lastResult.store(kStatusOk);
    m_openResult.store(kStatusOk);
}

void ScanRun::recomputeCounts() {
    std::shared_lock<std::shared_mutex> reading(m_resultsLock);
    std::array<std::uint32_t, kItemKindCount> counts{};
    for (const CategoryInfo& category : kCategories)
        if (category.kind != ItemKind::None)
            counts[static_cast<std::size_t>(category.kind)] =
                categoryCount(category.kind, m_results, m_tally);
    std::lock_guard<std::mutex> guard(m_stateLock);
    m_counts = counts;
}

std::int32_t ScanRun::progress(void* run, std::int32_t percent) {
    ScanRun& self = *static_cast<ScanRun*>(run);
    self.m_control.enterReport(); // blocks here while the controlling thread pauses the scan
    if (self.m_control.stopRequested()) {
        self.m_control.release();
        return kStatusStopped;
    }
    bool opened = false;
    int shown = 0;
    {
        std::lock_guard<std::mutex> guard(self.m_stateLock);
        if (percent <= self.m_lastPercent) {
            self.m_control.release();
            return kStatusOk;
        }
        if (percent == 1 && !self.m_openedAnnounced) opened = self.m_openedAnnounced = true;
        shown = percent < 2 ? 2 : (percent >= 100 ? 99 : percent);
        self.m_lastPercent = shown;
    }
    self.recomputeCounts();
    if (self.m_observer) {
        if (opened) self.m_observer->scanOpened();
        self.m_observer->progressShown(shown);
    }
    self.m_control.release();
    return kStatusOk;
}

void ScanRun::work() {
    Status result = m_source->open(m_request.password);
    m_openResult.store(result);
    m_lastResult.store(result);
    bool notifyFinished = true;
    if (result == kStatusStopped) {
        // stopped while opening
    } else if (result == kStatusFailed || result == kStatusEncryptionDamaged) {
        m_control.requestStop();
        if (m_observer) m_observer->openFailed();
        result = kStatusStopped;
    } else if (result == kStatusWrongPassword) {
        if (m_observer) m_observer->passwordNeeded();
        notifyFinished = false; // the front end asks for the password and starts again
    } else {
        m_manifestUnread = result != kStatusOk && m_store.manifest().empty();
        recomputeCounts();
        if (m_observer) m_observer->countsUpdated();
        runCategories(); // leaves the last operation's result in m_lastResult
        // Whatever open or the last category answered, a front end hears that the scan ended.
        result = m_lastResult.load();
    }
    m_lastResult.store(result);
    m_control.end();
    if (notifyFinished && m_observer) m_observer->scanFinished(result);
}

Status ScanRun::runCategories() {
    auto ticked = [this](ItemKind kind) { return m_request.categories.count(kind) != 0; };
    ScanResults& r = m_results;
    ScanSource& source = *m_source;
    Status status = kStatusOk;
    // Runs one operation; false when the scan must end (stopped). The
    // category's completion step runs even after a stop, so what the
    // containers already hold is counted and shown.
    auto run = [&](Status result, std::initializer_list<ItemKind> kinds) {
        status = result;
        m_lastResult.store(result);
        for (ItemKind kind : kinds) {
            if (ticked(kind)) recordOutcome(kind, result);
            completeCategory(kind, ticked(kind));
        }
        return result != kStatusStopped;
    };

    if (ticked(ItemKind::CameraRoll) || ticked(ItemKind::PhotoStream))
        if (!run(source.scanCameraRoll(r.cameraRoll, r.photoStream),
                 {ItemKind::CameraRoll, ItemKind::PhotoStream}))
            return status;
    if (ticked(ItemKind::Messages) && !run(source.scanMessages(r.messageChats), {ItemKind::Messages}))
        return status;
    if (ticked(ItemKind::MessageAttachments) &&
        !run(source.scanMessageAttachments(r.messageAttachments), {ItemKind::MessageAttachments}))
        return status;
    if (ticked(ItemKind::Contacts) && !run(source.scanContacts(r.contacts), {ItemKind::Contacts}))
        return status;
    if (ticked(ItemKind::CallHistory) && !run(source.scanCallHistory(r.calls), {ItemKind::CallHistory}))
        return status;
    if (ticked(ItemKind::Notes) && !run(source.scanNotes(r.notes), {ItemKind::Notes})) return status;
    if (ticked(ItemKind::AppPhotos) || ticked(ItemKind::AppVideos))
        if (!run(source.scanAppFiles(r.appFiles), {ItemKind::AppPhotos, ItemKind::AppVideos})) return status;
    if (ticked(ItemKind::WhatsApp) && !run(source.scanWhatsApp(r.whatsAppChats), {ItemKind::WhatsApp}))
        return status;
    if (ticked(ItemKind::WhatsAppAttachments) &&
        !run(source.scanWhatsAppAttachments(r.whatsAppAttachments), {ItemKind::WhatsAppAttachments}))
        return status;
    if (ticked(ItemKind::Reminder) && !run(source.scanReminders(r.reminders), {ItemKind::Reminder}))
        return status;
    if (ticked(ItemKind::Calendar) && !run(source.scanCalendar(r.events), {ItemKind::Calendar})) return status;
    if (ticked(ItemKind::SafariBookmark) &&
        !run(source.scanBookmarks(r.bookmarks), {ItemKind::SafariBookmark}))
        return status;
    if (ticked(ItemKind::QQ) && !run(source.scanQQ(r.qqChats), {ItemKind::QQ})) return status;
    if (ticked(ItemKind::WeChat) && !run(source.scanWeChat(r.weChatChats), {ItemKind::WeChat})) return status;
    return status;
}

void ScanRun::completeCategory(ItemKind kind, bool addToTally) {
    {
        // Under the scan lock too: a paused scan completes nothing, so a
        // window may read everything while it holds the pause.
        std::lock_guard<WorkerControl> paused(m_control);
        std::unique_lock<std::shared_mutex> exclusive(m_resultsLock);
        m_results.prepare(kind);
        if (addToTally) m_tally.addCategory(kind, m_results);
    }
    recomputeCounts();
    if (addToTally) announceResults(kind);
}

void ScanRun::announceResults(ItemKind kind) {
    bool becameFirst = false;
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        if (m_counts[static_cast<std::size_t>(kind)] > 0 && m_firstResult == ItemKind::None) {
            m_firstResult = kind;
            becameFirst = true;
        }
    }
    if (!m_observer) return;
    m_observer->countsUpdated();
    if (becameFirst) m_observer->firstCategoryHasResults(kind);
}

} // namespace orvelle
