#include "export/PrintPage.h"

#include "core/AppleTime.h"
#include "core/NoteText.h"
#include "export/ChatNames.h"
#include "export/HtmlText.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/ProgramFolder.h"
#include "scan/SelectionTally.h"
#include "scan/DisplayText.h"
#include "scan/ScanResults.h"
#include "scan/WorkerControl.h"

#include <ctime>

namespace orvelle {

namespace {

/// "<p><span>" + label + "</span>" + escaped value + "</p>\r\n".
void field(std::string& out, std::string_view label, std::string_view value) {
    out += "<p><span>";
    out += label;
    out += "</span>";
    out += htmlEscape(value);
    out += "</p>\r\n";
}

/// Opens the block of one item; a deleted one is marked by its class and by
/// the word "Deleted" as text, which a black-and-white print keeps.
void openBlock(std::string& out, std::uint32_t deleted) {
    if (deleted == kLive) {
        out += "<div>\r\n";
        return;
    }
    out += "<div class=\"deleted\">\r\n<p class=\"deleted_label\">Deleted</p>\r\n";
}

/// Opens the section of one conversation with its name as heading.
void openChat(std::string& out, std::string_view name) {
    out += "<section class=\"chat\">\r\n<h2>";
    out += htmlEscape(name);
    out += "</h2>\r\n";
}

constexpr std::string_view kCloseChat = "</section>\r\n";

class PrintBuilder {
public:
    PrintBuilder(bool deletedOnly, const ScanResults& results, const SelectionTally& tally,
                 WorkerControl& control, std::string& out)
        : m_deletedOnly(deletedOnly), m_results(results), m_tally(tally), m_control(control), m_out(out) {}

    Status build(ItemKind kind) {
        switch (kind) {
        case ItemKind::Messages:
            return eachTaken(m_results.messageSummaries, [&](auto& s) { return messages(s); });
        case ItemKind::Contacts:
            return eachTaken(m_results.contacts, [&](auto& c) { return contact(c); });
        case ItemKind::CallHistory:
            return eachTaken(m_results.calls, [&](auto& c) { return call(c); });
        case ItemKind::Notes:
            return eachTaken(m_results.notes, [&](auto& n) { return note(n); });
        case ItemKind::WhatsApp:
            return eachTaken(m_results.whatsAppSummaries, [&](auto& s) { return whatsApp(s); });
        case ItemKind::Reminder:
            return eachTaken(m_results.reminders, [&](auto& r) { return reminder(r); });
        case ItemKind::Calendar:
            return eachTaken(m_results.events, [&](auto& e) { return event(e); });
        case ItemKind::SafariBookmark:
            return eachTaken(m_results.bookmarks, [&](auto& b) { return bookmark(b); });
        case ItemKind::QQ:
        case ItemKind::WeChat:
            return eachTaken(m_results.messengerSummaries(kind),
                             [&](auto& s) { return messengerChat(kind, s); });
        default:
            return kStatusOk;
        }
    }

private:
    bool taken(const void* record, std::uint32_t deleted) const {
        const TallyEntry* entry = m_tally.lookup(record);
        return entry && entry->selected && (!m_deletedOnly || deleted != kLive);
    }

    template <typename Record, typename Write>
    Status eachTaken(const std::vector<Record>& records, Write write) {
        for (const Record& r : records) {
            if (!taken(&r, r.deleted)) continue;
            if (write(r) != kStatusOk) return kStatusStopped;
        }
        return kStatusOk;
    }

    bool goOn() { return m_control.checkpoint(); }

    Status messages(const MessageRecord& summary) {
        const auto it = m_results.messageChats.find(summary.handleId);
        if (it == m_results.messageChats.end()) return kStatusOk;
        return chat(messageChatFileName(summary), it->second);
    }

    Status messengerChat(ItemKind kind, const MessengerChatSummary& summary) {
        const AccountChatMap& chats = m_results.messengerChats(kind);
        const auto account = chats.find(summary.account);
        if (account == chats.end()) return kStatusOk;
        const auto partner = account->second.find(summary.partner);
        if (partner == account->second.end()) return kStatusOk;
        return chat(summary.account + ": " + messengerChatName(summary), partner->second);
    }

    /// A conversation of text messages under its name.
    Status chat(std::string_view name, const std::vector<MessageRecord>& messages) {
        openChat(m_out, name);
        for (const MessageRecord& m : messages) {
            if (!goOn()) return kStatusStopped;
            openBlock(m_out, m.deleted);
            field(m_out, m.fromMe != 0 ? "To:" : "From:", messageParty(m));
            field(m_out, "Date:", m.date);
            field(m_out, "Content:", m.text);
            if (!m.attachmentName.empty()) field(m_out, "Attachment:", m.attachmentName);
            m_out += "</div>\r\n";
        }
        m_out += kCloseChat;
        return kStatusOk;
    }

    Status contact(const ContactRecord& c) {
        if (!goOn()) return kStatusStopped;
        openBlock(m_out, c.deleted);
        field(m_out, "Name:", c.name);
        field(m_out, "Phone Number:", c.phones);
        field(m_out, "Company:", c.company);
        field(m_out, "Email:", c.email);
        field(m_out, "URL:", c.url);
        m_out += "</div>\r\n";
        return kStatusOk;
    }

    Status call(const CallRecord& c) {
        if (!goOn()) return kStatusStopped;
        openBlock(m_out, c.deleted);
        field(m_out, "Name:", c.contactName);
        field(m_out, "Phone Number:", c.number);
        field(m_out, "Date:", c.date);
        field(m_out, "Type:", callDirectionText(c));
        field(m_out, "State:", callStateText(c));
        field(m_out, "Duration:", durationText(c.duration));
        m_out += "</div>\r\n";
        return kStatusOk;
    }

    Status note(const NoteRecord& n) {
        if (!goOn()) return kStatusStopped;
        openBlock(m_out, n.deleted);
        field(m_out, "Title:", n.title);
        field(m_out, "Date:", n.date);
        field(m_out, "Notes:", noteBodyText(n));
        m_out += "</div>\r\n";
        return kStatusOk;
    }

    /// One block of labelled fields.
    Status block(std::initializer_list<std::pair<std::string_view, std::string_view>> fields) {
        if (!goOn()) return kStatusStopped;
        m_out += "<div>\r\n";
        for (const auto& [label, value] : fields)
            field(m_out, label, value);
        m_out += "</div>\r\n";
        return kStatusOk;
    }

    Status reminder(const ReminderRecord& r) {
        return block({{"Title:", r.title},
                      {"Due:", r.due},
                      {"Completed:", reminderCompletedText(r)},
                      {"List:", r.list},
                      {"Notes:", r.notes}});
    }

    Status event(const CalendarEventRecord& e) {
        return block({{"Title:", e.title},
                      {"Start:", e.start},
                      {"End:", e.end},
                      {"Location:", e.location},
                      {"Calendar:", e.calendar},
                      {"Repeat:", e.recurrence},
                      {"Notes:", e.notes}});
    }

    Status bookmark(const BookmarkRecord& b) {
        return block({{"Title:", b.title}, {"URL:", b.url}, {"Folder:", b.folder}});
    }

    Status whatsApp(const WhatsAppMessageRecord& summary) {
        const auto it = m_results.whatsAppChats.find(summary.chatKey);
        if (it == m_results.whatsAppChats.end()) return kStatusOk;
        openChat(m_out, summary.chatTitle.empty() ? whatsAppChatName(summary) : summary.chatTitle);
        field(m_out, "Chats:", summary.chatTitle);
        field(m_out, "Name:", summary.chatNames.empty() ? summary.senderName : summary.chatNames);
        field(m_out, "Phone Number:", summary.chatIds.empty() ? summary.senderId : summary.chatIds);
        m_out += "<p><span>Content:</span></p>\r\n";
        for (const WhatsAppMessageRecord& m : it->second) {
            if (!goOn()) return kStatusStopped;
            m_out += m.deleted != kLive ? "<p class=\"deleted\"><span class=\"deleted_label\">Deleted</span> "
                                        : "<p>";
            m_out += m.fromMe != 0 ? std::string("Me") : htmlEscape(whatsAppSender(m));
            m_out += " (";
            m_out += htmlEscape(m.date);
            m_out += "): ";
            m_out += htmlEscape(m.text);
            m_out += "</p>";
        }
        m_out += "\r\n";
        m_out += kCloseChat;
        return kStatusOk;
    }

    bool m_deletedOnly;
    const ScanResults& m_results;
    const SelectionTally& m_tally;
    WorkerControl& m_control;
    std::string& m_out;
};

} // namespace

std::string printHeadingHtml(ItemKind kind, bool deletedOnly, const PrintHeading& heading) {
    std::string_view category = "Items";
    for (const CategoryInfo& info : kCategories)
        if (info.kind == kind && kind != ItemKind::None) category = info.treeLabel;
    std::string html = "<header class=\"print_heading\">\r\n<h1>";
    html += htmlEscape(category);
    if (deletedOnly) html += " (deleted only)";
    html += "</h1>\r\n<p class=\"print_meta\">";
    if (!heading.deviceName.empty()) {
        html += "Device: ";
        html += htmlEscape(heading.deviceName);
        html += " &middot; ";
    }
    html += "Printed: ";
    html += htmlEscape(heading.printedAt.empty() ? unixTimeText(static_cast<std::int64_t>(std::time(nullptr))) : heading.printedAt);
    html += "</p>\r\n</header>\r\n";
    return html;
}

std::filesystem::path defaultPrintPagePath() {
    const std::filesystem::path program = platform::executableFolder();
    return (program.empty() ? std::filesystem::path("Print") : program / "Print") / "page.html";
}

Status buildPrintContent(ItemKind kind, bool deletedOnly, const ScanResults& results,
                         const SelectionTally& tally, WorkerControl& control, std::string& content) {
    return PrintBuilder(deletedOnly, results, tally, control, content).build(kind);
}

Status buildPrintPage(ItemKind kind, bool deletedOnly, const ScanResults& results,
                      const SelectionTally& tally, const HtmlTemplate& printTemplate,
                      const std::filesystem::path& pagePath, WorkerControl& control,
                      const PrintHeading& heading) {
    control.begin();
    std::string page = printTemplate.head;
    page += printHeadingHtml(kind, deletedOnly, heading);
    Status status = buildPrintContent(kind, deletedOnly, results, tally, control, page);
    if (status == kStatusOk) {
        page += printTemplate.tail;
        if (pagePath.has_parent_path()) platform::createFolders(pagePath.parent_path());
        std::error_code ec;
        if (!platform::writeWholeFile(pagePath, page, ec))
            status = ec ? static_cast<Status>(ec.value()) : kStatusInvalid;
    }
    control.end();
    return status;
}

bool hasPrintPage(ItemKind kind) {
    return holdsRecords(kind);
}

} // namespace orvelle
