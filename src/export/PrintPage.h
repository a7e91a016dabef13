#pragma once
/// The print page: the ticked items of one category as a single HTML page
/// built on the print template, whose script function Init(arg) starts the
/// printing once a browser has loaded the page.
///
/// Messages, Contacts, Call History, Notes, WhatsApp, QQ, WeChat, Reminder, Calendar and
/// Safari Bookmark give one block per item (for chats: per message, each
/// conversation in a section under its own heading); any other category gives
/// the heading alone. The page opens with a heading naming the category, the
/// device and when it was printed. A deleted record is marked by the class
/// "deleted" and the word "Deleted" as text. With the deleted-only filter on,
/// only deleted records are taken
/// (a chat counts as deleted when it holds a deleted message, and then all
/// of its messages are printed, the deleted ones marked). Values are escaped.

#include "core/Categories.h"
#include "core/Status.h"
#include "export/ExportTemplates.h"

#include <filesystem>
#include <string>

namespace orvelle {

struct ScanResults;
class SelectionTally;
class WorkerControl;

/// True for the categories that have a print page (the others would give the
/// template alone).
bool hasPrintPage(ItemKind kind);

/// What the heading of a page names besides the category.
struct PrintHeading {
    std::string deviceName; ///< the backup's display name; left out when empty
    std::string printedAt;  ///< "YYYY-MM-DD hh:mm:ss"; empty: the local time when the page is built
};

/// The heading of a page: the category (and "(deleted only)"), the device and the time printed.
std::string printHeadingHtml(ItemKind kind, bool deletedOnly, const PrintHeading& heading);

/// Where the page is written by default: "Print/page.html" beside the program.
std::filesystem::path defaultPrintPagePath();

/// The page content (without template) for `kind`. Checks `control` before
/// every item and every chat message; kStatusStopped when a stop was requested.
Status buildPrintContent(ItemKind kind, bool deletedOnly, const ScanResults& results,
                         const SelectionTally& tally, WorkerControl& control, std::string& content);

/// Builds the content and writes head, heading, content and tail to `pagePath` (its
/// folder created when missing; the page file is the program's own and is
/// replaced). kStatusStopped (nothing written) after a stop; the system's
/// error code when the page cannot be written.
Status buildPrintPage(ItemKind kind, bool deletedOnly, const ScanResults& results,
                      const SelectionTally& tally, const HtmlTemplate& printTemplate,
                      const std::filesystem::path& pagePath, WorkerControl& control,
                      const PrintHeading& heading = {});

} // namespace orvelle
