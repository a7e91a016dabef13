#include "export/ExportedFiles.h"

#include "backup/FileId.h"
#include "core/Text.h"

namespace orvelle {

namespace {

constexpr std::string_view kHomePrefix = "~/";
constexpr std::string_view kMobileHomePrefix = "/var/mobile/";
constexpr std::string_view kMessageDomain = "MediaDomain-";
constexpr std::string_view kWhatsAppSharedDomain = "AppDomainGroup-group.net.whatsapp.WhatsApp.shared-Message/";
constexpr std::string_view kWhatsAppAppDomain = "AppDomain-net.whatsapp.WhatsApp-Library/";

std::string_view fileNameOf(std::string_view path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view withoutPrefix(std::string_view text, std::string_view prefix) {
    return text.starts_with(prefix) ? text.substr(prefix.size()) : text;
}

} // namespace

std::string lowerStem(std::string_view name) {
    std::string_view file = fileNameOf(name);
    const auto dot = file.rfind('.');
    if (dot != std::string_view::npos && dot > 0) file = file.substr(0, dot);
    return asciiLower(file);
}

void ExportedFiles::add(ItemKind kind, std::string_view storedPath, std::string_view name,
                        const std::filesystem::path& written) {
    m_files[kind].push_back({std::string(name), written});
    const std::string_view stored = fileNameOf(storedPath);
    if (isFileId(stored)) m_byFileId.try_emplace(std::string(stored), written);
    m_byStem[{kind, lowerStem(name)}].push_back(written);
}

const std::filesystem::path* ExportedFiles::byDomainPaths(std::initializer_list<std::string> domainPaths) const {
    FileIdHasher hasher;
    for (const std::string& domainPath : domainPaths)
        if (const auto it = m_byFileId.find(hasher.fileIdOf(domainPath)); it != m_byFileId.end())
            return &it->second;
    return nullptr;
}

const std::filesystem::path* ExportedFiles::byStem(ItemKind kind, std::string_view deviceName) const {
    const auto it = m_byStem.find({kind, lowerStem(deviceName)});
    return it != m_byStem.end() && it->second.size() == 1 ? &it->second.front() : nullptr;
}

const std::filesystem::path* ExportedFiles::messageAttachment(std::string_view deviceName) const {
    if (deviceName.empty() || m_files.find(ItemKind::MessageAttachments) == m_files.end()) return nullptr;
    const std::string_view relative = withoutPrefix(withoutPrefix(deviceName, kHomePrefix), kMobileHomePrefix);
    if (const auto* copy = byDomainPaths({std::string(kMessageDomain) + std::string(relative)})) return copy;
    return byStem(ItemKind::MessageAttachments, deviceName);
}

const std::filesystem::path* ExportedFiles::whatsAppMedia(std::string_view localPath) const {
    if (localPath.empty() || m_files.find(ItemKind::WhatsAppAttachments) == m_files.end()) return nullptr;
    if (const auto* copy = byDomainPaths({std::string(kWhatsAppSharedDomain) + std::string(localPath),
                                          std::string(kWhatsAppAppDomain) + std::string(localPath)}))
        return copy;
    return byStem(ItemKind::WhatsAppAttachments, localPath);
}

const std::vector<ExportedFile>& ExportedFiles::of(ItemKind kind) const {
    static const std::vector<ExportedFile> kNone;
    const auto it = m_files.find(kind);
    return it != m_files.end() ? it->second : kNone;
}

} // namespace orvelle
