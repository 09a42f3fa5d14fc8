#include "diagnostics/offline_stitch.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "diagnostics/text_output.h"
#include "capture/capture_rules.h"
#include "image/png_codec.h"
#include "stitch/composer.h"
#include "stitch/small_shift.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

bool isVanished(const std::error_code& ec) {
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

// Resets stitchLog however the run ends.
struct StitchLogScope {
    explicit StitchLogScope(std::ostream* log) { stitchLog = log; }
    ~StitchLogScope() { stitchLog = nullptr; }
    StitchLogScope(const StitchLogScope&) = delete;
    StitchLogScope& operator=(const StitchLogScope&) = delete;
};

}  // namespace

size_t dropUnmovedFrames(std::vector<PixelImage>& frames) {
    if (frames.empty()) return 0;
    size_t kept = 1;
    for (size_t i = 1; i < frames.size(); ++i) {
        const PixelImage& last = frames[kept - 1];
        // A grab that moved by a few rows is kept: the composer joins it by that shift.
        if (framesNearlyIdentical(last, frames[i]) && !movedByFewRows(last, frames[i])) continue;
        if (kept != i) frames[kept] = std::move(frames[i]);
        ++kept;
    }
    const size_t dropped = frames.size() - kept;
    frames.resize(kept);
    return dropped;
}

std::vector<fs::path> listFrameFiles(const fs::path& folder) {
    static const fs::path::string_type kPng = fs::path(".png").native();
    std::vector<fs::path> paths;
    for (fs::directory_iterator it(folder), end; it != end; ++it) {
        std::error_code ec;
        const fs::file_status st = it->status(ec);
        if (ec && !isVanished(ec)) throw fs::filesystem_error("status", it->path(), ec);
        if (ec || st.type() != fs::file_type::regular) continue;
        if (it->path().extension().native() != kPng) continue;
        paths.push_back(it->path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

int runOfflineStitch(const fs::path& framesFolder, const fs::path& outputPath) {
    fs::path logPath = outputPath;
    logPath += ".log.txt";
    // A log that cannot be opened is no failure: its writes are skipped (fail state).
    std::ofstream log(logPath, std::ios::binary | std::ios::trunc);
    StitchLogScope scope(&log);
    try {
        const std::vector<fs::path> files = listFrameFiles(framesFolder);
        std::vector<PixelImage> frames;
        frames.reserve(files.size());
        for (const fs::path& f : files) frames.push_back(loadPng(f));
        writeStitchLogLine("frames=" + std::to_string(frames.size()));
        // Nothing to join is a failure, not an empty picture.
        if (frames.empty()) throw std::runtime_error("no frames");
        const size_t skipped = dropUnmovedFrames(frames);
        writeStitchLogLine("skipped=" + std::to_string(skipped));

        PixelImage image = composeFrames(frames);
        frames.clear();
        frames.shrink_to_fit();
        savePng(image, outputPath);
        writeStitchLogLine("output=" + std::to_string(image.width) + "x" + std::to_string(image.height));
        return 0;
    } catch (const std::exception&) {
        writeStitchLogLine("exception");
        return 1;
    }
}

}  // namespace tf
