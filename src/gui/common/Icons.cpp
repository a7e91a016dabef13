#include "gui/common/Icons.h"

#include <QFile>
#include <QPainter>
#ifdef ORVELLE_ICONS_AS_PICTURES
#include <QImage>
#else
#include <QSvgRenderer>
#endif

#include <algorithm>
#include <iterator>

namespace orvelle::gui {

#ifdef ORVELLE_ICONS_AS_PICTURES

// A Qt without its SVG module: each icon was drawn at build time at these
// sizes as ":/skin/<name>-<size>.png".
namespace {

constexpr int kPictureSizes[] = {16, 24, 32, 48, 64, 96, 128, 256};

QString picturePath(const QString& name, int size) {
    return QStringLiteral(":/skin/%1-%2.png").arg(name).arg(size);
}

} // namespace

QIcon skinIcon(const QString& name) {
    QIcon icon;
    for (const int size : kPictureSizes) {
        const QString path = picturePath(name, size);
        if (QFile::exists(path)) icon.addFile(path, QSize(size, size));
    }
    return icon;
}

QPixmap skinPixmap(const QString& name, QSize size, qreal devicePixelRatio) {
    const QSize pixels = size * devicePixelRatio;
    QPixmap pixmap(pixels);
    pixmap.fill(Qt::transparent);
    // The smallest picture at least as large as asked for, else the largest.
    const int wanted = std::max(pixels.width(), pixels.height());
    int chosen = *std::prev(std::end(kPictureSizes));
    for (const int candidate : kPictureSizes) {
        if (candidate >= wanted) {
            chosen = candidate;
            break;
        }
    }
    const QImage picture(picturePath(name, chosen));
    if (!picture.isNull()) {
        QPainter painter(&pixmap);
        painter.drawImage(QPoint(0, 0), picture.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

#else

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

#endif

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
