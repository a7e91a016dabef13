#include "cli/RecordJson.h"

namespace orvelle::cli {

void writeRecord(JsonWriter& json, const MessageRecord& m) {
    json.beginObject()
        .field("deleted", m.deleted)
        .field("fromMe", m.fromMe)
        .field("rowId", m.rowId)
        .field("handleId", m.handleId)
        .field("date", m.date)
        .field("address", m.address)
        .field("contactName", m.contactName)
        .field("text", m.text)
        .field("attachmentName", m.attachmentName)
        .endObject();
}

void writeRecord(JsonWriter& json, const WhatsAppMessageRecord& m) {
    json.beginObject()
        .field("deleted", m.deleted)
        .field("fromMe", m.fromMe)
        .field("rowId", m.rowId)
        .field("chatKey", m.chatKey)
        .field("memberKey", m.memberKey)
        .field("mediaKey", m.mediaKey)
        .field("date", m.date)
        .field("senderName", m.senderName)
        .field("text", m.text)
        .field("senderId", m.senderId)
        .field("chatNames", m.chatNames)
        .field("chatIds", m.chatIds)
        .field("chatTitle", m.chatTitle)
        .endObject();
}

void writeRecord(JsonWriter& json, const ContactRecord& c) {
    json.beginObject()
        .field("deleted", c.deleted)
        .field("email", c.email)
        .field("address", c.address)
        .field("social", c.social)
        .field("url", c.url)
        .field("phones", c.phones)
        .field("company", c.company)
        .field("name", c.name)
        .endObject();
}

void writeRecord(JsonWriter& json, const CallRecord& c) {
    json.beginObject()
        .field("deleted", c.deleted)
        .field("incoming", c.incoming)
        .field("duration", c.duration)
        .field("date", c.date)
        .field("number", c.number)
        .field("contactName", c.contactName)
        .endObject();
}

void writeRecord(JsonWriter& json, const NoteRecord& n) {
    json.beginObject()
        .field("deleted", n.deleted)
        .field("key", n.key)
        .field("date", n.date)
        .field("title", n.title)
        .field("body", n.body)
        .field("folder", n.folder)
        .field("created", n.created)
        .field("locked", n.locked)
        .endObject();
}

void writeRecord(JsonWriter& json, const MediaFileRecord& f) {
    json.beginObject()
        .field("size", f.size)
        .field("name", f.name)
        .field("storedPath", f.storedPath)
        .endObject();
}

void writeRecord(JsonWriter& json, const AttachmentRecord& f) {
    json.beginObject()
        .field("size", f.size)
        .field("name", f.name)
        .field("storedPath", f.storedPath)
        .endObject();
}

void writeRecord(JsonWriter& json, const AppFileRecord& f) {
    json.beginObject()
        .field("size", f.size)
        .field("appName", f.appName)
        .field("name", f.name)
        .field("storedPath", f.storedPath)
        .endObject();
}

void writeRecord(JsonWriter& json, const CalendarEventRecord& e) {
    json.beginObject()
        .field("deleted", e.deleted)
        .field("allDay", e.allDay)
        .field("title", e.title)
        .field("start", e.start)
        .field("end", e.end)
        .field("location", e.location)
        .field("notes", e.notes)
        .field("calendar", e.calendar)
        .field("recurrence", e.recurrence)
        .endObject();
}

void writeRecord(JsonWriter& json, const ReminderRecord& r) {
    json.beginObject()
        .field("deleted", r.deleted)
        .field("completed", r.completed)
        .field("priority", r.priority)
        .field("title", r.title)
        .field("due", r.due)
        .field("completedDate", r.completedDate)
        .field("list", r.list)
        .field("notes", r.notes)
        .endObject();
}

void writeRecord(JsonWriter& json, const BookmarkRecord& b) {
    json.beginObject()
        .field("deleted", b.deleted)
        .field("readingList", b.readingList)
        .field("title", b.title)
        .field("url", b.url)
        .field("folder", b.folder)
        .endObject();
}

} // namespace orvelle::cli
