#pragma once
/// Asking the user for a folder (the system's folder chooser, or the test script).

#include <QString>

class QWidget;

namespace orvelle::gui {

/// The folder the user picked, or an empty text when the chooser was cancelled.
QString chooseFolder(QWidget* owner, const QString& title);

} // namespace orvelle::gui
