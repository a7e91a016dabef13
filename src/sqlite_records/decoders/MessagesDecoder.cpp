#include "sqlite_records/decoders/MessagesDecoder.h"

#include "core/AppleTime.h"
#include "core/Text.h"
#include "platform/File.h"
#include "sqlite_records/SqliteFile.h"
#include "sqlite_records/TableScan.h"
#include "sqlite_records/TableSchema.h"
#include "sqlite_records/decoders/ContactLookup.h"
#include "sqlite_records/decoders/ContactsDecoder.h"
#include "sqlite_records/decoders/DatabaseOpening.h"
#include "sqlite_records/decoders/DateOrder.h"
#include "sqlite_records/decoders/DateTextCache.h"
#include "sqlite_records/decoders/RowValues.h"
#include "sqlite_records/decoders/SqlValueLine.h"
#include "sqlite_records/decoders/TypedStream.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <optional>
#include <unordered_map>

namespace orvelle {

namespace {

constexpr std::string_view kMessageTable = "message";
constexpr std::string_view kHandleTable = "handle";
constexpr std::string_view kAttachmentTable = "attachment";
constexpr std::string_view kJoinTable = "message_attachment_join";

enum MessageField : std::size_t { kText, kHandleId, kAttributedBody, kDate, kFromMe };
constexpr std::array<FieldColumn, 5> kMessageFields{
    {{"text", 2}, {"handle_id", 5}, {"attributedBody", 8}, {"date", 15}, {"is_from_me", 21}}};

/// Columns the export rewrites for a deleted row.
enum ExportField : std::size_t {
    kGuid,
    kExportText,
    kAccountGuid,
    kExportDate,
    kDateRead,
    kIsFinished,
    kExportFromMe,
    kIsRead
};
constexpr std::array<FieldColumn, 8> kExportFields{{{"guid", 1},
                                                    {"text", 2},
                                                    {"account_guid", 13},
                                                    {"date", 15},
                                                    {"date_read", 16},
                                                    {"is_finished", 19},
                                                    {"is_from_me", 21},
                                                    {"is_read", 26}}};

constexpr std::array<FieldColumn, 1> kHandleFields{{{"id", 1}}};
constexpr std::array<FieldColumn, 1> kAttachmentFields{{{"filename", 4}}};
enum JoinField : std::size_t { kJoinMessage, kJoinAttachment };
constexpr std::array<FieldColumn, 2> kJoinFields{{{"message_id", 0}, {"attachment_id", 1}}};

/// The message table's column count by the older rule (when no statement can be read).
constexpr std::uint64_t kWideMessageHeader = 51;
constexpr std::int32_t kNarrowMessageColumns = 38;
constexpr std::int32_t kWideMessageColumns = 51;

/// Prefix of the guid given to a deleted row put back by the export.
constexpr std::string_view kRestoredGuidPrefix = "27B99F78-F6F0-475F-8BA1-";
constexpr std::size_t kGuidLength = 36;

void noteMessageCell(SqliteFile& file, const Row& row) {
    if (row.mode != RowMode::cell) return;
    auto& state = file.state();
    state.messageColumns =
        row.headerLength < kWideMessageHeader ? kNarrowMessageColumns : kWideMessageColumns;
    if (row.rowid > 0 && static_cast<std::uint64_t>(row.rowid) > state.maxRowId)
        state.maxRowId = static_cast<std::uint64_t>(row.rowid);
}

bool isConstantOne(const Row& row, int position) {
    const RecordValue* value = columnValue(row, position);
    return value && value->isInteger() && value->integer == 1;
}

/// The message text: `text`, or the plain string archived in `attributedBody`
/// when `text` is NULL or empty.
Status readMessageText(const Row& row, const TableColumns& columns, std::string& text) {
    if (readText(row, columns[kText], text) == TextField::rejected) return kStatusInvalid;
    if (!text.empty()) return kStatusOk;
    const RecordValue* body = columnValue(row, columns[kAttributedBody]);
    if (!body || body->kind != ValueKind::blob) return kStatusOk;
    auto archived = readAttributedStringText(body->bytes);
    if (!archived) return kStatusOk;
    if (!isUsableText(archived->text)) return kStatusInvalid;
    text = std::move(archived->text);
    return kStatusOk;
}

std::int32_t toInt32(std::int64_t value) {
    return static_cast<std::int32_t>(value);
}

} // namespace

TableColumns messageColumns(const SqliteFile& file) {
    return TableColumns::resolve(file, kMessageTable, kMessageFields, 0);
}
TableColumns fixedMessageColumns() {
    return TableColumns::fixed(kMessageFields, 0);
}
TableColumns handleColumns(const SqliteFile& file) {
    return TableColumns::resolve(file, kHandleTable, kHandleFields, 0);
}
TableColumns attachmentColumns(const SqliteFile& file) {
    return TableColumns::resolve(file, kAttachmentTable, kAttachmentFields, 0);
}
TableColumns joinColumns(const SqliteFile& file) {
    return TableColumns::resolve(file, kJoinTable, kJoinFields, 0);
}

Status decodeMessageRows(SqliteFile& file, const TableColumns& columns, std::vector<MessageRecord>& out) {
    return decodeMessageRows(file, columns,
                             [&out](MessageRecord&& message) { out.push_back(std::move(message)); });
}

Status decodeMessageRows(SqliteFile& file, const TableColumns& columns,
                         const std::function<void(MessageRecord&&)>& take) {
    DateTextCache dates;
    return scanRecordTable(
        file, kMessageTable,
        [&](const Row& row) {
            noteMessageCell(file, row);
            MessageRecord message;
            message.deleted = row.deleted;
            message.rowId = static_cast<std::uint32_t>(row.rowid);
            if (readMessageText(row, columns, message.text) != kStatusOk || message.text.empty())
                return kStatusInvalid;
            if (const auto handle = readKey(row, columns[kHandleId])) message.handleId = toInt32(*handle);
            if (const auto seconds = readAppleSeconds(row, columns[kDate]))
                message.date = dates.appleText(*seconds);
            message.fromMe = isConstantOne(row, columns[kFromMe]) ? 1 : 0;
            take(std::move(message));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

Status decodeHandleRows(SqliteFile& file, const TableColumns& columns, std::vector<HandleRow>& out) {
    return scanWithColumns(
        file, kHandleTable,
        [&](const Row& row) {
            HandleRow handle;
            if (readText(row, columns[0], handle.address) == TextField::rejected || handle.address.empty())
                return kStatusInvalid;
            handle.deleted = row.deleted;
            handle.rowId = row.rowid;
            out.push_back(std::move(handle));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

Status decodeAttachmentRows(SqliteFile& file, const TableColumns& columns, std::vector<AttachmentRow>& out) {
    return scanWithColumns(
        file, kAttachmentTable,
        [&](const Row& row) {
            AttachmentRow attachment;
            if (readText(row, columns[0], attachment.fileName) == TextField::rejected ||
                attachment.fileName.empty())
                return kStatusInvalid;
            attachment.deleted = row.deleted;
            attachment.rowId = row.rowid;
            out.push_back(std::move(attachment));
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

Status decodeJoinRows(SqliteFile& file, const TableColumns& columns, std::vector<JoinRow>& out) {
    return scanWithColumns(
        file, kJoinTable,
        [&](const Row& row) {
            JoinRow join;
            join.deleted = row.deleted;
            join.messageId = readKey(row, columns[kJoinMessage]).value_or(0);
            join.attachmentId = readKey(row, columns[kJoinAttachment]).value_or(0);
            out.push_back(join);
            return kStatusOk;
        },
        columns, FieldValues::fieldsOnly);
}

MessageJoin::MessageJoin(MessageTables& tables, ContactLookup* contacts) : m_contacts(contacts) {
    // attachment -> message: the first join row naming the attachment.
    std::unordered_map<std::int64_t, std::int64_t> messageOfAttachment;
    messageOfAttachment.reserve(tables.joins.size());
    for (const auto& join : tables.joins)
        messageOfAttachment.try_emplace(join.attachmentId, join.messageId);
    // message -> the first attachment (table order) joined to it.
    for (auto& attachment : tables.attachments) {
        if (attachment.rowId == 0) continue; // a carved row has no rowid to join by
        const auto it = messageOfAttachment.find(attachment.rowId);
        if (it == messageOfAttachment.end()) continue;
        attachment.messageId = it->second;
        m_firstAttachment.try_emplace(it->second, &attachment.fileName);
    }
    m_handles.reserve(tables.handles.size());
    for (const auto& handle : tables.handles)
        if (handle.rowId != 0) m_handles.try_emplace(handle.rowId, Handle{&handle.address, nullptr});
}

void MessageJoin::fill(MessageRecord& message) {
    message.address.clear();
    message.contactName.clear();
    message.attachmentName.clear();
    if (const auto it = m_handles.find(message.handleId); it != m_handles.end()) {
        Handle& handle = it->second;
        message.address = *handle.address;
        if (m_contacts && !message.address.empty()) {
            if (!handle.contactName) handle.contactName = &m_contacts->nameFor(message.address);
            message.contactName = *handle.contactName;
        }
    }
    if (message.rowId != 0)
        if (const auto it = m_firstAttachment.find(message.rowId); it != m_firstAttachment.end())
            message.attachmentName = *it->second;
}

void joinMessageTables(MessageTables& tables, ContactLookup* contacts) {
    MessageJoin join(tables, contacts);
    for (auto& message : tables.messages)
        join.fill(message);
}

ConversationMap groupConversations(std::vector<MessageRecord> messages) {
    ConversationMap conversations;
    // The map's lists, each made once at its full size (map nodes stay put).
    std::unordered_map<std::int32_t, std::vector<MessageRecord>*> lists;
    std::unordered_map<std::int32_t, std::size_t> sizes;
    for (const auto& message : messages)
        ++sizes[message.handleId];
    for (const auto& [key, size] : sizes) {
        auto& list = conversations[key];
        list.reserve(size);
        lists.emplace(key, &list);
    }
    for (const std::uint32_t i : dateOrder(messages))
        lists[messages[i].handleId]->push_back(std::move(messages[i]));
    return conversations;
}

Status decodeMessages(const std::filesystem::path& smsDb, const std::filesystem::path& addressBook,
                      const DecodeContext& context, ConversationMap& out, std::uint64_t& maxRowId,
                      DecodeReport* report) {
    out.clear();
    SqliteFile file;
    Status status = platform::pathExists(smsDb) ? openDatabase(file, smsDb, context) : kStatusFileMissing;
    if (status != kStatusOk) {
        reportProgress(context, 100);
        return status;
    }
    // Messages go straight to their conversation's list, in decode order;
    // each list is sorted by date at the end (the same order as sorting all
    // of them stably and then grouping). Date keys are taken while the date
    // text is at hand.
    struct List {
        std::vector<MessageRecord>* messages = nullptr;
        std::vector<std::uint64_t> dateKeys;
        bool numeric = true; ///< every date text has a key
    };
    ConversationMap conversations;
    std::unordered_map<std::int32_t, List> lists;
    MessageTables tables;
    // A table that breaks off keeps the rows read before the break; the other
    // tables are still read.
    // Handle ids are rowids, mostly small: those find their list directly.
    constexpr std::int32_t kDirectHandles = 65536;
    std::vector<List*> directLists;
    const Status messageStatus = decodeMessageRows(file, messageColumns(file), [&](MessageRecord&& message) {
        const std::int32_t handle = message.handleId;
        List* found = handle >= 0 && handle < static_cast<std::int32_t>(directLists.size())
                          ? directLists[static_cast<std::size_t>(handle)]
                          : nullptr;
        if (!found) {
            found = &lists[handle];
            if (handle >= 0 && handle < kDirectHandles) {
                if (static_cast<std::size_t>(handle) >= directLists.size())
                    directLists.resize(static_cast<std::size_t>(handle) + 1, nullptr);
                directLists[static_cast<std::size_t>(handle)] = found;
            }
        }
        List& list = *found;
        if (!list.messages) list.messages = &conversations[handle];
        if (list.numeric) {
            std::uint64_t key = 0;
            list.numeric = dateKey(message.date, key);
            list.dateKeys.push_back(key);
        }
        list.messages->push_back(std::move(message));
    });
    if (const int answer = reportProgress(context, 20)) return answer;
    decodeHandleRows(file, handleColumns(file), tables.handles);
    if (const int answer = reportProgress(context, 30)) return answer;
    decodeAttachmentRows(file, attachmentColumns(file), tables.attachments);
    if (const int answer = reportProgress(context, 40)) return answer;
    decodeJoinRows(file, joinColumns(file), tables.joins);
    if (const int answer = reportProgress(context, 50)) return answer;
    maxRowId = file.state().maxRowId;

    std::optional<ContactLookup> contacts;
    if (!addressBook.empty()) {
        Status bookStatus = kStatusOk;
        contacts = loadContactLookup(addressBook, context, bookStatus);
        if (report) report->addressBook = bookStatus;
        if (const int answer = reportProgress(context, 70)) return answer;
    }
    MessageJoin join(tables, contacts ? &*contacts : nullptr);
    for (auto& [key, list] : lists) {
        std::vector<MessageRecord>& messages = *list.messages;
        for (auto& message : messages) {
            join.fill(message);
            if (report) (message.deleted ? report->deletedRows : report->liveRows)++;
        }
        const std::vector<std::uint32_t> order = list.numeric ? keyOrder(list.dateKeys) : dateOrder(messages);
        messages = reordered(std::move(messages), order);
    }
    out = std::move(conversations);
    reportProgress(context, 100);
    return messageStatus;
}

Status exportMessageRows(const std::filesystem::path& smsDb, const std::filesystem::path& output,
                         std::uint64_t& maxRowId, const DecodeContext& context) {
    if (!platform::pathExists(smsDb)) return kStatusFileMissing;
    SqliteFile file;
    if (const Status status = openDatabase(file, smsDb, context); status != kStatusOk) return status;
    std::ofstream stream(output, std::ios::binary | std::ios::app);
    if (!stream) return kStatusInvalid;
    const TableColumns columns = TableColumns::resolve(file, kMessageTable, kExportFields, 0);
    // With the table's statement the dump names its columns and adds the date as the documents show it.
    const auto schema = TableSchema::load(file, kMessageTable);
    const std::size_t width = schema && columns.fromStatement() ? schema->columnCount() : 0;
    if (width > 0) {
        const std::string dateName = columns.has(kExportDate) ? schema->columns()[columns[kExportDate]] : "date";
        stream << dumpHeaderLine(schema->columns(), {dateName + " (local time)"});
    }
    const Status status = scanWithColumns(
        file, kMessageTable,
        [&](const Row& row) {
            noteMessageCell(file, row);
            if (row.rowid > 0 && static_cast<std::uint64_t>(row.rowid) > maxRowId)
                maxRowId = static_cast<std::uint64_t>(row.rowid);
            std::string text;
            if (readText(row, columns[kExportText], text) == TextField::rejected) return kStatusInvalid;
            const bool deleted = row.deleted != 0;
            if (deleted) {
                const RecordValue* account = columnValue(row, columns[kAccountGuid]);
                if (!account || !account->isText() || account->bytes.size() != kGuidLength)
                    return kStatusInvalid;
                for (const char c : account->bytes)
                    if (c < '-' || c > 'z') return kStatusInvalid;
            }
            std::int64_t rowId = row.rowid;
            if (rowId == 0) rowId = static_cast<std::int64_t>(++maxRowId);
            const bool fromMe = isConstantOne(row, columns[kExportFromMe]);
            // A put-back row keeps the date it was sent or received on; it counts as read then.
            const RecordValue* ownDate = columnValue(row, columns[kExportDate]);
            SqlValueLine line;
            line.addInteger(rowId);
            for (std::size_t i = 1; i < row.values.size(); ++i) {
                const int column = static_cast<int>(i);
                if (deleted && column == columns[kGuid]) {
                    char suffix[32];
                    std::snprintf(suffix, sizeof suffix, "%012llX", static_cast<unsigned long long>(rowId));
                    line.addText(std::string(kRestoredGuidPrefix) + suffix);
                } else if (deleted && column == columns[kIsFinished]) {
                    line.addInteger(1);
                } else if (deleted && column == columns[kDateRead]) {
                    if (fromMe || !ownDate || !ownDate->isInteger())
                        line.addInteger(0);
                    else
                        line.add(*ownDate);
                } else if (deleted && column == columns[kIsRead]) {
                    line.addInteger(fromMe ? 0 : 1);
                } else if (row.values[i].isLost()) {
                    line.addRaw("NULL");
                } else {
                    line.add(row.values[i]);
                }
            }
            if (width > 0) {
                for (std::size_t i = row.values.size(); i < width; ++i)
                    line.addRaw("NULL");
                const auto seconds = readAppleSeconds(row, columns[kExportDate]);
                line.addText(seconds ? appleTimeText(*seconds) : std::string());
            }
            stream << line.finish();
            return kStatusOk;
        },
        columns);
    return stream ? status : kStatusInvalid;
}

} // namespace orvelle
