#include "core/review/stitch_log_seams.h"

#include "core/image/small_file.h"

namespace tf {

std::filesystem::path stitchLogOf(const std::filesystem::path& image) {
    std::filesystem::path log = image;
    log += ".log.txt";
    return log;
}

std::optional<LoggedSeams> seamsOfStitchedImage(const std::filesystem::path& image, int32_t width, int32_t height) {
    const SmallFile file = readFileStart(stitchLogOf(image), kMaxStitchLogBytes, kMaxStitchLogBytes);
    if (file.kind != SmallFileKind::Regular) return std::nullopt;
    std::optional<LoggedSeams> seams = seamsFromStitchLog(file.bytes);
    // A log left beside another image of the same name says nothing of this one.
    if (!seams || seams->width != width || seams->height != height) return std::nullopt;
    return seams;
}

}  // namespace tf
