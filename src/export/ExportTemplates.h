#pragma once
/// The HTML templates that shape the exported documents and the print page.
/// They ship in the "template" folder beside the program and are read whole.
///
/// A template is split at the first "{|content|}": the text before it is the
/// head, the text after it the tail; generated rows or message blocks go in
/// between. "{|title|}" in a head becomes the document's title and "{|person|}"
/// in a chat head names the chat partner. Values put into them are escaped.

#include "core/Status.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace orvelle {

constexpr std::string_view kContentPlaceholder = "{|content|}";
constexpr std::string_view kTitlePlaceholder = "{|title|}";
constexpr std::string_view kPersonPlaceholder = "{|person|}";

constexpr std::string_view kCallHistoryTemplate = "CallHistory.html";
constexpr std::string_view kNotesTemplate = "Notes.html";
constexpr std::string_view kContactsTemplate = "contacts.html";
constexpr std::string_view kSmsTemplate = "Sms.html";
constexpr std::string_view kWhatsAppTemplate = "WhatsApp.html";
constexpr std::string_view kPrintTemplate = "Print.html";
constexpr std::string_view kRemindersTemplate = "Reminders.html";
constexpr std::string_view kCalendarTemplate = "Calendar.html";
constexpr std::string_view kBookmarksTemplate = "Bookmarks.html";
constexpr std::string_view kIndexTemplate = "Index.html";

/// A template split at its content placeholder.
struct HtmlTemplate {
    std::string head;
    std::string tail;
};

/// The document templates of an export, titles filled in.
struct ExportTemplates {
    HtmlTemplate callHistory;
    HtmlTemplate notes;
    HtmlTemplate contacts;
    HtmlTemplate sms;
    HtmlTemplate whatsApp;
    HtmlTemplate reminders;
    HtmlTemplate calendar;
    HtmlTemplate bookmarks;
    HtmlTemplate index; ///< the export's index page; empty (a bare page) when its template is missing
};

/// The "template" folder beside the running program.
std::filesystem::path templateFolder();

/// Splits `text` at its first content placeholder. False when it has none.
bool splitTemplate(std::string_view text, HtmlTemplate& out);

/// Reads the document templates from `folder` and replaces the title
/// placeholder in each head with the document's title and `backupName`;
/// the index page's template is read too, but may be missing.
/// Fails (kStatusInvalid when a template has no content placeholder, else
/// the system's error code) naming the template in `failedFile`.
Status loadExportTemplates(const std::filesystem::path& folder, std::string_view backupName,
                           ExportTemplates& out, std::filesystem::path* failedFile = nullptr);

/// The print template from `folder`; head and tail stay empty when it cannot
/// be read or has no content placeholder (the page then holds the content alone).
HtmlTemplate loadPrintTemplate(const std::filesystem::path& folder);

/// A fresh copy of a chat head with "{|person|}" replaced by
/// "Name: " + name + ", Phone: " + phone (both escaped).
std::string chatHead(const HtmlTemplate& chatTemplate, std::string_view name, std::string_view phone);

} // namespace orvelle
