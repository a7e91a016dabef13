#include "decrypt/BackupFileEntry.h"

namespace orvelle::decrypt {

bool isFileId(std::string_view text) {
    if (text.size() != kFileIdLength) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

} // namespace orvelle::decrypt
