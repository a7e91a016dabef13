#include "export/ScanSourceExport.h"

#include "backup/StoredFileCopy.h"

namespace orvelle {

Status ScanSourceExport::copyFile(const std::filesystem::path& source, platform::OutputFile& file,
                                  const std::filesystem::path& destination, FileProgressFn progress,
                                  void* context) {
    // Opening the new file once, exclusively, keeps a copy of many small files
    // close to the cost of the file system's own copy.
    if (m_source.isLocalBackup(0)) return copyStoredFileInto(source, file, destination, progress, context);
    std::error_code ignored;
    file.close(ignored);
    return m_source.copyFile(source, destination, progress, context);
}

Status ScanSourceExport::exportDeletedMessages(const std::filesystem::path& output) {
    return m_source.exportDeletedMessages(output);
}

Status ScanSourceExport::exportDeletedContacts(const std::filesystem::path& output) {
    return m_source.exportDeletedContacts(output);
}

} // namespace orvelle
