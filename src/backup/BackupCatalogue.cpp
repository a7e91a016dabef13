#include "backup/BackupCatalogue.h"

#include "backup/InfoPlistReader.h"
#include "backup/KnownFileIds.h"
#include "backup/ManifestLoader.h"
#include "backup/PlistBounds.h"
#include "core/Status.h"
#include "core/Text.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/PathText.h"

#include <plist/plist.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace orvelle {

namespace {
constexpr std::string_view kSqliteMagic = "SQLite";
constexpr std::size_t kEncryptionProbeBytes = 512;
constexpr std::string_view kManifestPlistName = "Manifest.plist";
/// A Manifest.plist is a few kilobytes (its keybag the largest part); a file
/// far larger is not one.
constexpr std::uint64_t kLargestManifestPlist = 16 * 1024 * 1024;

/// What the backup's Manifest.plist says with IsEncrypted; nothing when the
/// file is missing, unreadable or does not say. `problem` tells when the file
/// was refused unread (nested too deeply, for one).
std::optional<bool> manifestPlistSaysEncrypted(const std::filesystem::path& folder, std::string& problem) {
    const std::filesystem::path path = folder / std::string(kManifestPlistName);
    std::error_code ec;
    platform::InputFile file;
    if (!platform::isRegularFile(path) || !file.open(path, ec)) return std::nullopt;
    const std::uint64_t size = file.size(ec);
    if (ec || size == 0 || size > kLargestManifestPlist) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (file.readAt(0, bytes.data(), bytes.size(), ec) != bytes.size()) return std::nullopt;
    plist_t root = nullptr;
    const PlistBoundsFault fault = parseBoundedPlist(bytes, root);
    const std::unique_ptr<void, void (*)(void*)> owner(root, [](void* node) { plist_free(static_cast<plist_t>(node)); });
    if (fault != PlistBoundsFault::none) {
        problem = std::string(kManifestPlistName) + ": " + std::string(plistBoundsText(fault));
        return std::nullopt;
    }
    if (!root || plist_get_node_type(root) != PLIST_DICT) return std::nullopt;
    plist_t flag = plist_dict_get_item(root, "IsEncrypted");
    if (!flag || plist_get_node_type(flag) != PLIST_BOOLEAN) return std::nullopt;
    std::uint8_t value = 0;
    plist_get_bool_val(flag, &value);
    return value != 0;
}

/// The folder as record text, without trailing separators.
std::string folderText(const std::filesystem::path& folder) {
    std::string text = platform::pathText(folder);
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\'))
        text.pop_back();
    return text;
}

bool readSummary(const std::filesystem::path& folder, BackupInfo& out) {
    BackupInfo info;
    info.folder = folderText(folder);
    if (!readInfoPlist(folder / std::string(kInfoPlistName), info)) return false;
    std::string manifestProblem;
    info.encrypted = isEncryptedBackup(folder, manifestProblem);
    if (info.problem.empty()) info.problem = std::move(manifestProblem);
    out = std::move(info);
    return true;
}
} // namespace

void enumerateCandidates(const std::vector<std::filesystem::path>& roots,
                         std::vector<std::filesystem::path>& out) {
    for (const auto& root : roots)
        platform::listFolder(root, out);
}

std::vector<BackupInfo> listBackups(const std::vector<std::filesystem::path>& candidates) {
    std::vector<BackupInfo> backups;
    for (const auto& candidate : candidates) {
        BackupInfo info;
        if (readSummary(candidate, info)) backups.push_back(std::move(info));
    }
    sortNewestFirst(backups);
    return backups;
}

std::int32_t readBackupFolder(const std::filesystem::path& folder, BackupInfo& out) {
    return readSummary(folder, out) ? kStatusOk : kStatusInvalid;
}

bool isEncryptedBackup(const std::filesystem::path& folder) {
    std::string problem;
    return isEncryptedBackup(folder, problem);
}

bool isEncryptedBackup(const std::filesystem::path& folder, std::string& manifestProblem) {
    // The backup's own word decides: an encrypted backup without an address
    // book is still encrypted.
    if (const std::optional<bool> said = manifestPlistSaysEncrypted(folder, manifestProblem)) return *said;
    const std::string id(kAddressBookFileId);
    const auto path = platform::isRegularFile(folder / std::string(kManifestDbName))
                          ? folder / id.substr(0, 2) / id
                          : folder / id;
    platform::InputFile file;
    std::error_code ec;
    if (!file.open(path, ec)) {
        auto mddata = path;
        mddata += ".mddata";
        if (!file.open(mddata, ec)) return false;
    }
    char head[kEncryptionProbeBytes];
    const std::size_t got = file.readAt(0, head, sizeof head, ec);
    if (got < kSqliteMagic.size()) return true;
    return !equalsIgnoreCase(std::string_view(head, kSqliteMagic.size()), kSqliteMagic);
}

void sortNewestFirst(std::vector<BackupInfo>& backups) {
    if (backups.size() < 2) return;
    std::stable_sort(backups.begin(), backups.end(), [](const BackupInfo& a, const BackupInfo& b) {
        return compareIgnoreCase(a.lastBackupDate, b.lastBackupDate) > 0;
    });
}

} // namespace orvelle
