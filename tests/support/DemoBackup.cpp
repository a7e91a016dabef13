#include "support/DemoBackup.h"

#include "support/DemoDatabases.h"
#include "support/MediaSamples.h"

namespace orvelle::test {

namespace {
std::uint32_t g_seed = 1;
std::string sample(MediaSample kind, std::size_t size = 2048) {
    return mediaSample(kind, size, g_seed++);
}
} // namespace

BackupBuilder demoRecentBackup() {
    g_seed = 1;
    BackupBuilder b;
    b.setManifest(ManifestKind::Db).setPlistFormat(PlistFormat::Xml);
    b.infoPlist()
        .set("Display Name", "Anna's iPhone")
        .set("Device Name", "Anna's iPhone")
        .setDate("Last Backup Date", "2024-05-17T09:41:00Z")
        .set("Phone Number", "+1 (555) 010-0199")
        .set("Product Version", "17.4.1")
        .set("Serial Number", "F2LXK0QJN72J")
        .set("Unique Identifier", std::string(kDemoRecentFolder))
        .set("Target Identifier", std::string(kDemoRecentFolder));

    // Camera roll: the camera's own HEIC photos, a JPEG, a video, a screenshot, and an edit sidecar.
    b.addDirectory("CameraRollDomain", "Media");
    b.addDirectory("CameraRollDomain", "Media/DCIM");
    b.addDirectory("CameraRollDomain", "Media/DCIM/100APPLE");
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.HEIC", sample(MediaSample::Heic, 4096));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0002.JPG", photoSample(3072));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0003.MOV", sample(MediaSample::QuickTime, 8192));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0004.PNG", sample(MediaSample::Png, 2048));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0005.HEIC", sample(MediaSample::Heif, 4096));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.AAE", sample(MediaSample::Text, 700));
    b.addMissingFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0006.HEIC");

    // Photo stream.
    b.addFile("MediaDomain", "Media/PhotoStreamsData/1234567890/100APPLE/IMG_0101.JPG",
              sample(MediaSample::JpegJfif, 2560));
    b.addFile("MediaDomain", "Media/PhotoStreamsData/1234567890/100APPLE/IMG_0102.HEIC",
              sample(MediaSample::Heic));

    // Message attachments: a photo named HEIC that is really a JPEG, a video, a voice note and a GIF.
    b.addFile("MediaDomain", "Library/SMS/Attachments/4a/10/4F0C2E1A-7B3D-4C55-9E21-0A1B2C3D4E5F/IMG_1.HEIC",
              photoSample(3000, 1));
    b.addFile("MediaDomain", "Library/SMS/Attachments/7c/12/9D2B7F11-2C3A-4B4C-8D5E-6F708192A3B4/clip.mov",
              sample(MediaSample::QuickTime, 6000));
    b.addFile("MediaDomain",
              "Library/SMS/Attachments/0e/14/1E2F3A4B-5C6D-4E7F-8091-A2B3C4D5E6F7/Audio Message.caf",
              sample(MediaSample::Wave, 1500));
    b.addFile("MediaDomain", "Library/SMS/Attachments/b2/02/55AA66BB-77CC-48DD-99EE-00FF11223344/funny.gif",
              sample(MediaSample::Gif, 1200));

    // App photos, videos and sounds.
    b.addFile("AppDomain-com.example.photoeditor", "Documents/Edits/sunset.jpg",
              sample(MediaSample::JpegJfif));
    b.addFile("AppDomain-com.example.photoeditor", "Documents/Edits/portrait.png", sample(MediaSample::Png));
    b.addFile("AppDomain-net.example.videos", "Documents/Downloads/trailer.m4v",
              sample(MediaSample::M4v, 5000));
    b.addFile("AppDomain-com.example.recorder", "Documents/Recordings/memo.mp3", sample(MediaSample::Mp3));
    b.addFile("AppDomain-com.example.recorder", "Documents/settings.json", sample(MediaSample::Text));

    // WhatsApp: media of the shared app group, and an older copy in the app's own domain.
    const std::string group = "AppDomainGroup-group.net.whatsapp.WhatsApp.shared";
    b.addFile(group, "Message/Media/15550100199@s.whatsapp.net/4/a/4a1f0c2e-photo.jpg",
              sample(MediaSample::JpegExif));
    b.addFile(group, "Message/Media/15550100199@s.whatsapp.net/9/c/9c2d7b11-video.mp4",
              sample(MediaSample::Mp4, 6000));
    b.addFile(group, "Message/Media/120363012345678901@g.us/2/e/2e5f3a4b-sticker.png",
              sample(MediaSample::Png));
    b.addFile("AppDomain-net.whatsapp.WhatsApp", "Library/Media/15550100177@s.whatsapp.net/1/b/1b2c3d4e.jpg",
              sample(MediaSample::JpegJfif));

    // Messages, contacts, calls, notes and WhatsApp chats, each with a deleted row.
    addDemoDatabases(b);
    return b;
}

BackupBuilder demoOlderBackup() {
    g_seed = 1000;
    BackupBuilder b;
    b.setManifest(ManifestKind::Mbdb).setPlistFormat(PlistFormat::Binary);
    b.infoPlist()
        .set("Display Name", "Ben's iPad")
        .set("Device Name", "Ben's iPad")
        .setDate("Last Backup Date", "2013-11-02T18:05:12Z")
        .set("Product Type", "iPad3,4")
        .set("Product Version", "6.1.3")
        .set("Serial Number", "DMPJ8XYZF182")
        .set("Unique Identifier", std::string(kDemoOlderFolder))
        .set("Target Identifier", std::string(kDemoOlderFolder))
        .remove("Phone Number")
        .remove("ICCID")
        .remove("IMEI");

    b.addDirectory("CameraRollDomain", "Media/DCIM/100APPLE");
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG", sample(MediaSample::JpegExif, 3000));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0002.MOV", sample(MediaSample::QuickTime, 7000));
    b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0003.PNG", sample(MediaSample::Png));
    b.addFile("MediaDomain", "Media/PhotoStreamsData/987654321/100APPLE/IMG_0042.JPG",
              sample(MediaSample::JpegJfif));
    b.addFile("MediaDomain", "Library/SMS/Attachments/3d/13/IMG_0107.JPG",
              sample(MediaSample::JpegJfif, 2500));
    b.addFile("MediaDomain", "Library/SMS/Attachments/5f/15/video-2013-10-30.3gp",
              sample(MediaSample::ThreeGp, 4000));
    b.addFile("AppDomain-com.example.game", "Documents/screenshot.bmp", sample(MediaSample::Bmp));
    b.addFile("AppDomain-com.example.game", "Library/Sounds/theme.mid", sample(MediaSample::Midi));
    b.addFile("AppDomain-net.whatsapp.WhatsApp", "Library/Media/15550100123@s.whatsapp.net/0/3/03a1b2c3.jpg",
              sample(MediaSample::JpegExif));
    b.addFile("AppDomain-net.whatsapp.WhatsApp", "Library/Media/15550100123@s.whatsapp.net/7/f/7f0e1d2c.mp4",
              sample(MediaSample::Mp4v2, 5000));
    b.addSymlink("HomeDomain", "Library/Caches/Current", "Library/Caches/Snapshots");
    return b;
}

std::filesystem::path makeDemoBackups(const std::filesystem::path& root) {
    std::filesystem::create_directories(root);
    demoRecentBackup().build(root / std::string(kDemoRecentFolder));
    demoOlderBackup().build(root / std::string(kDemoOlderFolder));
    return root;
}

} // namespace orvelle::test
