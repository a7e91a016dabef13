#include "gui/common/Icons.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace orvelle::gui {

namespace {

QString resourcePath(const QString& name) { return QStringLiteral(":/skin/") + name + QStringLiteral(".svg"); }

} // namespace

QIcon skinIcon(const QString& name) {
    const QString path = resourcePath(name);
    if (!QFile::exists(path)) return {};
    return QIcon(path); // Qt's SVG icon engine renders each requested size anew
}

QPixmap skinPixmap(const QString& name, QSize size, qreal devicePixelRatio) {
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resourcePath(name));
    if (renderer.isValid()) {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon categoryIcon(const CategoryInfo& category) {
    QString name;
    for (const QChar c : QString::fromLatin1(category.treeLabel.data(), static_cast<qsizetype>(category.treeLabel.size()))) {
        if (c == u' ') name += u'-';
        else name += c.toLower();
    }
    if (name == QStringLiteral("messages-attachments")) name = QStringLiteral("message-attachments");
    return skinIcon(name);
}

} // namespace orvelle::gui
