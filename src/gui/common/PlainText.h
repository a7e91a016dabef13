#pragma once
/// Texts from a backup in widgets. Qt takes a tool tip, and a label left at
/// Qt::AutoText, for rich text as soon as it looks like HTML: a device name
/// "<img src=\"file:///...\">" would load a file, "<b>" would change the
/// look, "&lt;" would lose its letters. So a label that shows such a text is
/// set to Qt::PlainText (in its form or where it is made), and every tool tip
/// that holds one goes through plainToolTip.

#include <QString>

namespace orvelle::gui {

/// `text` as a tool tip that shows exactly its characters: escaped and given
/// as rich text, its line breaks kept. Empty (no tool tip) for an empty text.
QString plainToolTip(const QString& text);

} // namespace orvelle::gui
