#include "export/ReadableCsv.h"

#include "core/NoteText.h"
#include "export/ChatDocuments.h"
#include "export/CsvText.h"
#include "export/WhatsAppChatDocuments.h"
#include "scan/DisplayText.h"

namespace orvelle {

namespace {

std::string withBom(std::string line) {
    return std::string(kUtf8Bom) + line;
}

std::string_view directionOf(std::int32_t fromMe) {
    return fromMe != 0 ? "Sent" : "Received";
}

std::string_view knownName(const std::string& name) {
    return name == "Unknown" ? std::string_view() : std::string_view(name);
}

} // namespace

std::string messagesCsvHeader() {
    return withBom(csvLine({"Chat", "Date", "Direction", "Name", "Number", "Text", "Attachment", "Deleted"}));
}

std::string whatsAppCsvHeader() {
    return messagesCsvHeader();
}

std::string contactsCsvHeader() {
    return withBom(
        csvLine({"Name", "Phones", "Email", "Address", "Home Page", "Social", "Company", "Deleted"}));
}

std::string callsCsvHeader() {
    return withBom(csvLine({"Name", "Number", "Date", "Direction", "State", "Duration", "Deleted"}));
}

std::string notesCsvHeader() {
    return withBom(csvLine({"Title", "Date", "Note", "Deleted"}));
}

std::string messageCsvLine(std::string_view chat, const MessageRecord& m) {
    return csvLine({chat, m.date, directionOf(m.fromMe), knownName(m.contactName), m.address, m.text,
                    attachmentFileName(m.attachmentName), deletedText(m.deleted)});
}

std::string whatsAppCsvLine(std::string_view chat, const WhatsAppMessageRecord& m) {
    const std::string_view media = whatsAppMediaPath(m);
    const std::string_view name = m.fromMe != 0 ? std::string_view() : knownName(m.senderName);
    return csvLine({chat, m.date, directionOf(m.fromMe), name, m.senderId,
                    media.empty() ? std::string_view(m.text) : std::string_view(),
                    attachmentFileName(media), deletedText(m.deleted)});
}

std::string contactCsvLine(const ContactRecord& c) {
    return csvLine({c.name, c.phones, c.email, c.address, c.url, c.social, c.company, deletedText(c.deleted)});
}

std::string callCsvLine(const CallRecord& c) {
    return csvLine({c.contactName, c.number, c.date, callDirectionText(c), callStateText(c),
                    durationText(c.duration), deletedText(c.deleted)});
}

std::string noteCsvLine(const NoteRecord& n) {
    return csvLine({n.title, n.date, noteBodyText(n), deletedText(n.deleted)});
}

} // namespace orvelle
