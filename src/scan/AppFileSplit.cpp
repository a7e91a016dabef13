#include "scan/AppFileSplit.h"

#include "scan/FileTypes.h"

namespace orvelle {

void splitAppFiles(const std::vector<AppFileRecord>& files, AppFileMap& photos, AppFileMap& videos) {
    photos.clear();
    videos.clear();
    for (const AppFileRecord& file : files) {
        AppFileMap& target = isAppVideoName(file.name) ? videos : photos;
        target[file.appName].push_back(file);
    }
}

} // namespace orvelle
