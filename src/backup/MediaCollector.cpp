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
    FileType type = FileType::Unknown;
    std::string detectedName; ///< "<counter>.<extension>"
};

/// What probing a stored file found.
enum class Probe {
    recognised,   ///< opened, and its signature is known
    unrecognised, ///< opened, but too short or of no known kind
    unopened,     ///< missing, unreadable, or refused (no regular file)
};

/// Opens the stored file once for its size and its first bytes; `refused`
/// tells when it was no regular file (or a link).
Probe probe(const std::filesystem::path& path, std::int64_t& counter, ProbedFile& out, bool& refused) {
    refused = false;
    if (path.empty()) return Probe::unopened;
    platform::InputFile file;
    std::error_code ec;
    if (!file.open(path, ec)) {
        refused = platform::isNotRegularFile(ec);
        return Probe::unopened;
    }
    out.size = file.size(ec);
    if (ec) return Probe::unrecognised;
    std::array<unsigned char, kSignatureBytes> head{};
    if (file.readAt(0, head.data(), head.size(), ec) < head.size()) return Probe::unrecognised;
    const FileType type = detectSignature(head);
    if (type == FileType::Unknown) return Probe::unrecognised;
    out.type = type;
    out.detectedName = std::to_string(counter) + "." + std::string(extensionOf(type));
    ++counter;
    return Probe::recognised;
}

/// Probes the stored file of `entry`; one that is refused is added to the
/// source's list of skipped files.
Probe probeEntry(const CollectionSource& source, const ManifestEntry& entry, std::int64_t& counter,
                 ProbedFile& out) {
    bool refused = false;
    const Probe found =
        probe(storedFilePath(source.root, entry.fileId, source.layout), counter, out, refused);
    if (refused && source.skipped)
        source.skipped->push_back({entry.domainPath, entry.fileId, kStatusNotRegularFile});
    return found;
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

std::string nameMatchingContent(std::string_view displayName, FileType type) {
    const auto dot = displayName.rfind('.');
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : displayName.substr(dot + 1);
    if (type == FileType::Unknown || isExtensionOf(type, extension)) return std::string(displayName);
    const std::string_view stem = dot == std::string_view::npos ? displayName : displayName.substr(0, dot);
    return std::string(stem) + "." + std::string(extensionOf(type));
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
            ProbedFile file;
            const Probe found = probeEntry(m_source, entry, counter, file);
            if (found == Probe::unopened) continue; // nor counted as examined
            if (found == Probe::recognised) {
                MediaFileRecord record;
                record.size = static_cast<std::uint32_t>(file.size);
                record.name = nameMatchingContent(displayNameOf(entry.domainPath), file.type);
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
            ProbedFile file;
            const Probe found = probeEntry(m_source, entry, counter, file);
            if (found == Probe::unopened) continue; // nor counted as examined
            if (found == Probe::recognised && file.size != 0) {
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
            if (probeEntry(m_source, entry, counter, file) == Probe::recognised) {
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
