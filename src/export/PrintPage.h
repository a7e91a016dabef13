#pragma once
/// The print page: the ticked items of one category as a single HTML page
/// built on the print template, whose script function Init(arg) starts the
/// printing once a browser has loaded the page.
///
/// Messages, Contacts, Call History, Notes, WhatsApp, Reminder, Calendar and
/// Safari Bookmark give one block per item (for chats: per message); the
/// media categories leave the template
/// alone. With the deleted-only filter on, only deleted records are taken
/// (a chat counts as deleted when it holds a deleted message, and then all
/// of its messages are printed). Values are escaped.

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

/// Where the page is written by default: "Print/page.html" beside the program.
std::filesystem::path defaultPrintPagePath();

/// The page content (without template) for `kind`. Checks `control` before
/// every item and every chat message; kStatusStopped when a stop was requested.
Status buildPrintContent(ItemKind kind, bool deletedOnly, const ScanResults& results,
                         const SelectionTally& tally, WorkerControl& control, std::string& content);

/// Builds the content and writes head, content and tail to `pagePath` (its
/// folder created when missing; the page file is the program's own and is
/// replaced). kStatusStopped (nothing written) after a stop; the system's
/// error code when the page cannot be written.
Status buildPrintPage(ItemKind kind, bool deletedOnly, const ScanResults& results,
                      const SelectionTally& tally, const HtmlTemplate& printTemplate,
                      const std::filesystem::path& pagePath, WorkerControl& control);

} // namespace orvelle
