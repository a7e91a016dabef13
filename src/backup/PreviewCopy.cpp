#include "backup/PreviewCopy.h"

#include "backup/FileSignature.h"
#include "backup/MediaExtensions.h"
#include "core/Text.h"
#include "platform/File.h"
#include "platform/OutputFile.h"

#include <vector>

namespace orvelle {

namespace {

Status copyChunks(const std::filesystem::path& from, const std::filesystem::path& to,
                  PreviewProgress function, void* context) {
    platform::InputFile in;
    platform::OutputFile out;
    out.setPrivateToUser(true); // the owner's data, even outside a private folder
    std::error_code ec;
    if (!in.open(from, ec)) return platform::isNotRegularFile(ec) ? kStatusNotRegularFile : kStatusInvalid;
    if (!out.create(to, true, ec)) return kStatusInvalid;
    const std::uint64_t size = in.size(ec);
    if (ec) return kStatusInvalid;
    std::vector<char> chunk(kPreviewChunkSize);
    std::uint64_t copied = 0;
    while (copied < size) {
        const std::size_t got = in.readAt(copied, chunk.data(), chunk.size(), ec);
        if (ec) return ec.value();
        if (got == 0) break; // the file shrank while we copied
        if (!out.writeAt(copied, chunk.data(), got, ec)) return ec.value();
        copied += got;
        if (function) {
            const auto percent = static_cast<std::int32_t>(copied * 100 / size);
            if (const auto answer = function(context, percent)) return answer;
        }
    }
    if (!out.close(ec)) return ec.value();
    return kStatusOk;
}

} // namespace

std::string_view previewNameFor(std::string_view extension) {
    if (extensionInList(kPictureExtensions, extension)) return kPicturePreviewName;
    if (extensionInList(kSoundExtensions, extension)) return kSoundPreviewName;
    if (extensionInList(kVideoExtensions, extension)) return kVideoPreviewName;
    return {};
}

Status makePreviewCopy(const std::filesystem::path& storedPath, const std::filesystem::path& folder,
                       std::filesystem::path& previewPath, PreviewProgress function, void* context) {
    previewPath.clear();
    std::int64_t counter = 0;
    std::string detected;
    detectFileType(storedPath, counter, detected);
    const std::string extension = asciiLower(detectedExtension(detected));
    Status status = kStatusOk;
    if (extension.empty() || folder.empty()) {
        // Without a private folder there is nowhere safe to write the copy.
        status = kStatusInvalid;
    } else if (const auto name = previewNameFor(extension); !name.empty()) {
        previewPath = folder / std::string(name);
        status = copyChunks(storedPath, previewPath, function, context);
    }
    if (function) function(context, 100);
    return status;
}

} // namespace orvelle
