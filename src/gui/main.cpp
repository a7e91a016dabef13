// orvelle-gui: the desktop program. One copy per user: a second start brings
// the running window to the front and ends.

#include "backup/BackupStore.h"
#include "gui/app/InterfaceFont.h"
#include "gui/app/LanguageTexts.h"
#include "gui/app/SingleInstance.h"
#include "gui/common/MessageBox.h"
#include "gui/wizard/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    using namespace orvelle::gui;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Free Orvelle"));
    useInterfaceFontStandIns();

    SingleInstance instance;
    switch (instance.start()) {
    case SingleInstance::Outcome::OtherActivated:
        return 0;
    case SingleInstance::Outcome::OtherSilent:
        showMessageBox(nullptr, MessageKind::Information, messageText(QStringLiteral("MSG0101")), {}, QSize(350, 180));
        return 0;
    case SingleInstance::Outcome::First:
        break;
    }

    // The store lists the backups now; when it goes, the preview copies go with it.
    orvelle::BackupStore store;
    MainWindow window(store);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, &MainWindow::bringToFront);
    window.show();
    return application.exec();
}
