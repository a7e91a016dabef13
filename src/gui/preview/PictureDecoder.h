#pragma once
/// Turns a picture file into a QImage, choosing the decoder by the file's
/// content, never by its name: the preview copy of every picture is called
/// "tmp.jpg" whether it holds a JPEG, a PNG, a GIF or a HEIC/HEIF picture.
///
/// HEIC/HEIF (an ISO base-media "ftyp" box with a HEIF brand) goes through
/// libheif; everything else through Qt's image readers. Pictures larger than
/// kMaxPictureSide pixels on a side are refused before any pixel is decoded,
/// so a hostile header cannot make us allocate gigabytes.

#include <QImage>
#include <QString>

namespace orvelle::gui {

/// The largest width or height a picture may have.
constexpr int kMaxPictureSide = 16384;

/// True when `head` (the first bytes of a file, at least 12) starts a HEIF
/// container (HEIC, HEIF, AVIF brands).
bool looksLikeHeif(const QByteArray& head);

/// Decodes the picture at `path`; a null image on failure, with `error`
/// (when given) saying why in English for logs and tests.
QImage decodePicture(const QString& path, QString* error = nullptr);

} // namespace orvelle::gui
