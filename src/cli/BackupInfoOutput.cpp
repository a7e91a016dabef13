#include "cli/BackupInfoOutput.h"

namespace orvelle::cli {

void writeBackupInfoJson(JsonWriter& json, const BackupInfo& info) {
    json.beginObject()
        .field("encrypted", info.encrypted)
        .field("majorVersionAbove11", info.majorVersionAbove11)
        .field("lastBackupDate", info.lastBackupDate)
        .field("phoneNumber", info.phoneNumber)
        .field("serialNumber", info.serialNumber)
        .field("folder", info.folder)
        .field("displayName", info.displayName);
    if (!info.problem.empty()) json.field("problem", info.problem);
    json.endObject();
}

TextTable backupTable(const std::vector<BackupInfo>& backups) {
    TextTable table(
        {"Last backup", "Name", "Phone number", "Serial number", "iOS 12+", "Encrypted", "Folder"});
    for (const auto& b : backups)
        table.addRow({b.lastBackupDate, b.displayName, b.phoneNumber, b.serialNumber,
                      b.majorVersionAbove11 ? "yes" : "no", b.encrypted ? "yes" : "no", b.folder});
    return table;
}

} // namespace orvelle::cli
