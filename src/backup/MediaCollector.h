#pragma once
/// Collects media files and attachments by walking the manifest once per
/// operation, matching device paths (case-sensitive substring tests on the
/// domain path) and checking each stored file's content signature.
///
/// | category             | domain path contains                                    |
/// |----------------------|---------------------------------------------------------|
/// | Camera Roll          | "CameraRollDomain-Media/DCIM/"                          |
/// | Photo Stream         | "MediaDomain-Media/PhotoStreamsData/" (not Camera Roll) |
/// | Message Attachments  | "/Attachments/"                                         |
/// | WhatsApp Attachments | "AppDomain-" and "net.whatsapp.WhatsApp", or WhatsApp's |
/// |                      | shared group "...WhatsApp.shared-Message/Media/"        |
/// | App files            | "AppDomain-", not WhatsApp                              |
///
/// Progress: after every entry examined (an entry that matched but whose
/// stored file is missing is not counted where the operation tests for it)
/// the operation reports progress + step × weight × examined / manifest size;
/// a non-zero answer stops it and is returned, keeping what was collected
/// (unsorted). At the end the lists are sorted by name, ignoring case, and
/// progress advances by the operation's share.

#include "backup/ManifestEntry.h"
#include "backup/ScanProgress.h"
#include "backup/StoredFileRule.h"
#include "core/ItemRecords.h"
#include "core/Status.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

enum class FileType : int;

constexpr std::string_view kCameraRollMatch = "CameraRollDomain-Media/DCIM/";
constexpr std::string_view kPhotoStreamMatch = "MediaDomain-Media/PhotoStreamsData/";
constexpr std::string_view kAttachmentsMatch = "/Attachments/";
constexpr std::string_view kAppDomainMatch = "AppDomain-";
constexpr std::string_view kWhatsAppMatch = "net.whatsapp.WhatsApp";
/// WhatsApp keeps its chat media in its shared app group.
constexpr std::string_view kWhatsAppGroupMediaMatch =
    "AppDomainGroup-group.net.whatsapp.WhatsApp.shared-Message/Media/";
constexpr std::string_view kOtherAppName = "other";
/// Longest app name kept, in bytes.
constexpr std::size_t kMaxAppNameBytes = 259;

/// Where the collector finds the manifest and the stored files.
struct CollectionSource {
    const ManifestList& manifest;
    std::filesystem::path root; ///< backup folder or decrypted copy
    StoredLayout layout = StoredLayout::Flat;
    /// Receives the stored files that were refused; may be null.
    std::vector<SkippedFile>* skipped = nullptr;
};

/// The collecting operations over one manifest. Reports through `progress`.
class MediaCollector {
public:
    MediaCollector(CollectionSource source, ScanProgress& progress)
        : m_source(std::move(source)), m_progress(progress) {}

    /// Camera Roll and Photo Stream files (weight 2). kStatusOk or the stop answer.
    Status scanCameraRoll(std::vector<MediaFileRecord>& cameraRoll,
                          std::vector<MediaFileRecord>& photoStream);

    /// Message attachments of non-zero size (weight 1). kStatusOk or the stop answer.
    Status scanMessageAttachments(std::vector<AttachmentRecord>& attachments);

    /// App files (weight 2 while walking, 1 at the end); WhatsApp's media of
    /// non-zero size go to `whatsApp`, which is emptied first.
    Status scanAppFiles(std::vector<AppFileRecord>& appFiles, std::vector<MediaFileRecord>& whatsApp);

private:
    std::filesystem::path storedPath(const ManifestEntry& entry) const;

    CollectionSource m_source;
    ScanProgress& m_progress;
};

/// The display name of a device path: the text after its last "/", or all of it.
std::string_view displayNameOf(std::string_view domainPath);

/// The display name cut at its last "." followed by the upper-cased extension
/// of the name detection made ("IMG_1.HEIC" + "0.jpg" gives "IMG_1.JPG").
std::string renamedByContent(std::string_view displayName, std::string_view detectedName);

/// The display name kept when its extension is one of the content type's own
/// ("IMG_1.JPG" for a JPEG); otherwise with the type's extension in place of
/// its own, or added when it has none ("a.exe" or "a" of a JPEG give "a.jpg"),
/// so that a copy never opens as anything but what its content is.
std::string nameMatchingContent(std::string_view displayName, FileType type);

/// The app identifier without "com." or "net.", or "other".
std::string appNameOf(std::string_view domainPath);

/// True when the entry is a WhatsApp media file (app domain or shared group).
bool isWhatsAppMedia(std::string_view domainPath);

} // namespace orvelle
