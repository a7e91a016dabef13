#pragma once
/// "About": the program's version and the versions of the libraries in use.

#include <QDialog>

namespace orvelle::gui {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* owner = nullptr);
    /// One line per component: "Orvelle 0.1.0", "Qt 6.4.2", "SQLite …", …
    static QStringList versionLines();
};

} // namespace orvelle::gui
