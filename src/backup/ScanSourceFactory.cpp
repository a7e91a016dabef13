#include "backup/CDeviceRecovery.h"
#include "backup/CLocalBuckupRecovery.h"
#include "backup/IPhoneRecoveryParse.h"

namespace orvelle {

std::unique_ptr<IPhoneRecoveryParse> createScanSource(int type, BackupStore* store) {
    std::unique_ptr<IPhoneRecoveryParse> source;
    if (type == static_cast<int>(ScanSourceType::LocalBackup))
        source = std::make_unique<CLocalBuckupRecovery>();
    else if (type == static_cast<int>(ScanSourceType::Device))
        source = std::make_unique<CDeviceRecovery>();
    if (source) source->attach(store);
    return source;
}

} // namespace orvelle
