// Pictures of the preview pane: a chat, a contact card, a note, pictures
// (one of them HEIC when this libheif can encode it) and the copy progress
// dialog half-way.

#include "Screenshots.h"

#include "backup/BackupStore.h"
#include "backup/ScanSource.h"
#include "gui/preview/PreviewCopyDialog.h"
#include "gui/preview/PreviewPane.h"
#include "support/TempFolder.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPainter>

#include <libheif/heif.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace orvelle::gui::shots {

namespace {

namespace fs = std::filesystem;

constexpr QSize kPaneSize{300, 560};

MessageRecord message(const char* date, bool fromMe, const char* text, bool deleted = false) {
    MessageRecord m;
    m.date = date;
    m.fromMe = fromMe ? 1 : 0;
    m.address = "+1 202 555 0147";
    m.contactName = "Maria Lopez";
    m.text = text;
    m.deleted = deleted ? kDeleted : kLive;
    return m;
}

/// A landscape scene: sky, sun, hills.
QImage scene(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(0x4a, 0x90, 0xd9));
    sky.setColorAt(1, QColor(0xcf, 0xe8, 0xff));
    painter.fillRect(image.rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0xff, 0xd2, 0x4a));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(width * 0.75, height * 0.28), height * 0.12, height * 0.12);
    painter.setBrush(QColor(0x3f, 0x8f, 0x4a));
    painter.drawEllipse(QPointF(width * 0.25, height * 1.05), width * 0.55, height * 0.45);
    painter.setBrush(QColor(0x2e, 0x73, 0x3a));
    painter.drawEllipse(QPointF(width * 0.85, height * 1.1), width * 0.5, height * 0.5);
    return image;
}

/// Writes `image` as HEIC; false when this libheif cannot encode HEVC.
bool writeHeic(const QImage& source, const fs::path& path) {
    if (!heif_have_encoder_for_format(heif_compression_HEVC)) return false;
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code != heif_error_Ok) {
        heif_context_free(context);
        return false;
    }
    heif_encoder_set_lossy_quality(encoder, 85);
    heif_image* image = nullptr;
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t* pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(pixels + y * stride, rgb.constScanLine(y), std::size_t(rgb.width()) * 3);
    heif_error error = heif_context_encode_image(context, image, encoder, nullptr, nullptr);
    heif_encoder_release(encoder);
    heif_image_release(image);
    if (error.code == heif_error_Ok) error = heif_context_write_to_file(context, path.string().c_str());
    heif_context_free(context);
    return error.code == heif_error_Ok;
}

/// A store and source whose preview copies go to a temporary data folder.
struct PreviewSource {
    orvelle::test::TempFolder folder{"orvelle-shots-preview"};
    std::unique_ptr<BackupStore> store;
    std::unique_ptr<ScanSource> source;
    PreviewSource() {
        store = std::make_unique<BackupStore>(BackupStoreOptions{{}, folder.path() / "data"});
        source = createScanSource(int(ScanSourceType::LocalBackup), store.get());
    }
};

void pictureShot(ShotContext& context, const fs::path& stored, const QString& name) {
    PreviewSource source;
    PreviewPane pane;
    pane.resize(kPaneSize);
    pane.setSource(source.source.get());
    pane.show();
    settle(30);
    pane.showMedia(stored.string(), stored.filename().string());
    saveShot(context, &pane, name);
}

ShotRegistrar chat("preview-chat", [](ShotContext& context) {
    PreviewPane pane;
    pane.resize(kPaneSize);
    std::vector<MessageRecord> messages{
        message("2026-11-28 09:14:03", false, "Are we still on for lunch on Saturday?"),
        message("2026-11-28 09:16:40", true, "Yes! 12:30 at the usual place?"),
        message("2026-11-28 09:17:12", false, "Perfect. I'll bring the photos from the trip."),
        message("2026-11-28 09:20:55", false, "Don't tell anyone about the surprise party <3", true),
        message("2026-11-28 09:22:31", true, "Here is the map."),
        message("2026-11-28 21:05:09", false, "Thanks, see you there!"),
    };
    messages[4].attachmentName = "IMG_2231.JPG";
    pane.showConversation(messages);
    saveShot(context, &pane, "preview-chat");
});

ShotRegistrar contact("preview-contact", [](ShotContext& context) {
    PreviewPane pane;
    pane.resize(kPaneSize);
    ContactRecord record;
    record.name = "Maria Lopez";
    record.phones = "+1 202 555 0147\n+1 202 555 0199";
    record.email = "maria.lopez@example.com";
    record.address = "1200 Harbor Street\nSpringfield";
    record.url = "https://maria.example.com";
    record.company = "Lopez & Sons Bakery";
    pane.showContact(record);
    saveShot(context, &pane, "preview-contact");
    record.deleted = kDeleted;
    record.email.clear();
    record.url.clear();
    pane.showContact(record);
    saveShot(context, &pane, "preview-contact-deleted");
});

ShotRegistrar note("preview-note", [](ShotContext& context) {
    PreviewPane pane;
    pane.resize(kPaneSize);
    NoteRecord record;
    record.title = "Packing list";
    record.body = "Passport\nCharger and adapter\nRain jacket\nBooks for the flight\n\n"
                  "Remember to water the plants before leaving.";
    pane.showNote(record);
    saveShot(context, &pane, "preview-note");
    record.deleted = kDeleted;
    pane.showNote(record);
    saveShot(context, &pane, "preview-note-deleted");
});

ShotRegistrar picture("preview-picture", [](ShotContext& context) {
    orvelle::test::TempFolder folder("orvelle-shots-pictures");
    const fs::path jpeg = folder.path() / "IMG_0042.JPG";
    scene(640, 480).save(QString::fromStdString(jpeg.string()), "JPG", 90);
    pictureShot(context, jpeg, "preview-picture");
    const fs::path heic = folder.path() / "IMG_0043.HEIC";
    if (writeHeic(scene(480, 640), heic)) pictureShot(context, heic, "preview-picture-heic");
    pictureShot(context, folder.path() / "missing.jpg", "preview-picture-missing");
});

ShotRegistrar progress("preview-copy-progress", [](ShotContext& context) {
    std::atomic<bool> release{false};
    PreviewCopyDialog dialog(
        [&release](fs::path& out, PreviewProgress report, void* callContext) -> Status {
            report(callContext, 42);
            for (int i = 0; i < 1000 && !release; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            report(callContext, 100);
            return kStatusOk;
        },
        QStringLiteral("IMG_0815.MOV"), nullptr);
    dialog.start();
    settle(100);
    saveShot(context, &dialog, "preview-copy-progress");
    release = true;
    QElapsedTimer timer;
    timer.start();
    while (dialog.isVisible() && timer.elapsed() < 5000) settle(20);
});

} // namespace

} // namespace orvelle::gui::shots
