#pragma once
/// The files one export has copied, kept so that the documents written after
/// the copies (chat pages, the index page) can link to them.
///
/// A chat names its attachment by the device path the phone gave it; the
/// copy is found by the file ID that path has in the backup and, when the
/// path does not lead to a stored file (older databases name a folder that
/// the backup holds one level deeper), by the attachment's file name without
/// extension (the copy's extension follows its content), as long as only one
/// copy of that category has it.

#include "core/Categories.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvelle {

/// One copy written by the export.
struct ExportedFile {
    std::string name;              ///< the record's name
    std::filesystem::path written; ///< where the copy was written
};

class ExportedFiles {
public:
    /// Records the copy of `storedPath` (a record of `kind` named `name`) at `written`.
    void add(ItemKind kind, std::string_view storedPath, std::string_view name,
             const std::filesystem::path& written);

    /// The copy of a message attachment as sms.db names it
    /// ("~/Library/SMS/Attachments/.../IMG_1.HEIC"); null when none was written.
    const std::filesystem::path* messageAttachment(std::string_view deviceName) const;
    /// The copy of a WhatsApp media item as ChatStorage names it
    /// ("Media/<chat>/.../photo.jpg"); null when none was written.
    const std::filesystem::path* whatsAppMedia(std::string_view localPath) const;

    /// The copies of one category, in the order they were written.
    const std::vector<ExportedFile>& of(ItemKind kind) const;

private:
    const std::filesystem::path* byDomainPaths(std::initializer_list<std::string> domainPaths) const;
    const std::filesystem::path* byStem(ItemKind kind, std::string_view deviceName) const;

    std::map<ItemKind, std::vector<ExportedFile>> m_files;
    std::unordered_map<std::string, std::filesystem::path> m_byFileId;
    /// (kind, lower-case name without extension) -> copies with that name
    std::map<std::pair<ItemKind, std::string>, std::vector<std::filesystem::path>> m_byStem;
};

/// The file name of a device path without its extension, lower-case (ASCII).
std::string lowerStem(std::string_view name);

} // namespace orvelle
