// Pictures of the main window in its wizard steps, the assist menu, the
// About dialog and the five kinds of message box.

#include "Screenshots.h"

#include "backup/BackupStore.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/MessageBox.h"
#include "gui/wizard/AboutDialog.h"
#include "gui/wizard/MainWindow.h"
#include "support/TempFolder.h"

#include <QMenu>
#include <QPainter>
#include <QToolButton>

namespace orvelle::gui::shots {
namespace {

BackupStoreOptions demoOptions(const ShotContext& context, const orvelle::test::TempFolder& data) {
    return {{context.catalogue->root()}, data.path()};
}

ShotRegistrar mainWindow("main-window", [](ShotContext& context) {
    orvelle::test::TempFolder data;
    BackupStore store(demoOptions(context, data));
    MainWindow window(store);
    window.resize(1000, 665);
    saveShot(context, &window, QStringLiteral("main-backup-list"));
    window.findChild<QToolButton*>(QStringLiteral("OptStep2"))->setChecked(true);
    saveShot(context, &window, QStringLiteral("main-categories"));
});

ShotRegistrar assistMenu("assist-menu", [](ShotContext& context) {
    orvelle::test::TempFolder data;
    BackupStore store(demoOptions(context, data));
    MainWindow window(store);
    window.resize(1000, 665);
    window.show();
    settle(50);
    // The menu is drawn over the window's top-right corner, where it opens.
    auto* button = window.findChild<QToolButton*>(QStringLiteral("BtnAssist"));
    QMenu* menu = button->menu();
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
    settle(80);
    QPixmap picture = window.grab();
    {
        QPainter painter(&picture);
        const QPoint at = window.mapFromGlobal(menu->pos());
        painter.drawPixmap(QPoint(std::min(at.x(), window.width() - menu->width()), at.y()), menu->grab());
    }
    menu->hide();
    picture.save(QString::fromStdString((context.outFolder / "assist-menu.png").string()));
});

ShotRegistrar about("about", [](ShotContext& context) {
    AboutDialog dialog;
    saveShot(context, &dialog, QStringLiteral("about"));
});

ShotRegistrar boxes("message-boxes", [](ShotContext& context) {
    const struct {
        MessageKind kind;
        const char* key;
        const char* name;
    } kinds[] = {
        {MessageKind::Error, "MSG1104", "box-error"},
        {MessageKind::Confirm, "MSG0510", "box-confirm"},
        {MessageKind::Information, "MSG0302", "box-information"},
        {MessageKind::Warning, "MSG0301", "box-warning"},
        {MessageKind::Question, "MSG0508", "box-question"},
    };
    for (const auto& k : kinds) {
        MessageBox box(nullptr, k.kind);
        box.setText(messageText(QString::fromLatin1(k.key)));
        saveShot(context, &box, QString::fromLatin1(k.name));
    }
    MessageBox running(nullptr, MessageKind::Information, QSize(350, 180));
    running.setText(messageText(QStringLiteral("MSG0101")));
    saveShot(context, &running, QStringLiteral("box-already-running"));
});

} // namespace
} // namespace orvelle::gui::shots
