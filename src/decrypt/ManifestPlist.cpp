#include "decrypt/ManifestPlist.h"

#include "decrypt/Plist.h"
#include "platform/File.h"

namespace orvelle::decrypt {

namespace {
// Manifest.plist is a few kilobytes; anything this large is not one.
constexpr std::uint64_t kMaxManifestPlistSize = 64ull * 1024 * 1024;
} // namespace

bool readManifestPlist(const std::filesystem::path& path, ManifestPlist& out, std::string& error) {
    out = ManifestPlist{};
    std::error_code ec;
    platform::InputFile file;
    if (!file.open(path, ec)) {
        error = "cannot open " + path.string() + ": " + ec.message();
        return false;
    }
    const std::uint64_t size = file.size(ec);
    if (ec || size > kMaxManifestPlistSize) {
        error = path.string() + " is too large or unreadable";
        return false;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (file.readAt(0, bytes.data(), bytes.size(), ec) != bytes.size()) {
        error = "cannot read " + path.string();
        return false;
    }
    std::string refused;
    PlistPtr root = parsePlist(bytes, &refused);
    if (!refused.empty()) {
        error = path.string() + ": " + refused;
        return false;
    }
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) {
        error = path.string() + " is not a property list";
        return false;
    }
    out.isEncrypted = uintValue(dictItem(root.get(), "IsEncrypted", PLIST_BOOLEAN)).value_or(0) != 0;
    out.keyBag = dataValue(dictItem(root.get(), "BackupKeyBag", PLIST_DATA));
    out.manifestKey = dataValue(dictItem(root.get(), "ManifestKey", PLIST_DATA));
    if (out.keyBag.empty()) {
        error = path.string() + " holds no BackupKeyBag";
        return false;
    }
    return true;
}

} // namespace orvelle::decrypt
