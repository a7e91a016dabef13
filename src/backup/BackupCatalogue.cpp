#include "backup/BackupCatalogue.h"

#include "backup/InfoPlistReader.h"
#include "backup/KnownFileIds.h"
#include "backup/ManifestLoader.h"
#include "core/Status.h"
#include "core/Text.h"
#include "platform/File.h"
#include "platform/Folder.h"
#include "platform/PathText.h"

#include <algorithm>

namespace orvelle {

namespace {
constexpr std::string_view kSqliteMagic = "SQLite";
constexpr std::size_t kEncryptionProbeBytes = 512;

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
    info.encrypted = isEncryptedBackup(folder);
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
