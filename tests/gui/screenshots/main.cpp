// orvelle-gui-screenshots OUT [--language=NAME] [NAME...]: renders every
// window, page, dialog and message box of the desktop program, in every
// shipped language (or the one named), to OUT/<language>/<name>.png (on the
// offscreen platform unless a display is chosen). With names, only those
// registrations run.

#include "Screenshots.h"

#include "gui/app/InterfaceFont.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace orvelle::gui::shots {

namespace {

std::map<std::string, ShotFunction>& registry() {
    static std::map<std::string, ShotFunction> functions;
    return functions;
}

} // namespace

ShotRegistrar::ShotRegistrar(const char* name, ShotFunction function) {
    registry().emplace(name, std::move(function));
}

void settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    } while (timer.elapsed() < milliseconds);
}

void saveShot(const ShotContext& context, QWidget* widget, const QString& name) {
    widget->setWindowModality(Qt::NonModal);
    widget->show();
    widget->raise();
    settle(80);
    const QPixmap picture = widget->grab();
    const QString file = QString::fromStdString((context.outFolder / (name.toStdString() + ".png")).string());
    if (!picture.save(file)) std::cerr << "could not save " << file.toStdString() << "\n";
    else std::cout << file.toStdString() << "\n";
}

} // namespace orvelle::gui::shots

int main(int argc, char** argv) {
    using namespace orvelle::gui;
    QApplication application(argc, argv);
    useInterfaceFontStandIns();
    if (argc < 2) {
        std::cerr << "usage: orvelle-gui-screenshots OUT [--language=NAME] [NAME...]\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    QStringList languages{QStringLiteral("English"), QStringLiteral("Chinese")};
    std::vector<std::string> names;
    const QString languageOption = QStringLiteral("--language=");
    for (int i = 2; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument.startsWith(languageOption)) languages = {argument.mid(languageOption.size())};
        else names.emplace_back(argv[i]);
    }
    test::ProgramFolderCopy program;
    test::DemoCatalogue catalogue;
    DialogScript::start(); // nothing may wait for a click
    int failures = 0;
    for (const QString& language : languages) {
        LanguageTexts::instance().setLanguage(language);
        shots::ShotContext context{out / language.toStdString(), &catalogue, language};
        std::filesystem::create_directories(context.outFolder);
        for (auto& [name, function] : shots::registry()) {
            if (!names.empty() && std::find(names.begin(), names.end(), name) == names.end()) continue;
            try {
                function(context);
            } catch (const std::exception& e) {
                std::cerr << name << ": " << e.what() << "\n";
                ++failures;
            }
            for (QWidget* top : QApplication::topLevelWidgets()) top->close();
            shots::settle(10);
        }
    }
    if (!DialogScript::unscripted().isEmpty())
        std::cerr << "dialogs met while rendering: " << DialogScript::unscripted().join(", ").toStdString() << "\n";
    return failures == 0 ? 0 : 1;
}
