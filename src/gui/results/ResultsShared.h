#pragma once
/// What the category tree, the item list and the result views share: texts
/// of the "PageScan" section with their English defaults, when the scan's
/// selection tally may be read, which categories know deleted records, and
/// the colour of deleted rows.

#include "core/Categories.h"

#include <QColor>
#include <QString>

namespace orvelle {
class ScanRun;
}

namespace orvelle::gui {

/// The text of `key` in the "PageScan" section, or `fallback` when the
/// language file has none.
QString pageText(const char* key, const char* fallback);
QString pageText(const QString& key, const QString& fallback);

/// Language key of a category's tree row: "Node" and the label without spaces ("NodeCameraRoll").
QString categoryNodeKey(const CategoryInfo& category);

/// The message `key`, or `fallback` when the language file has none.
QString messageOr(const char* key, const char* fallback);

/// True when the view may read and change `run`'s selection tally: the
/// worker adds each finished category to the tally without a lock, so the
/// tally is touched only when no worker runs or while it is paused.
bool tallyReadable(const ScanRun* run);

/// True for the database categories (Messages, Contacts, Call History,
/// Notes, WhatsApp, QQ, WeChat, ...), whose records carry a deleted flag.
bool hasDeletedFlag(ItemKind kind);

/// Text colour of rows whose record was deleted on the device.
QColor deletedRowColour();

} // namespace orvelle::gui
