#pragma once
/// The program's own icon set: SVG files of skin/, compiled into the program
/// as ":/skin/<name>.svg", drawn sharp at any scale. A Qt without its SVG
/// module (the Windows build) gets them drawn at build time as pictures of
/// several sizes, scaled from the nearest larger one.
///
/// Names: logo, lock, backup, step-1, step-2, step-3, assist, group,
/// camera-roll, photo-stream, app-photos, app-videos, messages,
/// message-attachments, contacts, call-history, notes, whatsapp,
/// whatsapp-attachments, reminder, calendar, safari-bookmark, picture, video,
/// sound, folder, deleted, check-on, check-off, check-partial, pause, resume,
/// stop, home, recover, print, back, search, switch-on, switch-off,
/// box-error, box-confirm, box-information, box-warning, box-question,
/// open-folder, details, pdf.

#include "core/Categories.h"

#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace orvelle::gui {

/// The icon called `name` (an empty icon when there is none).
QIcon skinIcon(const QString& name);
/// The icon called `name` drawn at `size` logical pixels for `devicePixelRatio`.
QPixmap skinPixmap(const QString& name, QSize size, qreal devicePixelRatio = 1.0);
/// The icon of a category node, by the control name of its option
/// ("OptCameraRoll" -> camera-roll ...).
QIcon categoryIcon(const CategoryInfo& category);

} // namespace orvelle::gui
