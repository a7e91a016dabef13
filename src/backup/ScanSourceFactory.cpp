#include "backup/DeviceSource.h"
#include "backup/LocalBackupSource.h"
#include "backup/ScanSource.h"

namespace orvelle {

std::unique_ptr<ScanSource> createScanSource(int type, BackupStore* store) {
    std::unique_ptr<ScanSource> source;
    if (type == static_cast<int>(ScanSourceType::LocalBackup))
        source = std::make_unique<LocalBackupSource>();
    else if (type == static_cast<int>(ScanSourceType::Device))
        source = std::make_unique<DeviceSource>();
    if (source) source->attach(store);
    return source;
}

} // namespace orvelle
