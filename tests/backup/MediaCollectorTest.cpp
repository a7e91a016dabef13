#include "backup/MediaCollector.h"

#include "backup/BackupStore.h"
#include "backup/FileId.h"
#include "backup/FileSignature.h"
#include "support/BackupBuilder.h"
#include "support/MediaSamples.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::BackupBuilder;
using test::MediaSample;
using test::mediaSample;
using test::TempFolder;

/// Records every progress report and answers `stopAnswer` from report number `stopAt` (1-based) on.
struct Reports {
    std::vector<std::int32_t> values;
    std::size_t stopAt = 0;
    std::int32_t stopAnswer = 2;

    static std::int32_t callback(void* self, std::int32_t progress) {
        auto& r = *static_cast<Reports*>(self);
        r.values.push_back(progress);
        return r.stopAt && r.values.size() >= r.stopAt ? r.stopAnswer : 0;
    }
};

/// A store whose current backup is `folder`, with its manifest loaded and progress at 1, step 11.
class OpenedStore {
public:
    OpenedStore(const std::filesystem::path& folder, const std::filesystem::path& dataFolder,
                bool encrypted = false)
        : store({{}, dataFolder}) {
        BackupInfo info;
        info.folder = folder.string();
        info.encrypted = encrypted;
        store.selectBackup(info);
        store.loadManifest(folder);
        store.setCallback(&Reports::callback, &reports);
        store.progress().setProgress(1);
        store.progress().setStep(11);
    }
    BackupStore store;
    Reports reports;
};

template <typename Record> std::vector<std::string> names(const std::vector<Record>& records) {
    std::vector<std::string> out;
    for (const auto& r : records)
        out.push_back(r.name);
    return out;
}

BackupBuilder cameraRollBackup() {
    BackupBuilder b;
    b.addDirectory("CameraRollDomain", "Media");
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0002.JPG",
              mediaSample(MediaSample::JpegExif, 3000));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/img_0001.HEIC", mediaSample(MediaSample::Heic));
    b.addMissingFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0003.JPG");
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0004.JPG",
              mediaSample(MediaSample::JpegJfif, 400));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0005.JPG",
              mediaSample(MediaSample::JpegQuantisationFirst));
    b.addFile("MediaDomain", "Media/PhotoStreamsData/123/100APPLE/IMG_9.JPG",
              mediaSample(MediaSample::JpegJfif));
    b.addFile("HomeDomain", "Library/Preferences/x.plist", "bplist00");
    return b;
}

TEST(MediaCollector, CameraRollAndPhotoStreamWithExactProgress) {
    TempFolder temp;
    const auto folder = cameraRollBackup().build(temp / "b");
    OpenedStore s(folder, temp / "data");
    std::vector<MediaFileRecord> cameraRoll, photoStream;
    ASSERT_EQ(s.store.scanCameraRoll(cameraRoll, photoStream), kStatusOk);

    EXPECT_EQ(names(cameraRoll), (std::vector<std::string>{"img_0001.HEIC", "IMG_0002.JPG"}));
    EXPECT_EQ(cameraRoll[1].size, 3000u);
    EXPECT_EQ(cameraRoll[1].storedPath,
              s.store.storedFilePath(fileIdOf("CameraRollDomain-Media/DCIM/100APPLE/IMG_0002.JPG")).string());
    EXPECT_EQ(names(photoStream), std::vector<std::string>{"IMG_9.JPG"});
    // 8 entries, the missing file is not reported: 1 + 22 n / 8 for n = 1..7, then 1 + 22.
    EXPECT_EQ(s.reports.values, (std::vector<std::int32_t>{3, 6, 9, 12, 14, 17, 20, 23}));
    EXPECT_EQ(s.store.progress().progress(), 23);
}

TEST(MediaCollector, StopKeepsWhatWasCollectedUnsorted) {
    TempFolder temp;
    const auto folder = cameraRollBackup().build(temp / "b");
    OpenedStore s(folder, temp / "data");
    s.reports.stopAt = 3;
    std::vector<MediaFileRecord> cameraRoll, photoStream;
    EXPECT_EQ(s.store.scanCameraRoll(cameraRoll, photoStream), 2);
    EXPECT_EQ(names(cameraRoll), (std::vector<std::string>{"IMG_0002.JPG", "img_0001.HEIC"}));
    EXPECT_EQ(s.reports.values.size(), 3u);
    EXPECT_EQ(s.store.progress().progress(), 1) << "a stopped operation does not advance";
}

TEST(MediaCollector, MessageAttachmentsAreRenamedByContent) {
    TempFolder temp;
    BackupBuilder b;
    const std::string base = "Library/SMS/Attachments/ab/01/9F8E/";
    b.addFile("MediaDomain", base + "IMG_1.HEIC", mediaSample(MediaSample::JpegExif));
    b.addFile("MediaDomain", base + "noext", mediaSample(MediaSample::Png));
    b.addFile("MediaDomain", base + "clip.tar.mov", mediaSample(MediaSample::QuickTime));
    b.addMissingFile("MediaDomain", base + "gone.jpg");
    b.addFile("MediaDomain", base + "notes.txt", mediaSample(MediaSample::Text));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG", mediaSample(MediaSample::JpegExif));
    const auto folder = b.build(temp / "b");
    OpenedStore s(folder, temp / "data");
    std::vector<AttachmentRecord> attachments;
    ASSERT_EQ(s.store.scanMessageAttachments(attachments), kStatusOk);
    EXPECT_EQ(names(attachments), (std::vector<std::string>{"clip.tar.MOV", "IMG_1.JPG", "noext.PNG"}));
    // 6 entries, one missing: 1 + 11 n / 6 for n = 1..5, then 1 + 11.
    EXPECT_EQ(s.reports.values, (std::vector<std::int32_t>{2, 4, 6, 8, 10, 12}));
}

TEST(MediaCollector, CameraRollNamesEndInTheirContentsExtension) {
    const struct {
        std::string name;
        FileType type;
        std::string kept;
    } cases[] = {
        {"IMG_1.JPG", FileType::Jpeg, "IMG_1.JPG"},
        {"a.jpeg", FileType::Jpeg, "a.jpeg"},
        {"a.Jpe", FileType::Jpeg, "a.Jpe"},
        {"clip.MOV", FileType::QuickTime, "clip.MOV"},
        {"film.vob", FileType::Mpeg, "film.vob"},
        {"song.WMA", FileType::Asf, "song.WMA"},
        {"a.exe", FileType::Jpeg, "a.jpg"},
        {"index.html", FileType::Png, "index.png"},
        {"noext", FileType::Gif, "noext.gif"},
        {"trailing.", FileType::Jpeg, "trailing.jpg"},
        {"a.png", FileType::Jpeg, "a.jpg"},
        {"IMG_5.HEIC", FileType::Heif, "IMG_5.HEIC"},
        {"a.heif", FileType::Heic, "a.heif"},
        {"clip.mp4", FileType::QuickTime, "clip.mp4"},
        {"clip.M4V", FileType::Mp4, "clip.M4V"},
        {"clip.3gp", FileType::QuickTime, "clip.3gp"},
        {"clip.mov", FileType::Jpeg, "clip.jpg"},
        {"a.heic", FileType::Mp4, "a.mp4"},
        {"archive.jpg.exe", FileType::Jpeg, "archive.jpg.jpg"},
        {"photo\xE2\x80\xAEgpj.exe", FileType::Jpeg, "photo\xE2\x80\xAEgpj.jpg"},
        {"kept.exe", FileType::Unknown, "kept.exe"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nameMatchingContent(c.name, c.type), c.kept) << c.name;

    TempFolder temp;
    BackupBuilder b;
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG", mediaSample(MediaSample::JpegExif));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0002.exe", mediaSample(MediaSample::JpegJfif));
    b.addFile("MediaDomain", "Media/PhotoStreamsData/1/100APPLE/IMG_0003", mediaSample(MediaSample::Png));
    OpenedStore s(b.build(temp / "b"), temp / "data");
    std::vector<MediaFileRecord> cameraRoll, photoStream;
    ASSERT_EQ(s.store.scanCameraRoll(cameraRoll, photoStream), kStatusOk);
    EXPECT_EQ(names(cameraRoll), (std::vector<std::string>{"IMG_0001.JPG", "IMG_0002.jpg"}));
    EXPECT_EQ(names(photoStream), (std::vector<std::string>{"IMG_0003.png"}));
}

TEST(MediaCollector, AppFilesAndWhatsAppMedia) {
    TempFolder temp;
    BackupBuilder b;
    const std::string group = "AppDomainGroup-group.net.whatsapp.WhatsApp.shared";
    b.addFile("AppDomain-com.example.notes", "Documents/a.png", mediaSample(MediaSample::Png));
    b.addFile("AppDomain-net.example.videos", "Documents/Trailer.m4v", mediaSample(MediaSample::M4v));
    b.addFile("AppDomain-org.example.tool", "Documents/b.gif", mediaSample(MediaSample::Gif));
    b.addFile("AppDomain-com.example.notes", "Documents/readme.txt", mediaSample(MediaSample::Text));
    b.addMissingFile("AppDomain-com.example.notes", "Documents/gone.png");
    b.addFile("AppDomain-net.whatsapp.WhatsApp", "Library/Media/1@s.whatsapp.net/a/b/old.jpg",
              mediaSample(MediaSample::JpegJfif));
    b.addFile(group, "Message/Media/1@s.whatsapp.net/c/d/photo.jpg", mediaSample(MediaSample::JpegExif));
    b.addFile(group, "Message/Media/2@g.us/e/f/video.mp4", mediaSample(MediaSample::Mp4));
    b.addFile(group, "Media/Profile/1-123.jpg", mediaSample(MediaSample::JpegJfif)); // a profile picture
    b.addFile("AppDomainGroup-group.com.example.shared", "Documents/c.png", mediaSample(MediaSample::Png));
    const auto folder = b.build(temp / "b");
    OpenedStore s(folder, temp / "data");

    std::vector<AppFileRecord> apps;
    ASSERT_EQ(s.store.scanAppFiles(apps), kStatusOk);
    ASSERT_EQ(names(apps), (std::vector<std::string>{"a.PNG", "b.GIF", "Trailer.M4V"}));
    EXPECT_EQ(apps[0].appName, "example.notes");
    EXPECT_EQ(apps[1].appName, "other");
    EXPECT_EQ(apps[2].appName, "example.videos");
    EXPECT_EQ(names(s.store.whatsAppAttachments()),
              (std::vector<std::string>{"old.JPG", "photo.JPG", "video.MP4"}));
    // Every one of the 10 entries is reported (no existence test): 1 + 22 n / 10, then progress + 11 (the end
    // value does not rise).
    EXPECT_EQ(s.reports.values, (std::vector<std::int32_t>{3, 5, 7, 9, 12, 14, 16, 18, 20, 23, 12}));

    // A second run refills the WhatsApp list rather than adding to it.
    std::vector<AppFileRecord> again;
    s.store.scanAppFiles(again);
    EXPECT_EQ(s.store.whatsAppAttachments().size(), 3u);
}

TEST(MediaCollector, AppNames) {
    const struct {
        const char* domainPath;
        const char* app;
    } cases[] = {
        {"AppDomain-com.example.notes-Documents/a.png", "example.notes"},
        {"AppDomain-net.example.videos-Documents/a.m4v", "example.videos"},
        {"AppDomain-org.example-Documents/a.png", "other"},
        {"AppDomain-com.example", "other"},
        {"AppDomain-com.-x", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(appNameOf(c.domainPath), c.app) << c.domainPath;
    const std::string longId = "AppDomain-com." + std::string(300, 'a') + "-Documents/x.png";
    EXPECT_EQ(appNameOf(longId).size(), kMaxAppNameBytes);
}

TEST(MediaCollector, EncryptedBackupsAreReadFromTheFlatDecryptedCopy) {
    TempFolder temp;
    BackupBuilder b;
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG", mediaSample(MediaSample::JpegExif));
    const auto folder = b.build(temp / "b");
    const auto copy = temp / "copy";
    const auto& entry = b.entries().front();
    test::writeFile(copy / entry.fileId(), entry.content);
    std::filesystem::remove_all(folder / entry.fileId().substr(0, 2));

    OpenedStore s(folder, temp / "data", true);
    s.store.useDecryptedCopy(copy);
    std::vector<MediaFileRecord> cameraRoll, photoStream;
    s.store.scanCameraRoll(cameraRoll, photoStream);
    ASSERT_EQ(cameraRoll.size(), 1u);
    EXPECT_EQ(cameraRoll[0].storedPath, (copy / entry.fileId()).string());
}

} // namespace
} // namespace orvelle
