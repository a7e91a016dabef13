#include "support/BackupBuilder.h"

#include "backup/FileId.h"
#include "support/ManifestDbWriter.h"
#include "support/MbdbWriter.h"
#include "support/TempFolder.h"

namespace orvelle::test {

std::string BackupBuilder::Entry::fileId() const {
    return orvelle::fileIdOf(domainPath());
}

BackupBuilder& BackupBuilder::add(Entry entry) {
    m_entries.push_back(std::move(entry));
    return *this;
}

BackupBuilder& BackupBuilder::addFile(const std::string& domain, const std::string& relativePath,
                                      std::string content) {
    Entry e;
    e.domain = domain;
    e.relativePath = relativePath;
    e.content = std::move(content);
    return add(std::move(e));
}

BackupBuilder& BackupBuilder::addMissingFile(const std::string& domain, const std::string& relativePath) {
    Entry e;
    e.domain = domain;
    e.relativePath = relativePath;
    e.stored = false;
    return add(std::move(e));
}

BackupBuilder& BackupBuilder::addDirectory(const std::string& domain, const std::string& relativePath) {
    Entry e;
    e.domain = domain;
    e.relativePath = relativePath;
    e.kind = EntryKind::Directory;
    e.stored = false;
    return add(std::move(e));
}

BackupBuilder& BackupBuilder::addSymlink(const std::string& domain, const std::string& relativePath,
                                         const std::string& target) {
    Entry e;
    e.domain = domain;
    e.relativePath = relativePath;
    e.kind = EntryKind::Symlink;
    e.linkTarget = target;
    e.stored = false;
    return add(std::move(e));
}

std::filesystem::path BackupBuilder::storedRelativePath(const Entry& entry) const {
    const std::string id = entry.fileId();
    if (m_manifest == ManifestKind::Db || m_manifest == ManifestKind::Both)
        return std::filesystem::path(id.substr(0, 2)) / id;
    return id;
}

void BackupBuilder::writeManifests(const std::filesystem::path& folder) const {
    if (m_manifest == ManifestKind::Db || m_manifest == ManifestKind::Both) {
        ManifestDbWriter db(folder / "Manifest.db");
        for (const auto& e : m_entries) {
            ManifestDbRow row;
            row.fileId = e.fileId();
            row.domain = e.domain;
            row.relativePath = e.relativePath;
            row.flags = e.kind == EntryKind::File        ? kManifestFlagFile
                        : e.kind == EntryKind::Directory ? kManifestFlagDirectory
                                                         : kManifestFlagSymlink;
            row.file = e.fileBlob;
            db.add(row);
        }
        db.finish();
    }
    if (m_manifest == ManifestKind::Mbdb || m_manifest == ManifestKind::Both) {
        std::string mbdb = mbdbHeader();
        std::uint64_t inode = 1000;
        for (const auto& e : m_entries) {
            MbdbRecord r;
            r.domain = e.domain;
            r.relativePath = e.relativePath;
            r.mode = e.kind == EntryKind::File        ? kMbdbModeFile
                     : e.kind == EntryKind::Directory ? kMbdbModeDirectory
                                                      : kMbdbModeSymlink;
            if (e.kind == EntryKind::Symlink) r.linkTarget = e.linkTarget;
            r.encryptionKey = e.encryptionKey;
            r.protectionClass = e.protectionClass;
            r.inode = inode++;
            r.size = e.kind == EntryKind::File ? e.content.size() : 0;
            appendMbdbRecord(mbdb, r);
        }
        writeFile(folder / "Manifest.mbdb", mbdb);
    }
}

std::filesystem::path BackupBuilder::build(const std::filesystem::path& folder) const {
    std::filesystem::create_directories(folder);
    if (m_plistFormat == PlistFormat::Xml) writeFile(folder / "Info.plist", m_infoPlist.toXml());
    if (m_plistFormat == PlistFormat::Binary) writeFile(folder / "Info.plist", m_infoPlist.toBinary());
    writeManifests(folder);
    for (const auto& e : m_entries)
        if (e.kind == EntryKind::File && e.stored) writeFile(folder / storedRelativePath(e), e.content);
    return folder;
}

} // namespace orvelle::test
