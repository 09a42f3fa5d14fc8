#include "core/diagnostics/offline_stitch.h"

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "core/capture/capture_rules.h"
#include "core/image/png_codec.h"
#include "core/stitch/composed_png.h"
#include "core/stitch/composer.h"
#include "core/stitch/small_shift.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

bool isVanished(const std::error_code& ec) {
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

fs::path resolvedPath(const fs::path& p) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(p, ec);
    if (ec) return p.lexically_normal();
    const fs::path canonical = fs::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal() : canonical;
}

// Without file identity (the output does not exist yet, or cannot be
// queried): the same absolute path once "." and ".." and links are resolved,
// ignoring case where the file system does.
bool samePathSpelling(const fs::path& a, const fs::path& b) {
    const fs::path::string_type sa = resolvedPath(a).native();
    const fs::path::string_type sb = resolvedPath(b).native();
#ifdef _WIN32
    return sa.size() == sb.size() && std::equal(sa.begin(), sa.end(), sb.begin(), [](wchar_t x, wchar_t y) {
               return std::towupper(static_cast<std::wint_t>(x)) == std::towupper(static_cast<std::wint_t>(y));
           });
#else
    return sa == sb;
#endif
}

}  // namespace

bool isSameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    const bool same = fs::equivalent(a, b, ec);
    if (!ec) return same;
    return samePathSpelling(a, b);
}

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
    const TextLog stitchLog(&log);
    try {
        const std::vector<fs::path> files = listFrameFiles(framesFolder);
        // The output would replace a frame it is made from.
        for (const fs::path& f : files)
            if (isSameFile(outputPath, f)) throw std::runtime_error("output is a frame");
        std::vector<PixelImage> frames;
        frames.reserve(files.size());
        for (const fs::path& f : files) frames.push_back(loadPng(f));
        stitchLog.line("frames=" + std::to_string(frames.size()));
        // Nothing to join is a failure, not an empty picture.
        if (frames.empty()) throw std::runtime_error("no frames");
        const size_t skipped = dropUnmovedFrames(frames);
        stitchLog.line("skipped=" + std::to_string(skipped));

        // Written straight from the frames, each released once its rows are in the file.
        const CompositionPlan plan = planComposition(frames, stitchLog);
        saveComposedPng(frames, plan, outputPath);
        stitchLog.line("output=" + std::to_string(plan.width) + "x" + std::to_string(plan.height));
        return 0;
    } catch (const std::exception&) {
        stitchLog.line("exception");
        return 1;
    }
}

}  // namespace tf
