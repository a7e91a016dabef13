#include "backup/MediaCollector.h"

#include "backup/FileSignature.h"
#include "core/Text.h"
#include "platform/File.h"
#include "platform/PathText.h"

#include <algorithm>
#include <array>

namespace orvelle {

namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

/// A stored file that detection recognised.
struct ProbedFile {
    std::uint64_t size = 0;
    std::string detectedName; ///< "<counter>.<extension>"
};

/// Opens the stored file once for its size and its first bytes. False when it
/// cannot be opened, is shorter than the signature, or is not recognised.
bool probe(const std::filesystem::path& path, std::int64_t& counter, ProbedFile& out) {
    if (path.empty()) return false;
    platform::InputFile file;
    std::error_code ec;
    if (!file.open(path, ec)) return false;
    out.size = file.size(ec);
    if (ec) return false;
    std::array<unsigned char, kSignatureBytes> head{};
    if (file.readAt(0, head.data(), head.size(), ec) < head.size()) return false;
    const FileType type = detectSignature(head);
    if (type == FileType::Unknown) return false;
    out.detectedName = std::to_string(counter) + "." + std::string(extensionOf(type));
    ++counter;
    return true;
}

template <typename Record> void sortByName(std::vector<Record>& records) {
    if (records.size() < 2) return;
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return compareIgnoreCase(a.name, b.name) < 0; });
}

/// Cuts `text` to at most `limit` bytes without splitting a UTF-8 sequence.
std::string cutUtf8(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return std::string(text);
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

} // namespace

std::string_view displayNameOf(std::string_view domainPath) {
    const auto slash = domainPath.rfind('/');
    return slash == std::string_view::npos ? domainPath : domainPath.substr(slash + 1);
}

std::string renamedByContent(std::string_view displayName, std::string_view detectedName) {
    const auto dot = displayName.rfind('.');
    std::string name(dot == std::string_view::npos ? displayName : displayName.substr(0, dot));
    const auto detectedDot = detectedName.rfind('.');
    if (detectedDot == std::string_view::npos) return name + ".JPG";
    return name + "." + asciiUpper(detectedName.substr(detectedDot + 1));
}

std::string appNameOf(std::string_view domainPath) {
    auto pos = domainPath.find("com.");
    if (pos == std::string_view::npos) pos = domainPath.find("net.");
    if (pos == std::string_view::npos) return std::string(kOtherAppName);
    const auto start = pos + 4;
    const auto dash = domainPath.find('-', start);
    if (dash == std::string_view::npos) return std::string(kOtherAppName);
    return cutUtf8(domainPath.substr(start, dash - start), kMaxAppNameBytes);
}

bool isWhatsAppMedia(std::string_view domainPath) {
    return (contains(domainPath, kAppDomainMatch) && contains(domainPath, kWhatsAppMatch)) ||
           contains(domainPath, kWhatsAppGroupMediaMatch);
}

std::filesystem::path MediaCollector::storedPath(const ManifestEntry& entry) const {
    return storedFilePath(m_source.root, entry.fileId, m_source.layout);
}

Status MediaCollector::scanCameraRoll(std::vector<MediaFileRecord>& cameraRoll,
                                      std::vector<MediaFileRecord>& photoStream) {
    const auto& manifest = m_source.manifest;
    std::int64_t counter = 0;
    std::uint64_t examined = 0;
    for (const auto& entry : manifest) {
        const bool inCameraRoll = contains(entry.domainPath, kCameraRollMatch);
        const bool inPhotoStream = !inCameraRoll && contains(entry.domainPath, kPhotoStreamMatch);
        if (inCameraRoll || inPhotoStream) {
            const auto path = storedPath(entry);
            if (path.empty() || !platform::isRegularFile(path)) continue;
            ProbedFile file;
            if (probe(path, counter, file)) {
                MediaFileRecord record;
                record.size = static_cast<std::uint32_t>(file.size);
                record.name = std::string(displayNameOf(entry.domainPath));
                record.storedPath = platform::pathText(path);
                (inPhotoStream ? photoStream : cameraRoll).push_back(std::move(record));
            }
        }
        ++examined;
        if (const auto answer = m_progress.report(m_progress.share(2, examined, manifest.size())))
            return answer;
    }
    sortByName(cameraRoll);
    sortByName(photoStream);
    return m_progress.advance(2 * m_progress.step());
}

Status MediaCollector::scanMessageAttachments(std::vector<AttachmentRecord>& attachments) {
    const auto& manifest = m_source.manifest;
    std::int64_t counter = 0;
    std::uint64_t examined = 0;
    for (const auto& entry : manifest) {
        if (contains(entry.domainPath, kAttachmentsMatch)) {
            const auto path = storedPath(entry);
            if (path.empty() || !platform::isRegularFile(path)) continue;
            ProbedFile file;
            if (probe(path, counter, file) && file.size != 0) {
                AttachmentRecord record;
                record.size = static_cast<std::uint32_t>(file.size);
                record.name = renamedByContent(displayNameOf(entry.domainPath), file.detectedName);
                record.storedPath = platform::pathText(path);
                attachments.push_back(std::move(record));
            }
        }
        ++examined;
        if (const auto answer = m_progress.report(m_progress.share(1, examined, manifest.size())))
            return answer;
    }
    sortByName(attachments);
    return m_progress.advance(m_progress.step());
}

Status MediaCollector::scanAppFiles(std::vector<AppFileRecord>& appFiles,
                                    std::vector<MediaFileRecord>& whatsApp) {
    whatsApp.clear();
    const auto& manifest = m_source.manifest;
    std::int64_t counter = 0;
    std::uint64_t examined = 0;
    for (const auto& entry : manifest) {
        const bool whatsAppMedia = isWhatsAppMedia(entry.domainPath);
        if (whatsAppMedia || contains(entry.domainPath, kAppDomainMatch)) {
            const auto path = storedPath(entry);
            ProbedFile file;
            if (probe(path, counter, file)) {
                std::string name = renamedByContent(displayNameOf(entry.domainPath), file.detectedName);
                if (whatsAppMedia) {
                    if (file.size != 0)
                        whatsApp.push_back({static_cast<std::uint32_t>(file.size), std::move(name),
                                            platform::pathText(path)});
                } else {
                    appFiles.push_back({static_cast<std::uint32_t>(file.size), appNameOf(entry.domainPath),
                                        std::move(name), platform::pathText(path)});
                }
            }
        }
        ++examined;
        if (const auto answer = m_progress.report(m_progress.share(2, examined, manifest.size())))
            return answer;
    }
    sortByName(appFiles);
    sortByName(whatsApp);
    return m_progress.advance(m_progress.step());
}

} // namespace orvelle
