#include "gui/common/FolderChooser.h"

#include "gui/common/DialogScript.h"

#include <QFileDialog>

namespace orvelle::gui {

QString chooseFolder(QWidget* owner, const QString& title) {
    if (DialogScript::active()) return DialogScript::takeFolder(title);
    return QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
}

} // namespace orvelle::gui
