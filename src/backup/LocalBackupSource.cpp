#include "backup/LocalBackupSource.h"

#include "backup/BackupStore.h"
#include "backup/DatabaseScans.h"
#include "backup/StoredFileCopy.h"
#include "backup/encryption/BackupDecryption.h"
#include "backup/encryption/DecryptProtocol.h"
#include "platform/PathText.h"

namespace orvelle {

namespace {

// The REASON of an "Error: REASON" line of the decryption program; empty for other lines.
std::string_view errorReason(std::string_view line) {
    const std::string_view prefix = kErrorText;
    if (line.substr(0, prefix.size()) != prefix) return {};
    line.remove_prefix(prefix.size());
    while (!line.empty() && line.front() == ' ')
        line.remove_prefix(1);
    return line;
}

} // namespace

Status LocalBackupSource::attach(BackupStore* store) {
    m_store = store;
    return kStatusOk;
}

Status LocalBackupSource::setCallback(ScanCallback callback, void* userData) {
    if (!m_store) return kStatusInvalid;
    m_store->setCallback(callback, userData);
    return kStatusOk;
}

Status LocalBackupSource::open(std::string_view password) {
    if (!m_store) return kStatusInvalid;
    ScanProgress& progress = m_store->progress();
    progress.setProgress(0);
    progress.setStep(kStepPlainBackup);
    if (const Status answer = progress.report(0)) return answer;
    m_store->clearCandidates();
    m_store->clearManifest();
    m_store->setOpenProblem({});

    const BackupInfo& backup = m_store->currentBackup();
    const std::filesystem::path folder = platform::utf8Path(backup.folder);
    std::filesystem::path decryptedCopy;
    if (backup.encrypted) {
        progress.setStep(kStepEncryptedBackup);
        ScratchDecryption request;
        request.outputFolder = m_store->decryptedCopyFolder();
        request.backupFolder = folder;
        request.program = m_decryptProgram;
        request.step = kStepEncryptedBackup;
        // The program's (or the start's) "Error: REASON" line: why the
        // backup cannot be opened, for the front end to show.
        std::string reason;
        request.messages = [&reason](std::string_view line) {
            if (const std::string_view text = errorReason(line); !text.empty()) reason = text;
        };
        std::int32_t value = progress.progress();
        const Status status = decryptToScratch(
            request, password, value, [&progress](std::int32_t v) { return progress.report(v); },
            decryptedCopy);
        progress.setProgress(value);
        if (status != kStatusOk) m_store->setOpenProblem(reason);
        // A copy that could not be made leaves no manifest to read: the
        // backup cannot be opened (not "a backup without a manifest").
        if (status == kStatusInvalid) return kStatusFailed;
        if (status != kStatusOk) return status;
    } else {
        progress.setProgress(1);
        if (const Status answer = progress.report(1)) return answer;
    }
    const Status result = m_store->loadManifest(folder, decryptedCopy);
    if (!decryptedCopy.empty()) m_store->useDecryptedCopy(decryptedCopy);
    if (const Status answer = progress.advance(progress.step())) return answer;
    return result;
}

Status LocalBackupSource::scanMessages(ConversationMap& chats) {
    return m_store ? scanMessageDatabase(*m_store, chats) : kStatusInvalid;
}

Status LocalBackupSource::scanMessageAttachments(std::vector<AttachmentRecord>& attachments) {
    return m_store ? m_store->scanMessageAttachments(attachments) : kStatusInvalid;
}

Status LocalBackupSource::scanContacts(std::vector<ContactRecord>& contacts) {
    return m_store ? scanContactDatabase(*m_store, contacts) : kStatusInvalid;
}

Status LocalBackupSource::scanNotes(std::vector<NoteRecord>& notes) {
    return m_store ? scanNoteDatabase(*m_store, notes) : kStatusInvalid;
}

Status LocalBackupSource::scanCallHistory(std::vector<CallRecord>& calls) {
    return m_store ? scanCallDatabase(*m_store, calls) : kStatusInvalid;
}

Status LocalBackupSource::scanCameraRoll(std::vector<MediaFileRecord>& cameraRoll,
                                            std::vector<MediaFileRecord>& photoStream) {
    return m_store ? m_store->scanCameraRoll(cameraRoll, photoStream) : kStatusInvalid;
}

Status LocalBackupSource::scanWhatsAppAttachments(std::vector<MediaFileRecord>& attachments) {
    if (!m_store) return kStatusInvalid;
    attachments = m_store->whatsAppAttachments();
    ScanProgress& progress = m_store->progress();
    if (!progress.hasCallback()) {
        progress.advance(progress.step());
        return kStatusOk;
    }
    return progress.advance(progress.step());
}

Status LocalBackupSource::scanAppFiles(std::vector<AppFileRecord>& appFiles) {
    return m_store ? m_store->scanAppFiles(appFiles) : kStatusInvalid;
}

Status LocalBackupSource::scanQQ(AccountChatMap& chats) {
    return m_store ? scanQqDatabases(*m_store, chats) : kStatusInvalid;
}

Status LocalBackupSource::scanWeChat(AccountChatMap& chats) {
    return m_store ? scanWeChatDatabases(*m_store, chats) : kStatusInvalid;
}

Status LocalBackupSource::scanWhatsApp(WhatsAppChatMap& chats) {
    return m_store ? scanWhatsAppDatabase(*m_store, chats) : kStatusInvalid;
}

Status LocalBackupSource::scanReminders(std::vector<ReminderRecord>& reminders) {
    return m_store ? scanReminderDatabases(*m_store, reminders) : kStatusInvalid;
}

Status LocalBackupSource::scanCalendar(std::vector<CalendarEventRecord>& events) {
    return m_store ? scanCalendarDatabase(*m_store, events) : kStatusInvalid;
}

Status LocalBackupSource::scanBookmarks(std::vector<BookmarkRecord>& bookmarks) {
    return m_store ? scanBookmarkDatabase(*m_store, bookmarks) : kStatusInvalid;
}

Status LocalBackupSource::makePreviewCopy(const std::filesystem::path& storedPath,
                                             std::filesystem::path& previewPath, PreviewProgress function,
                                             void* context) {
    return m_store ? m_store->makePreviewCopy(storedPath, previewPath, function, context) : kStatusInvalid;
}

Status LocalBackupSource::copyFile(const std::filesystem::path& source,
                                      const std::filesystem::path& destination, CopyProgressFn function,
                                      void* context) {
    return copyStoredFile(source, destination, function, context);
}

Status LocalBackupSource::exportDeletedMessages(const std::filesystem::path& output) {
    return m_store ? exportMessageDatabase(*m_store, output) : kStatusInvalid;
}

Status LocalBackupSource::exportDeletedContacts(const std::filesystem::path& output) {
    return m_store ? exportContactDatabase(*m_store, output) : kStatusInvalid;
}

} // namespace orvelle
