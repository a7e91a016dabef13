#include "gui/preview/PictureDecoder.h"

#include <QFile>
#include <QImageReader>

#include <libheif/heif.h>

#include <cstring>
#include <memory>

namespace orvelle::gui {

namespace {

/// Bytes of the file read for the content check.
constexpr qint64 kHeadSize = 64;
/// Largest HEIF file read into memory (the decoder needs it whole).
constexpr qint64 kMaxHeifFileSize = 512LL * 1024 * 1024;

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

struct HeifContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HeifHandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct HeifImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};

QImage decodeHeif(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("cannot open the file"));
        return {};
    }
    if (file.size() > kMaxHeifFileSize) {
        setError(error, QStringLiteral("the file is too large"));
        return {};
    }
    // Read through Qt so that any path the rest of the program can open works
    // here too; libheif only looks at the bytes while `data` lives.
    const QByteArray data = file.readAll();
    std::unique_ptr<heif_context, HeifContextDeleter> context(heif_context_alloc());
    if (!context) {
        setError(error, QStringLiteral("libheif could not make a context"));
        return {};
    }
    heif_context_set_maximum_image_size_limit(context.get(), kMaxPictureSide);
    heif_error result =
        heif_context_read_from_memory_without_copy(context.get(), data.constData(), size_t(data.size()), nullptr);
    if (result.code != heif_error_Ok) {
        setError(error, QStringLiteral("libheif: ") + QString::fromUtf8(result.message));
        return {};
    }
    heif_image_handle* rawHandle = nullptr;
    result = heif_context_get_primary_image_handle(context.get(), &rawHandle);
    std::unique_ptr<heif_image_handle, HeifHandleDeleter> handle(rawHandle);
    if (result.code != heif_error_Ok || !handle) {
        setError(error, QStringLiteral("libheif: ") + QString::fromUtf8(result.message));
        return {};
    }
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
        setError(error, QStringLiteral("the picture's size is out of range"));
        return {};
    }
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    heif_image* rawImage = nullptr;
    result = heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                               alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr);
    std::unique_ptr<heif_image, HeifImageDeleter> image(rawImage);
    if (result.code != heif_error_Ok || !image) {
        setError(error, QStringLiteral("libheif: ") + QString::fromUtf8(result.message));
        return {};
    }
    int stride = 0;
    const uint8_t* pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int planeWidth = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int planeHeight = heif_image_get_height(image.get(), heif_channel_interleaved);
    const int bytesPerPixel = alpha ? 4 : 3;
    if (!pixels || planeWidth <= 0 || planeHeight <= 0 || planeWidth > kMaxPictureSide ||
        planeHeight > kMaxPictureSide || stride < planeWidth * bytesPerPixel) {
        setError(error, QStringLiteral("libheif gave no usable pixels"));
        return {};
    }
    QImage out(planeWidth, planeHeight, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    if (out.isNull()) {
        setError(error, QStringLiteral("not enough memory for the picture"));
        return {};
    }
    const std::size_t rowBytes = std::size_t(planeWidth) * bytesPerPixel;
    for (int y = 0; y < planeHeight; ++y)
        std::memcpy(out.scanLine(y), pixels + std::size_t(y) * std::size_t(stride), rowBytes);
    return out;
}

QImage decodeWithQt(const QString& path, QString* error) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)) {
        setError(error, QStringLiteral("the picture's size is out of range"));
        return {};
    }
    QImage image = reader.read();
    if (image.isNull()) setError(error, reader.errorString());
    return image;
}

} // namespace

bool looksLikeHeif(const QByteArray& head) {
    if (head.size() < 12) return false;
    const auto kind = heif_check_filetype(reinterpret_cast<const uint8_t*>(head.constData()), int(head.size()));
    return kind == heif_filetype_yes_supported || kind == heif_filetype_yes_unsupported;
}

QImage decodePicture(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("cannot open the file"));
        return {};
    }
    const QByteArray head = file.read(kHeadSize);
    file.close();
    return looksLikeHeif(head) ? decodeHeif(path, error) : decodeWithQt(path, error);
}

} // namespace orvelle::gui
