// The preview pane: chats, contact cards and notes as the user sees them
// (deleted records in orange, empty fields hidden, hostile text shown as
// text), pictures decoded by content (JPEG, PNG, HEIC), and media copies made
// directly or behind the progress dialog at the 64 KiB boundary.

#include "backup/BackupStore.h"
#include "backup/ScanSource.h"
#include "gui/app/LanguageTexts.h"
#include "gui/common/DialogScript.h"
#include "gui/preview/ChatView.h"
#include "gui/preview/MediaPlayers.h"
#include "gui/preview/PictureDecoder.h"
#include "gui/preview/PreviewCopyDialog.h"
#include "gui/preview/PreviewPane.h"
#include "gui/support/GuiFixture.h"
#include "support/MediaSamples.h"
#include "support/TempFolder.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTextBrowser>

#include <libheif/heif.h>

#include <atomic>
#include <thread>

using namespace orvelle;
using namespace orvelle::gui;
namespace fs = std::filesystem;

namespace {

/// A small HEIC picture with a colour gradient; empty text when it was made,
/// else why not.
QString writeHeic(const fs::path& path, int width = 128, int height = 96) {
    if (!heif_have_encoder_for_format(heif_compression_HEVC)) return QStringLiteral("libheif has no HEVC encoder");
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_error error = heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    if (error.code != heif_error_Ok) {
        heif_context_free(context);
        return QString::fromUtf8(error.message);
    }
    heif_encoder_set_lossy_quality(encoder, 90);
    heif_image* image = nullptr;
    heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, width, height, 8);
    int stride = 0;
    uint8_t* pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = pixels + y * stride + x * 3;
            p[0] = uint8_t(x * 255 / width);
            p[1] = uint8_t(y * 255 / height);
            p[2] = 160;
        }
    error = heif_context_encode_image(context, image, encoder, nullptr, nullptr);
    heif_encoder_release(encoder);
    heif_image_release(image);
    if (error.code == heif_error_Ok) error = heif_context_write_to_file(context, path.string().c_str());
    heif_context_free(context);
    return error.code == heif_error_Ok ? QString() : QString::fromUtf8(error.message);
}

bool varied(const QImage& image) {
    if (image.isNull()) return false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            if (image.pixel(x, y) != first) return true;
    return false;
}

/// A gradient with some grain, so that even small pictures are bigger than
/// the 512 bytes the type detection reads.
QImage gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 60 + (x * 7919 + y * 104729) % 97));
    return image;
}

MessageRecord message(const char* date, bool fromMe, const std::string& text, bool deleted = false) {
    MessageRecord m;
    m.date = date;
    m.fromMe = fromMe ? 1 : 0;
    m.address = "+1 555 0100";
    m.contactName = "Ada";
    m.text = text;
    m.deleted = deleted ? kDeleted : kLive;
    return m;
}

} // namespace

class PreviewPaneTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<orvelle::gui::test::ProgramFolderCopy> m_program;
    std::unique_ptr<orvelle::test::TempFolder> m_files;
    std::unique_ptr<BackupStore> m_store;
    std::unique_ptr<ScanSource> m_source;

    fs::path file(const std::string& name) const { return m_files->path() / name; }
    QTextBrowser* edit(PreviewPane& pane) { return pane.findChild<QTextBrowser*>(QStringLiteral("PreviewEdit")); }
    ChatModel* chat(PreviewPane& pane) {
        return pane.findChild<ChatView*>(QStringLiteral("ChatView"))->chatModel();
    }

private slots:
    void initTestCase() {
        m_program = std::make_unique<orvelle::gui::test::ProgramFolderCopy>();
        m_files = std::make_unique<orvelle::test::TempFolder>("orvelle-preview-test");
        BackupStoreOptions options;
        options.dataFolder = m_files->path() / "data";
        m_store = std::make_unique<BackupStore>(options);
        m_source = createScanSource(int(ScanSourceType::LocalBackup), m_store.get());
        QVERIFY(m_source);
    }

    void init() { DialogScript::start(); }
    void cleanup() {
        QVERIFY2(DialogScript::unscripted().isEmpty(), qPrintable(DialogScript::unscripted().join('\n')));
        DialogScript::stop();
    }

    void decodesJpegAndPngByContent() {
        // Named as the preview copy is, whatever the format.
        for (const char* format : {"JPG", "PNG"}) { // Qt writes no GIF
            const fs::path path = file(std::string("picture-") + format + ".jpg");
            QVERIFY(gradient(40, 30).save(QString::fromStdString(path.string()), format));
            QString error;
            const QImage image = decodePicture(QString::fromStdString(path.string()), &error);
            QVERIFY2(varied(image), qPrintable(QString::fromLatin1(format) + ": " + error));
            QCOMPARE(image.size(), QSize(40, 30));
        }
        QString error;
        orvelle::test::writeFile(file("not-a-picture.jpg"), orvelle::test::mediaSample(orvelle::test::MediaSample::Png));
        QVERIFY(decodePicture(QString::fromStdString(file("not-a-picture.jpg").string()), &error).isNull());
        QVERIFY(!error.isEmpty());
    }

    void decodesHeicThroughThePane() {
        const fs::path heic = file("IMG_0001.HEIC");
        if (!writeHeic(heic).isEmpty()) {
            // No HEVC encoder (the Windows build has the decoder only): the
            // same gradient, made once with one.
            fs::copy_file(fs::path(ORVELLE_SOURCE_DIR) / "tests/data/heic/gradient-128x96.heic", heic,
                          fs::copy_options::overwrite_existing);
        }
        QString error;
        const QImage direct = decodePicture(QString::fromStdString(heic.string()), &error);
        QVERIFY2(varied(direct), qPrintable(error));
        QCOMPARE(direct.size(), QSize(128, 96));

        PreviewPane pane;
        pane.resize(300, 560);
        pane.setSource(m_source.get());
        QSignalSpy prepared(&pane, &PreviewPane::mediaPrepared);
        pane.showMedia(heic.string(), "IMG_0001.HEIC");
        QCOMPARE(prepared.count(), 1);
        // The copy is tmp.jpg; the picture is still read as HEIC.
        QVERIFY(prepared.at(0).at(0).toString().endsWith(QStringLiteral("tmp.jpg")));
        QVERIFY(varied(pane.shownPicture()));
        QVERIFY(edit(pane)->isVisibleTo(&pane));
    }

    void unreadablePictureSaysSo() {
        orvelle::test::writeFile(file("broken.png"), orvelle::test::mediaSample(orvelle::test::MediaSample::Png, 2000));
        PreviewPane pane;
        pane.setSource(m_source.get());
        pane.showMedia(file("broken.png").string(), "broken.png");
        QVERIFY(pane.shownPicture().isNull());
        QCOMPARE(edit(pane)->toPlainText().trimmed(), messageText("MSG0910"));
        pane.showMedia(file("missing.png").string(), "missing.png");
        QCOMPARE(edit(pane)->toPlainText().trimmed(), messageText("MSG0910"));
    }

    void copiesOverSixtyFourKiBBehindTheDialog_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("throughDialog");
        QTest::newRow("65536 bytes") << 65536 << false;
        QTest::newRow("65537 bytes") << 65537 << true;
    }
    void copiesOverSixtyFourKiBBehindTheDialog() {
        QFETCH(int, size);
        QFETCH(bool, throughDialog);
        const fs::path path = file("sample-" + std::to_string(size) + ".png");
        orvelle::test::writeFile(path, orvelle::test::mediaSample(orvelle::test::MediaSample::Png, std::size_t(size)));
        PreviewPane pane;
        pane.setSource(m_source.get());
        QSignalSpy prepared(&pane, &PreviewPane::mediaPrepared);
        pane.showMedia(path.string(), path.filename().string());
        QCOMPARE(prepared.count(), 1);
        QCOMPARE(prepared.at(0).at(1).toBool(), throughDialog);
        QCOMPARE(fs::file_size(prepared.at(0).at(0).toString().toStdString()), std::uintmax_t(size));
        QVERIFY(DialogScript::messageBoxes().isEmpty());
    }

    void samePictureTwiceCopiesOnce() {
        const fs::path path = file("again.png");
        QVERIFY(gradient(200, 100).save(QString::fromStdString(path.string()), "PNG"));
        const fs::path other = file("other.jpg");
        QVERIFY(gradient(60, 60).save(QString::fromStdString(other.string()), "JPG"));
        PreviewPane pane;
        pane.resize(300, 560);
        pane.setSource(m_source.get());
        QSignalSpy prepared(&pane, &PreviewPane::mediaPrepared);
        pane.showMedia(path.string(), "again.png");
        QVERIFY2(prepared.count() == 1, qPrintable(edit(pane)->toPlainText()));
        pane.showMedia(path.string(), "again.png");
        QCOMPARE(prepared.count(), 1);
        QCOMPARE(pane.shownPicture().size(), QSize(200, 100));
        pane.showMedia(other.string(), "other.jpg");
        QCOMPARE(prepared.count(), 2);
        QCOMPARE(pane.shownPicture().size(), QSize(60, 60));
        pane.clear(); // forgets the copy
        pane.showMedia(other.string(), "other.jpg");
        QCOMPARE(prepared.count(), 3);
    }

    void soundsAndVideosGoToTheirPlayers_data() {
        QTest::addColumn<int>("sample");
        QTest::addColumn<QString>("copyName");
        QTest::newRow("sound") << int(orvelle::test::MediaSample::Wave) << QStringLiteral("tmp.wav");
        QTest::newRow("video") << int(orvelle::test::MediaSample::Avi) << QStringLiteral("tmp.avi");
    }
    void soundsAndVideosGoToTheirPlayers() {
#ifdef _WIN32
        QSKIP("tells the players apart by their command lines in /proc, which Windows has not "
              "(MediaPlayersTest starts and ends players there)");
#endif
        QFETCH(int, sample);
        QFETCH(QString, copyName);
        const fs::path path = file("clip-" + copyName.toStdString());
        orvelle::test::writeFile(path, orvelle::test::mediaSample(orvelle::test::MediaSample(sample), 4096));
        qint64 player = 0;
        {
            PreviewPane pane;
            pane.setSource(m_source.get());
            // Players that keep running quietly, told apart by how long they sleep.
            const QStringList sound{"-c", "exec sleep 31", "player"};
            const QStringList video{"-c", "exec sleep 32", "player"};
            pane.players().setSettings({{"/bin/sh", sound}, {"/bin/sh", video}});
            pane.players().setVideoStartTimeout(60000);
            QSignalSpy prepared(&pane, &PreviewPane::mediaPrepared);
            pane.showMedia(path.string(), "clip");
            QCOMPARE(prepared.count(), 1);
            QVERIFY(prepared.at(0).at(0).toString().endsWith(copyName));
            QCOMPARE(edit(pane)->toPlainText().trimmed(), formatMessage(messageText("MSG0911"), {"clip"}));
            QTRY_COMPARE(int(pane.players().runningIds().size()), 1);
            player = pane.players().runningIds().front();
            const std::string mark = copyName == "tmp.wav" ? "31" : "32";
            // Right after the start the child may not have loaded the shell yet.
            QTRY_VERIFY(orvelle::test::readFile("/proc/" + std::to_string(player) + "/cmdline").find(mark) !=
                        std::string::npos);
        }
        // Closing the pane ended the player.
        QVERIFY(!fs::exists("/proc/" + std::to_string(player)));
    }

    void chatShowsSidesAndDeletedInOrange() {
        PreviewPane pane;
        pane.resize(300, 560);
        std::vector<MessageRecord> messages{message("2026-01-02 10:00:00", false, "Hello"),
                                            message("2026-01-02 10:01:00", true, "Hi there"),
                                            message("2026-01-02 10:02:00", false, "gone", true)};
        messages[2].contactName.clear();
        messages[1].attachmentName = "IMG_0001.JPG";
        pane.showConversation(messages);
        ChatModel* model = chat(pane);
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model->rowCount(), 4);
        QVERIFY(model->index(0, 0).data(ChatModel::HeaderRole).toBool());
        QVERIFY(model->index(0, 0).data().toString().contains(languageText("PageScan", "PreviewMessages")));
        QCOMPARE(model->index(1, 0).data(ChatModel::HeadingRole).toString(), QStringLiteral("2026-01-02 10:00:00 Ada:"));
        QCOMPARE(model->index(2, 0).data(ChatModel::HeadingRole).toString(),
                 QStringLiteral("2026-01-02 10:01:00 ") + languageText("PageScan", "PreviewMe") + ":");
        QVERIFY(model->index(2, 0).data(ChatModel::FromMeRole).toBool());
        QVERIFY(model->index(2, 0).data(ChatModel::AttachmentRole).toString().contains("IMG_0001.JPG"));
        // No name: the address stands in.
        QCOMPARE(model->index(3, 0).data(ChatModel::HeadingRole).toString(), QStringLiteral("2026-01-02 10:02:00 +1 555 0100:"));
        QCOMPARE(model->index(3, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0xF3, 0x73, 0x02));
        QVERIFY(model->index(1, 0).data(Qt::ForegroundRole).value<QColor>() != QColor(0xF3, 0x73, 0x02));
        // Sent bubbles sit right of received ones.
        auto* view = pane.findChild<ChatView*>("ChatView");
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        QVERIFY(view->isVisible());
        QVERIFY(!edit(pane)->isVisible());

        std::vector<WhatsAppMessageRecord> chats(2);
        chats[0].senderName = "Bo";
        chats[0].date = "2026-01-03 08:00:00";
        chats[0].text = "deleted one";
        chats[0].deleted = kDeleted;
        chats[1].fromMe = 1;
        chats[1].senderName = "Me";
        chats[1].date = "2026-01-03 08:01:00";
        chats[1].text = "ok";
        pane.showWhatsAppConversation(chats);
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->index(1, 0).data(ChatModel::HeadingRole).toString(), QStringLiteral("2026-01-03 08:00:00 Bo:"));
        QVERIFY(model->index(1, 0).data(ChatModel::DeletedRole).toBool());
        QVERIFY(model->index(2, 0).data(ChatModel::FromMeRole).toBool());
    }

    void contactCardHidesEmptyRows() {
        PreviewPane pane;
        ContactRecord contact;
        contact.name = "Grace Hopper";
        contact.phones = "+1 555 0101\n+1 555 0102";
        contact.company = "Navy";
        pane.showContact(contact);
        auto label = [&](const char* name) { return pane.findChild<QLabel*>(QString::fromLatin1(name)); };
        QCOMPARE(label("TxtUserName")->text(), QStringLiteral("Grace Hopper"));
        QVERIFY(!label("TxtPhone")->isHidden());
        QVERIFY(!label("LblPhone")->isHidden());
        QVERIFY(!label("TxtCompany")->isHidden());
        for (const char* hidden : {"TxtEmail", "LblEmail", "TxtUrl", "LblUrl", "TxtAddress", "TxtSocial"})
            QVERIFY2(label(hidden)->isHidden(), hidden);
        QCOMPARE(label("LblUrl")->text(), languageText("PageScan", "PreviewHomePage"));
        const QColor orange(0xF3, 0x73, 0x02);
        QVERIFY(label("TxtUserName")->palette().color(label("TxtUserName")->foregroundRole()) != orange);

        contact.deleted = kDeleted;
        contact.url = "https://example.org";
        pane.showContact(contact);
        QVERIFY(!label("TxtUrl")->isHidden());
        for (const char* name : {"TxtUserName", "TxtPhone", "LblPhone", "TxtUrl", "LblUrl"})
            QCOMPARE(label(name)->palette().color(label(name)->foregroundRole()), orange);
        QVERIFY(pane.findChild<QStackedWidget*>("MessagesList")->isVisibleTo(&pane));
    }

    void noteShowsTitleAndBody() {
        PreviewPane pane;
        NoteRecord note;
        note.title = "Shopping";
        note.body = "Milk\nBread";
        pane.showNote(note);
        const QString text = edit(pane)->toPlainText();
        QVERIFY(text.contains(languageText("PageScan", "PreviewTitle")));
        QVERIFY(text.contains(languageText("PageScan", "PreviewNote")));
        QVERIFY(text.contains("Shopping"));
        QVERIFY(text.contains("Milk\nBread"));
        QVERIFY(edit(pane)->isVisibleTo(&pane));
        QVERIFY(chat(pane)->rowCount() == 0);
        // A deleted note is orange.
        note.deleted = kDeleted;
        pane.showNote(note);
        QTextCursor cursor = edit(pane)->document()->find("Shopping");
        QVERIFY(!cursor.isNull());
        QCOMPARE(cursor.charFormat().foreground().color(), QColor(0xF3, 0x73, 0x02));
    }

    void hostileTextIsShownAsText() {
        PreviewPane pane;
        pane.resize(300, 560);
        pane.show();
        const std::string hostile = "<b>x</b>&amp;<img src=x>";
        NoteRecord note;
        note.title = hostile;
        note.body = std::string(100 * 1024, 'a') + hostile;
        QElapsedTimer timer;
        timer.start();
        pane.showNote(note);
        QVERIFY(edit(pane)->toPlainText().contains(QString::fromStdString(hostile)));
        QVERIFY(edit(pane)->document()->toHtml().contains("&lt;b&gt;x&lt;/b&gt;"));
        const qint64 noteMs = timer.restart();
        QVERIFY2(noteMs < 1000, qPrintable(QString::number(noteMs)));

        // A long chat with a huge message lays out and paints quickly.
        std::vector<MessageRecord> messages;
        for (int i = 0; i < 5000; ++i)
            messages.push_back(message("2026-01-02 10:00:00", i % 2 == 0, "message " + std::to_string(i) + " " + hostile,
                                       i % 7 == 0));
        messages.push_back(message("2026-01-02 11:00:00", false, std::string(100 * 1024, 'w') + " " + hostile));
        pane.showConversation(messages);
        const qint64 chatMs = timer.elapsed();
        ChatModel* model = chat(pane);
        QCOMPARE(model->index(1, 0).data().toString(), QString::fromStdString("message 0 " + hostile));
        auto* view = pane.findChild<ChatView*>("ChatView");
        view->scrollToBottom();
        QTest::qWait(50);
        pane.grab();
        view->scrollToTop();
        pane.grab();
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
        qInfo() << "note of 100 KB:" << noteMs << "ms; chat of 5001 messages:" << chatMs
                << "ms to show," << timer.elapsed() << "ms with layout and painting at both ends";
    }

    void copyDialogCancelStopsTheCopy() {
        std::atomic<bool> stopped{false};
        PreviewCopyDialog dialog(
            [&](fs::path& out, PreviewProgress report, void* context) -> Status {
                out = "/nowhere/tmp.jpg";
                for (int i = 0; i < 1000; ++i) { // at most 5 s
                    if (report(context, 10) != 0) {
                        stopped = true;
                        return kStatusStopped;
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                return kStatusOk;
            },
            "movie.mov", nullptr);
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.start();
        QTRY_COMPARE(dialog.percent(), 10);
        QVERIFY(dialog.findChild<QLabel*>("LblPercent")->text().endsWith(" 10%"));
        QVERIFY(dialog.findChild<QLabel*>("LblFileName")->text().endsWith("movie.mov"));
        DialogScript::answerMessageBox(1);
        dialog.requestCancel();
        QCOMPARE(DialogScript::messageBoxes().size(), 1);
        QVERIFY(DialogScript::messageBoxes().at(0).endsWith(messageText("MSG0903")));
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), 2);
        QVERIFY(stopped);
        QCOMPARE(dialog.status(), kStatusStopped);
    }

    void copyDialogCancelDeclinedLetsTheCopyFinish() {
        std::atomic<bool> release{false};
        PreviewCopyDialog dialog(
            [&](fs::path& out, PreviewProgress report, void* context) -> Status {
                report(context, 30);
                for (int i = 0; i < 1000 && !release; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
                out = "/somewhere/tmp.wav";
                return report(context, 100) ? kStatusStopped : kStatusOk;
            },
            "song.mp3", nullptr);
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.start();
        QTRY_COMPARE(dialog.percent(), 30);
        DialogScript::answerMessageBox(2);
        dialog.requestCancel();
        release = true;
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toInt(), 1);
        QCOMPARE(dialog.percent(), 100);
        QCOMPARE(dialog.previewPath(), fs::path("/somewhere/tmp.wav"));
    }
};

QTEST_MAIN(PreviewPaneTest)
#include "PreviewPaneTest.moc"
