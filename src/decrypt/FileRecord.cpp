#include "decrypt/FileRecord.h"

#include "decrypt/Plist.h"

namespace orvelle::decrypt {

namespace {

// The object of $objects that `reference` (a UID node) points to.
plist_t resolve(plist_t objects, plist_t reference) {
    if (!reference || plist_get_node_type(reference) != PLIST_UID) return nullptr;
    std::uint64_t index = 0;
    plist_get_uid_val(reference, &index);
    if (index >= plist_array_get_size(objects)) return nullptr;
    return plist_array_get_item(objects, static_cast<std::uint32_t>(index));
}

} // namespace

bool readArchivedFile(std::string_view blob, ArchivedFileInfo& out, std::string& error) {
    out = ArchivedFileInfo{};
    PlistPtr root = parsePlist(blob);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) {
        error = "file record is not a property list";
        return false;
    }
    plist_t objects = dictItem(root.get(), "$objects", PLIST_ARRAY);
    plist_t top = dictItem(root.get(), "$top", PLIST_DICT);
    plist_t file = objects && top ? resolve(objects, plist_dict_get_item(top, "root")) : nullptr;
    if (!file || plist_get_node_type(file) != PLIST_DICT) {
        error = "file record has no archived root object";
        return false;
    }
    out.size = uintValue(dictItem(file, "Size", PLIST_UINT));
    out.protectionClass =
        static_cast<std::uint32_t>(uintValue(dictItem(file, "ProtectionClass", PLIST_UINT)).value_or(0));

    plist_t keyReference = plist_dict_get_item(file, "EncryptionKey");
    if (!keyReference) return true;
    plist_t key =
        plist_get_node_type(keyReference) == PLIST_UID ? resolve(objects, keyReference) : keyReference;
    if (key && plist_get_node_type(key) == PLIST_DICT) key = dictItem(key, "NS.data", PLIST_DATA);
    if (!key || plist_get_node_type(key) != PLIST_DATA) {
        error = "file record's EncryptionKey is not data";
        return false;
    }
    out.keyRecord = dataValue(key);
    return true;
}

} // namespace orvelle::decrypt
