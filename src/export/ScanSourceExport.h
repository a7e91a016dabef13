#pragma once
/// The export's view of a scan source: copies of stored files and the two
/// row dumps go to the source that made the scan.

#include "backup/ScanSource.h"
#include "export/ExportSource.h"

namespace orvelle {

class ScanSourceExport : public ExportSource {
public:
    /// `source` must outlive this object.
    explicit ScanSourceExport(ScanSource& source) : m_source(source) {}

    /// The stored files of a backup on disk are copied straight into the new
    /// file; other sources get the copy through their own copyFile.
    Status copyFile(const std::filesystem::path& source, platform::OutputFile& file,
                    const std::filesystem::path& destination, FileProgressFn progress,
                    void* context) override;
    /// Forwards to the source's exportDeletedMessages.
    Status exportDeletedMessages(const std::filesystem::path& output) override;
    /// Forwards to the source's exportDeletedContacts.
    Status exportDeletedContacts(const std::filesystem::path& output) override;

private:
    ScanSource& m_source;
};

} // namespace orvelle
