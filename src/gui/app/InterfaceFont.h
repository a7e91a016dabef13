#pragma once
/// The interface font's stand-ins. On Windows, Qt draws the interface in the
/// system's message font: "Segoe UI" on Windows, "MS Shell Dlg" under Wine,
/// a name Windows' own font mapper resolves but Qt's font database does not
/// know, so that the text came out in the first face of the list (a serif
/// one). Where the message font is missing, "Tahoma" (Windows has it, and
/// so does Wine) stands in, else "DejaVu Sans" (the Linux machine Wine runs
/// on).

namespace orvelle::gui {

/// Registers the stand-ins; call once, before the first window is drawn.
void useInterfaceFontStandIns();

} // namespace orvelle::gui
