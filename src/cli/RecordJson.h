#pragma once
/// Item records as JSON objects, one field per record member under the
/// member's own name, for the commands' --json output.

#include "cli/Json.h"
#include "core/ItemRecords.h"

namespace orvelle::cli {

/// Writes one record as a JSON object.
void writeRecord(JsonWriter& json, const MessageRecord& m);
void writeRecord(JsonWriter& json, const WhatsAppMessageRecord& m);
void writeRecord(JsonWriter& json, const ContactRecord& c);
void writeRecord(JsonWriter& json, const CallRecord& c);
void writeRecord(JsonWriter& json, const NoteRecord& n);
void writeRecord(JsonWriter& json, const MediaFileRecord& f);
void writeRecord(JsonWriter& json, const AttachmentRecord& f);
void writeRecord(JsonWriter& json, const AppFileRecord& f);
void writeRecord(JsonWriter& json, const CalendarEventRecord& e);
void writeRecord(JsonWriter& json, const ReminderRecord& r);
void writeRecord(JsonWriter& json, const BookmarkRecord& b);

/// A JSON array of records.
template <typename Record> void writeRecords(JsonWriter& json, const std::vector<Record>& records) {
    json.beginArray();
    for (const Record& record : records)
        writeRecord(json, record);
    json.endArray();
}

} // namespace orvelle::cli
