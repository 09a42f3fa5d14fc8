#pragma once
// The seams of an image an offline stitch wrote, read back from the log it
// left beside the image ("<image>.log.txt"), so that reviewing it shows what
// the stitch decided, as a capture's own result would.

#include <filesystem>
#include <optional>

#include "core/stitch/seam_record.h"

namespace tf {

// A stitch log is a few lines per pair: far below this.
inline constexpr uint64_t kMaxStitchLogBytes = 16u << 20;

std::filesystem::path stitchLogOf(const std::filesystem::path& image);

// nullopt when there is no log, it is no small regular file, or it holds no
// seams that fit the image's size.
std::optional<LoggedSeams> seamsOfStitchedImage(const std::filesystem::path& image, int32_t width, int32_t height);

}  // namespace tf
