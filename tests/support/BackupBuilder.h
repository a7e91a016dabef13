#pragma once
/// Builds a backup folder as iTunes/Finder leave it: Info.plist (XML or
/// binary), the manifest (Manifest.db with files in two-hex-digit
/// sub-folders, Manifest.mbdb with files directly in the folder, both, or
/// none) and the stored files under their file IDs.
///
/// Start from the defaults and change only what a case needs:
///
///     BackupBuilder b;
///     b.addFile("CameraRollDomain", "Media/DCIM/100APPLE/IMG_0001.JPG", mediaSample(MediaSample::JpegExif));
///     b.build(temp / "backup");
///
/// Throws std::runtime_error on failure (test code).

#include "support/InfoPlistWriter.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvelle::test {

enum class ManifestKind {
    Db,   ///< Manifest.db, two-level layout (iOS 10 and later)
    Mbdb, ///< Manifest.mbdb, flat layout (before iOS 10)
    Both, ///< both manifests, files two-level (Manifest.db wins)
    None, ///< no manifest
};

enum class PlistFormat { Xml, Binary, None };

class BackupBuilder {
public:
    enum class EntryKind { File, Directory, Symlink };

    struct Entry {
        std::string domain;
        std::string relativePath;
        EntryKind kind = EntryKind::File;
        std::string content;                      ///< stored bytes of a file
        bool stored = true;                       ///< false: listed in the manifest, no stored file
        std::string linkTarget;                   ///< for a symbolic link
        std::optional<std::string> fileBlob;      ///< Manifest.db "file" column (archived record)
        std::optional<std::string> encryptionKey; ///< Manifest.mbdb "encryption key" string
        std::uint8_t protectionClass = 4;

        std::string domainPath() const { return domain + "-" + relativePath; }
        std::string fileId() const;
    };

    BackupBuilder() = default;

    InfoPlistWriter& infoPlist() { return m_infoPlist; }
    const InfoPlistWriter& infoPlist() const { return m_infoPlist; }
    BackupBuilder& setManifest(ManifestKind kind) {
        m_manifest = kind;
        return *this;
    }
    ManifestKind manifestKind() const { return m_manifest; }
    BackupBuilder& setPlistFormat(PlistFormat format) {
        m_plistFormat = format;
        return *this;
    }

    /// A file listed in the manifest and stored under its file ID.
    BackupBuilder& addFile(const std::string& domain, const std::string& relativePath, std::string content);
    /// A file listed in the manifest whose stored file is missing.
    BackupBuilder& addMissingFile(const std::string& domain, const std::string& relativePath);
    BackupBuilder& addDirectory(const std::string& domain, const std::string& relativePath);
    BackupBuilder& addSymlink(const std::string& domain, const std::string& relativePath,
                              const std::string& target);
    /// Any entry, as given.
    BackupBuilder& add(Entry entry);

    std::vector<Entry>& entries() { return m_entries; }
    const std::vector<Entry>& entries() const { return m_entries; }

    /// Where a stored file of this backup goes, relative to the backup folder.
    std::filesystem::path storedRelativePath(const Entry& entry) const;

    /// Writes the backup into `folder` (created; existing files are replaced).
    /// Returns `folder`.
    std::filesystem::path build(const std::filesystem::path& folder) const;

    /// Writes only the manifest(s) of the backup into `folder`.
    void writeManifests(const std::filesystem::path& folder) const;

private:
    InfoPlistWriter m_infoPlist;
    ManifestKind m_manifest = ManifestKind::Db;
    PlistFormat m_plistFormat = PlistFormat::Xml;
    std::vector<Entry> m_entries;
};

} // namespace orvelle::test
