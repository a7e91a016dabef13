#include "export/ExportTemplates.h"

#include "export/HtmlText.h"
#include "platform/File.h"
#include "platform/ProgramFolder.h"

namespace orvelle {

namespace {

Status loadOne(const std::filesystem::path& file, std::string_view title, std::string_view backupName,
               HtmlTemplate& out) {
    std::string text;
    std::error_code ec;
    // The program's own files: a link the user put there is theirs to make.
    if (!platform::readWholeFile(file, text, ec, platform::LinkRule::follow))
        return ec ? static_cast<Status>(ec.value()) : kStatusInvalid;
    if (!splitTemplate(text, out)) return kStatusInvalid;
    replacePlaceholder(out.head, kTitlePlaceholder, std::string(title) + htmlEscape(backupName));
    return kStatusOk;
}

} // namespace

std::filesystem::path templateFolder() {
    const std::filesystem::path program = platform::executableFolder();
    return program.empty() ? std::filesystem::path("template") : program / "template";
}

bool splitTemplate(std::string_view text, HtmlTemplate& out) {
    const std::size_t at = text.find(kContentPlaceholder);
    if (at == std::string_view::npos) return false;
    out.head = std::string(text.substr(0, at));
    out.tail = std::string(text.substr(at + kContentPlaceholder.size()));
    return true;
}

Status loadExportTemplates(const std::filesystem::path& folder, std::string_view backupName,
                           ExportTemplates& out, std::filesystem::path* failedFile) {
    struct Entry {
        std::string_view file;
        std::string_view title;
        HtmlTemplate* target;
    };
    const Entry entries[] = {
        {kCallHistoryTemplate, "iPhone's Call History of ", &out.callHistory},
        {kNotesTemplate, "iPhone's Notes of ", &out.notes},
        {kContactsTemplate, "iPhone's Contacts of ", &out.contacts},
        {kSmsTemplate, "iPhone's Messages of ", &out.sms},
        {kWhatsAppTemplate, "iPhone's WhatsApp Messages of ", &out.whatsApp},
        {kRemindersTemplate, "iPhone's Reminders of ", &out.reminders},
        {kCalendarTemplate, "iPhone's Calendar of ", &out.calendar},
        {kBookmarksTemplate, "iPhone's Safari Bookmarks of ", &out.bookmarks},
    };
    for (const Entry& entry : entries) {
        const std::filesystem::path file = folder / entry.file;
        const Status status = loadOne(file, entry.title, backupName, *entry.target);
        if (status != kStatusOk) {
            if (failedFile) *failedFile = file;
            return status;
        }
    }
    if (loadOne(folder / kIndexTemplate, "Export of ", backupName, out.index) != kStatusOk) out.index = {};
    return kStatusOk;
}

HtmlTemplate loadPrintTemplate(const std::filesystem::path& folder) {
    HtmlTemplate out;
    std::string text;
    std::error_code ec;
    if (!platform::readWholeFile(folder / kPrintTemplate, text, ec, platform::LinkRule::follow) ||
        !splitTemplate(text, out))
        return {};
    return out;
}

std::string chatHead(const HtmlTemplate& chatTemplate, std::string_view name, std::string_view phone) {
    std::string head = chatTemplate.head;
    replacePlaceholder(head, kPersonPlaceholder,
                       "Name: " + htmlEscape(name) + ", Phone: " + htmlEscape(phone));
    return head;
}

} // namespace orvelle
