#pragma once
/// Copies one stored file to a preview file of the run's private folder (see
/// RunFolder.h), named by the kind of its content, so that a viewer or player
/// can open it: pictures -> "tmp.jpg", sounds -> "tmp.wav", videos ->
/// "tmp.avi". The copy is open to the user alone and goes with the folder.

#include "core/Status.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace orvelle {

constexpr std::string_view kPicturePreviewName = "tmp.jpg";
constexpr std::string_view kSoundPreviewName = "tmp.wav";
constexpr std::string_view kVideoPreviewName = "tmp.avi";
/// Bytes copied per chunk.
constexpr std::size_t kPreviewChunkSize = 64 * 1024;

/// Called as function(context, percent); a non-zero answer stops the copy.
using PreviewProgress = std::int32_t (*)(void* context, std::int32_t percent);

/// The preview file name for a detected extension (lower-case), or empty when
/// it is none of picture, sound or video.
std::string_view previewNameFor(std::string_view extension);

/// Detects `storedPath`'s type, picks the preview file in `folder` and copies
/// in 64 KiB chunks, reporting copied × 100 / size after each chunk and 100 at
/// the end in every case. kStatusOk (also when the type has no preview file, in
/// which case `previewPath` stays empty); kStatusInvalid when the type is not
/// recognised or a file cannot be opened; the stop answer; or the system's
/// code of a failed write or read.
Status makePreviewCopy(const std::filesystem::path& storedPath, const std::filesystem::path& folder,
                       std::filesystem::path& previewPath, PreviewProgress function, void* context);

} // namespace orvelle
