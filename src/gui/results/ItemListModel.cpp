#include "gui/results/ItemListModel.h"

#include "core/NoteText.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/Icons.h"
#include "gui/common/PlainText.h"
#include "gui/results/ResultsShared.h"
#include "scan/DisplayText.h"
#include "scan/FileTypes.h"
#include "scan/ScanRun.h"

#include <QSize>

namespace orvelle::gui {

namespace {

constexpr int kRowHeight = 30;

template <typename Record>
const Record& recordOf(const void* container, int row) {
    return (*static_cast<const std::vector<Record>*>(container))[static_cast<std::size_t>(row)];
}

template <typename Record>
int sizeOf(const void* container) {
    return static_cast<int>(static_cast<const std::vector<Record>*>(container)->size());
}

std::string_view firstLine(std::string_view text) {
    const auto end = text.find_first_of("\r\n");
    return end == std::string_view::npos ? text : text.substr(0, end);
}

/// Cell texts are drawn on one line.
QString oneLine(std::string_view text) {
    QString line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    for (QChar& c : line)
        if (c == u'\n' || c == u'\r' || c == u'\t') c = u' ';
    return line;
}

std::string_view keep(std::string& scratch, std::string text) {
    scratch = std::move(text);
    return scratch;
}

} // namespace

ItemListModel::ItemListModel(QObject* parent) : QAbstractTableModel(parent) {
    m_pictureIcon = skinIcon(QStringLiteral("picture"));
    m_videoIcon = skinIcon(QStringLiteral("video"));
    m_soundIcon = skinIcon(QStringLiteral("sound"));
    m_folderIcon = skinIcon(QStringLiteral("folder"));
    m_deletedIcon = skinIcon(QStringLiteral("deleted"));
    applyTexts();
}

void ItemListModel::setRun(ScanRun* run) {
    beginResetModel();
    m_run = run;
    forgetShown(ItemKind::None);
    endResetModel();
}

void ItemListModel::forgetShown(ItemKind kind) {
    m_kind = kind;
    m_level = Level::Items;
    m_container = nullptr;
    m_apps.clear();
    m_count = 0;
    m_deletedOnly = false;
    m_search.setQuery({});
    m_allRows = true;
    m_rows.clear();
}

void ItemListModel::clear() {
    setRun(m_run);
}

void ItemListModel::showCategory(ItemKind kind) {
    beginResetModel();
    forgetShown(kind);
    if (m_run) {
        const ScanResults& r = m_run->results();
        switch (kind) {
        case ItemKind::CameraRoll: m_container = &r.cameraRoll; break;
        case ItemKind::PhotoStream: m_container = &r.photoStream; break;
        case ItemKind::WhatsAppAttachments: m_container = &r.whatsAppAttachments; break;
        case ItemKind::MessageAttachments: m_container = &r.messageAttachments; break;
        case ItemKind::Messages: m_container = &r.messageSummaries; break;
        case ItemKind::Contacts: m_container = &r.contacts; break;
        case ItemKind::CallHistory: m_container = &r.calls; break;
        case ItemKind::Notes: m_container = &r.notes; break;
        case ItemKind::WhatsApp: m_container = &r.whatsAppSummaries; break;
        case ItemKind::Reminder: m_container = &r.reminders; break;
        case ItemKind::Calendar: m_container = &r.events; break;
        case ItemKind::SafariBookmark: m_container = &r.bookmarks; break;
        case ItemKind::QQ:
        case ItemKind::WeChat:
            m_container = &r.messengerSummaries(kind);
            break;
        case ItemKind::AppPhotos:
        case ItemKind::AppVideos:
            m_level = Level::Apps;
            for (const auto& [app, files] : kind == ItemKind::AppPhotos ? r.appPhotos : r.appVideos)
                m_apps.emplace_back(&app, &files);
            break;
        default: break;
        }
        switch (kind) {
        case ItemKind::CameraRoll:
        case ItemKind::PhotoStream:
        case ItemKind::WhatsAppAttachments: m_count = sizeOf<MediaFileRecord>(m_container); break;
        case ItemKind::MessageAttachments: m_count = sizeOf<AttachmentRecord>(m_container); break;
        case ItemKind::Messages: m_count = sizeOf<MessageRecord>(m_container); break;
        case ItemKind::Contacts: m_count = sizeOf<ContactRecord>(m_container); break;
        case ItemKind::CallHistory: m_count = sizeOf<CallRecord>(m_container); break;
        case ItemKind::Notes: m_count = sizeOf<NoteRecord>(m_container); break;
        case ItemKind::WhatsApp: m_count = sizeOf<WhatsAppMessageRecord>(m_container); break;
        case ItemKind::Reminder: m_count = sizeOf<ReminderRecord>(m_container); break;
        case ItemKind::Calendar: m_count = sizeOf<CalendarEventRecord>(m_container); break;
        case ItemKind::SafariBookmark: m_count = sizeOf<BookmarkRecord>(m_container); break;
        case ItemKind::QQ:
        case ItemKind::WeChat:
            m_count = sizeOf<MessengerChatSummary>(m_container);
            break;
        case ItemKind::AppPhotos:
        case ItemKind::AppVideos: m_count = static_cast<int>(m_apps.size()); break;
        default: break;
        }
    }
    endResetModel();
}

bool ItemListModel::openApp(int row) {
    if (m_level != Level::Apps || row < 0 || row >= rowCount()) return false;
    const auto* files = m_apps[static_cast<std::size_t>(sourceRow(row))].second;
    if (files->empty()) return false;
    beginResetModel();
    m_level = Level::AppFiles;
    m_container = files;
    m_count = static_cast<int>(files->size());
    m_search.setQuery({});
    m_allRows = true;
    m_rows.clear();
    endResetModel();
    return true;
}

void ItemListModel::setDeletedOnly(bool on) {
    if (on == m_deletedOnly) return;
    m_deletedOnly = on;
    refilter(false);
}

void ItemListModel::setSearch(const QString& text) {
    const QString previous = m_search.query();
    m_search.setQuery(text);
    if (m_search.query() == previous) return;
    refilter(m_search.narrows(previous));
}

void ItemListModel::refilter(bool narrowing) {
    beginResetModel();
    const bool deletedOnly = m_deletedOnly && m_level == Level::Items && hasDeletedFlag(m_kind);
    if (!deletedOnly && m_search.isEmpty()) {
        m_allRows = true;
        m_rows.clear();
    } else {
        std::vector<int> rows;
        auto consider = [&](int source) {
            if (deletedOnly && !isDeleted(source)) return;
            if (!m_search.isEmpty() && !rowMatches(source)) return;
            rows.push_back(source);
        };
        if (narrowing && !m_allRows) {
            for (const int source : m_rows) consider(source);
        } else {
            rows.reserve(static_cast<std::size_t>(m_count));
            for (int source = 0; source < m_count; ++source) consider(source);
        }
        m_rows = std::move(rows);
        m_allRows = false;
    }
    endResetModel();
}

bool ItemListModel::rowMatches(int source) const {
    std::string scratch;
    const int columnsShown = static_cast<int>(columns().size());
    for (int column = 0; column < columnsShown; ++column)
        if (m_search.matches(cell(source, column, scratch))) return true;
    return false;
}

const std::vector<ItemListModel::Column>& ItemListModel::columns() const {
    static const std::vector<Column> none;
    static const std::vector<Column> media{{"ColFileName", "File Name", 300}, {"ColFileSize", "File Size", 0}};
    static const std::vector<Column> apps{{"ColAppName", "App Name", 320}, {"ColType", "Type", 0}};
    static const std::vector<Column> appFiles{
        {"ColFileName", "File Name", 240}, {"ColAppName", "App Name", 180}, {"ColSize", "Size", 0}};
    static const std::vector<Column> messages{{"ColUserName", "User Name", 140},
                                              {"ColPhoneNumber", "Phone Number", 120},
                                              {"ColDate", "Date", 140},
                                              {"ColMessage", "Message", 0}};
    static const std::vector<Column> contacts{{"ColName", "Name", 150},     {"ColCompany", "Company", 120},
                                              {"ColPhone", "Phone", 120},   {"ColEmail", "Email", 170},
                                              {"ColHomePage", "Home Page", 0}};
    static const std::vector<Column> calls{{"ColUserName", "User Name", 130}, {"ColPhoneNumber", "Phone Number", 120},
                                           {"ColDate", "Date", 140},          {"ColCallStatus", "Call Status", 90},
                                           {"ColDuration", "Duration", 100},  {"ColStatus", "Status", 0}};
    static const std::vector<Column> notes{{"ColTitle", "Title", 170}, {"ColDate", "Date", 140}, {"ColNote", "Note", 0}};
    static const std::vector<Column> whatsApp{
        {"ColChats", "Chats", 180}, {"ColName", "Name", 180}, {"ColPhone", "Phone", 0}};
    static const std::vector<Column> events{{"ColTitle", "Title", 180},       {"ColStart", "Start", 140},
                                            {"ColEnd", "End", 140},           {"ColLocation", "Location", 150},
                                            {"ColCalendar", "Calendar", 0}};
    static const std::vector<Column> reminders{{"ColTitle", "Title", 180},       {"ColDue", "Due", 140},
                                               {"ColCompleted", "Completed", 140}, {"ColList", "List", 120},
                                               {"ColNotes", "Notes", 0}};
    static const std::vector<Column> messengerChats{{"ColName", "Name", 170},
                                                    {"ColAccount", "Account", 90},
                                                    {"ColDate", "Date", 140},
                                                    {"ColMessage", "Message", 0}};
    static const std::vector<Column> bookmarks{
        {"ColTitle", "Title", 200}, {"ColUrl", "URL", 300}, {"ColFolder", "Folder", 0}};
    if (m_level == Level::Apps) return apps;
    if (m_level == Level::AppFiles) return appFiles;
    switch (m_kind) {
    case ItemKind::CameraRoll:
    case ItemKind::PhotoStream:
    case ItemKind::MessageAttachments:
    case ItemKind::WhatsAppAttachments: return media;
    case ItemKind::Messages: return messages;
    case ItemKind::Contacts: return contacts;
    case ItemKind::CallHistory: return calls;
    case ItemKind::Notes: return notes;
    case ItemKind::WhatsApp: return whatsApp;
    case ItemKind::Reminder: return reminders;
    case ItemKind::Calendar: return events;
    case ItemKind::SafariBookmark: return bookmarks;
    case ItemKind::QQ:
    case ItemKind::WeChat:
        return messengerChats;
    default: return none;
    }
}

int ItemListModel::columnWidth(int column) const {
    const auto& shown = columns();
    return column >= 0 && column < static_cast<int>(shown.size()) ? shown[static_cast<std::size_t>(column)].width : 0;
}

const void* ItemListModel::recordAtSource(int source) const {
    if (source < 0 || source >= m_count) return nullptr;
    if (m_level == Level::Apps) return m_apps[static_cast<std::size_t>(source)].second;
    if (m_level == Level::AppFiles) return &recordOf<AppFileRecord>(m_container, source);
    switch (m_kind) {
    case ItemKind::CameraRoll:
    case ItemKind::PhotoStream:
    case ItemKind::WhatsAppAttachments: return &recordOf<MediaFileRecord>(m_container, source);
    case ItemKind::MessageAttachments: return &recordOf<AttachmentRecord>(m_container, source);
    case ItemKind::Messages: return &recordOf<MessageRecord>(m_container, source);
    case ItemKind::Contacts: return &recordOf<ContactRecord>(m_container, source);
    case ItemKind::CallHistory: return &recordOf<CallRecord>(m_container, source);
    case ItemKind::Notes: return &recordOf<NoteRecord>(m_container, source);
    case ItemKind::WhatsApp: return &recordOf<WhatsAppMessageRecord>(m_container, source);
    case ItemKind::Reminder: return &recordOf<ReminderRecord>(m_container, source);
    case ItemKind::Calendar: return &recordOf<CalendarEventRecord>(m_container, source);
    case ItemKind::SafariBookmark: return &recordOf<BookmarkRecord>(m_container, source);
    case ItemKind::QQ:
    case ItemKind::WeChat:
        return &recordOf<MessengerChatSummary>(m_container, source);
    default: return nullptr;
    }
}

const void* ItemListModel::recordAt(int row) const {
    return row >= 0 && row < rowCount() ? recordAtSource(sourceRow(row)) : nullptr;
}

int ItemListModel::rowOf(const void* key) const {
    if (!key) return -1;
    const int rows = rowCount();
    for (int row = 0; row < rows; ++row)
        if (recordAtSource(sourceRow(row)) == key) return row;
    return -1;
}

bool ItemListModel::isDeleted(int source) const {
    if (m_level != Level::Items) return false;
    switch (m_kind) {
    case ItemKind::Messages: return recordOf<MessageRecord>(m_container, source).deleted != kLive;
    case ItemKind::Contacts: return recordOf<ContactRecord>(m_container, source).deleted != kLive;
    case ItemKind::CallHistory: return recordOf<CallRecord>(m_container, source).deleted != kLive;
    case ItemKind::Notes: return recordOf<NoteRecord>(m_container, source).deleted != kLive;
    case ItemKind::WhatsApp: return recordOf<WhatsAppMessageRecord>(m_container, source).deleted != kLive;
    case ItemKind::Reminder: return recordOf<ReminderRecord>(m_container, source).deleted != kLive;
    case ItemKind::Calendar: return recordOf<CalendarEventRecord>(m_container, source).deleted != kLive;
    case ItemKind::SafariBookmark: return recordOf<BookmarkRecord>(m_container, source).deleted != kLive;
    case ItemKind::QQ:
    case ItemKind::WeChat:
        return recordOf<MessengerChatSummary>(m_container, source).deleted != kLive;
    default: return false;
    }
}

std::string_view ItemListModel::cell(int source, int column, std::string& scratch) const {
    if (m_level == Level::Apps) {
        if (column == 0) return *m_apps[static_cast<std::size_t>(source)].first;
        return m_words[Folder];
    }
    if (m_level == Level::AppFiles) {
        const auto& file = recordOf<AppFileRecord>(m_container, source);
        switch (column) {
        case 0: return file.name;
        case 1: return file.appName;
        default: return keep(scratch, sizeText(file.size));
        }
    }
    switch (m_kind) {
    case ItemKind::CameraRoll:
    case ItemKind::PhotoStream:
    case ItemKind::WhatsAppAttachments: {
        const auto& file = recordOf<MediaFileRecord>(m_container, source);
        return column == 0 ? std::string_view(file.name) : keep(scratch, sizeText(file.size));
    }
    case ItemKind::MessageAttachments: {
        const auto& file = recordOf<AttachmentRecord>(m_container, source);
        return column == 0 ? std::string_view(file.name) : keep(scratch, sizeText(file.size));
    }
    case ItemKind::Messages: {
        const auto& message = recordOf<MessageRecord>(m_container, source);
        switch (column) {
        case 0: return message.contactName;
        case 1: return message.address;
        case 2: return message.date;
        default: return message.text;
        }
    }
    case ItemKind::Contacts: {
        const auto& contact = recordOf<ContactRecord>(m_container, source);
        switch (column) {
        case 0: return contact.name;
        case 1: return contact.company;
        case 2: return firstLine(contact.phones);
        case 3: return contact.email;
        default: return contact.url;
        }
    }
    case ItemKind::CallHistory: {
        const auto& call = recordOf<CallRecord>(m_container, source);
        switch (column) {
        case 0: return call.contactName;
        case 1: return call.number;
        case 2: return call.date;
        case 3: return m_words[call.incoming ? Incoming : Outgoing];
        case 4: {
            // The engine decides between a duration and an unanswered call;
            // its two fixed words are shown in the current language.
            scratch = callStatusText(call);
            if (scratch == "Missed") return m_words[Missed];
            if (scratch == "Canceled") return m_words[Canceled];
            scratch = localDuration(call.duration);
            return scratch;
        }
        default: return m_words[call.deleted != kLive ? Deleted : Normal];
        }
    }
    case ItemKind::Notes: {
        const auto& note = recordOf<NoteRecord>(m_container, source);
        switch (column) {
        case 0: return note.title;
        case 1: return note.date;
        default: return noteBodyText(note);
        }
    }
    case ItemKind::WhatsApp: {
        const auto& chat = recordOf<WhatsAppMessageRecord>(m_container, source);
        switch (column) {
        case 0: return chat.chatTitle;
        case 1: return chat.chatNames.empty() ? chat.senderName : chat.chatNames;
        default: return chat.chatIds.empty() ? chat.senderId : chat.chatIds;
        }
    }
    case ItemKind::Calendar: {
        const auto& event = recordOf<CalendarEventRecord>(m_container, source);
        switch (column) {
        case 0: return event.title;
        case 1: return event.start;
        case 2: return event.end;
        case 3: return event.location;
        default: return event.calendar;
        }
    }
    case ItemKind::Reminder: {
        const auto& reminder = recordOf<ReminderRecord>(m_container, source);
        switch (column) {
        case 0: return reminder.title;
        case 1: return reminder.due;
        case 2:
            // The completion date when it is known, else the language's "Yes".
            if (!reminder.completed) return {};
            return reminder.completedDate.empty() ? std::string_view(m_words[Yes])
                                                  : std::string_view(reminder.completedDate);
        case 3: return reminder.list;
        default: return reminder.notes;
        }
    }
    case ItemKind::QQ:
    case ItemKind::WeChat: {
        const auto& chat = recordOf<MessengerChatSummary>(m_container, source);
        switch (column) {
        case 0: // the nickname and the partner's number or user name, or the partner alone
            return chat.last.contactName.empty()
                       ? std::string_view(chat.partner)
                       : keep(scratch, chat.last.contactName + "(" + chat.partner + ")");
        case 1:
            return chat.account;
        case 2:
            return chat.last.date;
        default:
            return chat.last.text;
        }
    }
    case ItemKind::SafariBookmark: {
        const auto& bookmark = recordOf<BookmarkRecord>(m_container, source);
        switch (column) {
        case 0: return bookmark.title;
        case 1: return bookmark.url;
        default: return bookmark.folder;
        }
    }
    default: return {};
    }
}

QIcon ItemListModel::fileIcon(const std::string& name) const {
    const std::string extension = lowerExtension(name);
    if (isVideoExtension(extension)) return m_videoIcon;
    if (isAudioExtension(extension)) return m_soundIcon;
    return m_pictureIcon;
}

QIcon ItemListModel::rowIcon(int source) const {
    if (m_level == Level::Apps) return m_folderIcon;
    if (m_level == Level::AppFiles) return fileIcon(recordOf<AppFileRecord>(m_container, source).name);
    switch (m_kind) {
    case ItemKind::CameraRoll:
    case ItemKind::PhotoStream: return m_pictureIcon;
    case ItemKind::WhatsAppAttachments: return fileIcon(recordOf<MediaFileRecord>(m_container, source).name);
    case ItemKind::MessageAttachments: return fileIcon(recordOf<AttachmentRecord>(m_container, source).name);
    default: return isDeleted(source) ? m_deletedIcon : QIcon();
    }
}

Qt::CheckState ItemListModel::checkState(int source) const {
    const SelectionTally& tally = m_run->tally();
    const void* key = recordAtSource(source);
    if (m_level == Level::Apps) {
        const TallyNode* node = tally.nodeOf(key);
        if (!node) return Qt::Unchecked;
        switch (tickState(*node)) {
        case TickState::Ticked: return Qt::Checked;
        case TickState::Partial: return Qt::PartiallyChecked;
        case TickState::Unticked: return Qt::Unchecked;
        }
    }
    const TallyEntry* entry = tally.lookup(key);
    return entry && entry->selected ? Qt::Checked : Qt::Unchecked;
}

int ItemListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return m_allRows ? m_count : static_cast<int>(m_rows.size());
}

int ItemListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns().size());
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.model() != this || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const int source = sourceRow(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        std::string scratch;
        return oneLine(cell(source, column, scratch));
    }
    case Qt::ToolTipRole: {
        std::string scratch;
        const std::string_view text = cell(source, column, scratch);
        if (text.size() < 40 && text.find('\n') == std::string_view::npos) return {};
        return plainToolTip(
            QString::fromUtf8(text.data(), static_cast<qsizetype>(std::min<std::size_t>(text.size(), 2000))));
    }
    case Qt::DecorationRole: return column == 0 ? QVariant(rowIcon(source)) : QVariant();
    case Qt::ForegroundRole:
        return isDeleted(source) ? QVariant(deletedRowColour()) : QVariant();
    case Qt::CheckStateRole:
        if (column != 0 || !tallyReadable(m_run)) return {};
        return checkState(source);
    case Qt::SizeHintRole: return column == 0 ? QVariant(QSize(1, kRowHeight)) : QVariant();
    case DeletedRole: return isDeleted(source);
    default: return {};
    }
}

bool ItemListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole || index.row() >= rowCount() ||
        !tallyReadable(m_run))
        return false;
    const int source = sourceRow(index.row());
    const bool ticked = value.toInt() != Qt::Unchecked;
    if (checkState(source) == (ticked ? Qt::Checked : Qt::Unchecked)) return true;
    // An item, or at the app level the app's group entry (its file list).
    if (!m_run->tally().select(recordAtSource(source), ticked)) return false;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit ticksChanged(m_kind);
    return true;
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    const auto& shown = columns();
    if (section < 0 || section >= static_cast<int>(shown.size())) return {};
    const Column& column = shown[static_cast<std::size_t>(section)];
    return pageText(column.key, column.fallback);
}

Qt::ItemFlags ItemListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0 && tallyReadable(m_run)) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

std::string ItemListModel::localDuration(std::int32_t seconds) const {
    // The engine's duration text with its words in the current language.
    const auto format = [this](Word word, QStringList numbers) {
        return formatMessage(QString::fromStdString(m_words[word]), numbers).toStdString();
    };
    if (seconds >= 3600) return format(HoursFormat, {QString::number(seconds / 3600), QString::number(seconds % 3600 / 60)});
    if (seconds >= 60) return format(MinutesFormat, {QString::number(seconds / 60), QString::number(seconds % 60)});
    return format(SecondsFormat, {QString::number(seconds)});
}

void ItemListModel::refreshTicks() {
    const int rows = rowCount();
    if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, 0), {Qt::CheckStateRole});
}

void ItemListModel::applyTexts() {
    const char* keys[WordCount][2] = {{"TextFolder", "Folder"},     {"TextIncoming", "Incoming"},
                                      {"TextOutgoing", "Outgoing"}, {"TextMissed", "Missed"},
                                      {"TextCanceled", "Canceled"}, {"TextDeleted", "Deleted"},
                                      {"TextNormal", "Normal"},     {"TextHours", "%d Hour %d Min"},
                                      {"TextMinutes", "%d Min %d Sec"}, {"TextSeconds", "%d Sec"},
                                      {"TextYes", "Yes"}};
    for (int word = 0; word < WordCount; ++word)
        m_words[static_cast<std::size_t>(word)] = pageText(keys[word][0], keys[word][1]).toStdString();
    const int columnsShown = columnCount();
    if (columnsShown > 0) emit headerDataChanged(Qt::Horizontal, 0, columnsShown - 1);
    const int rows = rowCount();
    if (rows > 0 && columnsShown > 0) emit dataChanged(index(0, 0), index(rows - 1, columnsShown - 1));
}

} // namespace orvelle::gui
