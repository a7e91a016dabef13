#include "export/ScanSourceExport.h"

namespace orvelle {

Status ScanSourceExport::copyFile(const std::filesystem::path& source,
                                  const std::filesystem::path& destination, FileProgressFn progress,
                                  void* context) {
    return m_source.copyFile(source, destination, progress, context);
}

Status ScanSourceExport::exportDeletedMessages(const std::filesystem::path& output) {
    return m_source.exportDeletedMessages(output);
}

Status ScanSourceExport::exportDeletedContacts(const std::filesystem::path& output) {
    return m_source.exportDeletedContacts(output);
}

} // namespace orvelle
