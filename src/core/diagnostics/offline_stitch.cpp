#include "core/diagnostics/offline_stitch.h"

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "core/capture/capture_log.h"
#include "core/capture/capture_rules.h"
#include "core/image/png_codec.h"
#include "core/stitch/composed_png.h"
#include "core/stitch/composer.h"
#include "core/stitch/orientation.h"
#include "core/stitch/small_shift.h"
#include "core/image/atomic_file.h"

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

std::string displayPath(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

namespace {

// The decoded size a frame file's header declares, or 0 when it has no PNG
// header (its reading then fails on its own).
uint64_t declaredFrameBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char head[24];
    if (!in.read(reinterpret_cast<char*>(head), sizeof head) || std::string_view(reinterpret_cast<char*>(head + 12), 4) != "IHDR")
        return 0;
    auto be32 = [](const unsigned char* p) {
        return uint64_t{p[0]} << 24 | uint64_t{p[1]} << 16 | uint64_t{p[2]} << 8 | uint64_t{p[3]};
    };
    return be32(head + 16) * be32(head + 20) * 4u;
}

std::string mebibytes(uint64_t bytes) { return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB"; }

void requireFramesFit(const std::vector<fs::path>& files) {
    uint64_t total = 0;
    for (const fs::path& f : files) total += declaredFrameBytes(f);
    if (total > kMaxDecodedFramesBytes)
        throw std::runtime_error("the frames take " + mebibytes(total) + " decoded, more than the " +
                                 mebibytes(kMaxDecodedFramesBytes) + " a stitch may hold");
}

// Why the log may not be written at `logPath`, or an empty text.
std::string logRefusal(const fs::path& logPath, const fs::path& outputPath, const std::vector<fs::path>& frames) {
    for (const fs::path& f : frames)
        if (isSameFile(logPath, f)) return "is one of the frames";
    std::error_code ec;
    if (fs::exists(logPath, ec) && fs::equivalent(logPath, outputPath, ec)) return "is the output";
    return {};
}

// The direction to join in: the log's, or the one asked for, or down.
ScrollDirection stitchDirection(const fs::path& framesFolder, std::optional<ScrollDirection> requested) {
    const std::optional<ScrollDirection> logged = loggedDirection(framesFolder);
    if (logged && requested && *logged != *requested)
        throw std::runtime_error("it records the direction " + std::string(directionName(*logged)) +
                                 ", but --direction " + std::string(directionName(*requested)) + " was given");
    return logged ? *logged : requested.value_or(ScrollDirection::Down);
}

}  // namespace

std::optional<ScrollDirection> loggedDirection(const fs::path& framesFolder) {
    std::ifstream in(framesFolder / kCaptureLogFileName, std::ios::binary);
    std::string header;
    if (!in || !std::getline(in, header) || header.empty() || header == "\r") return std::nullopt;
    const std::optional<ScrollDirection> direction = captureLogHeaderDirection(header);
    if (!direction)
        throw std::runtime_error("its header names a direction this program does not know");
    return direction;
}

int runOfflineStitch(const fs::path& framesFolder, const fs::path& outputPath, const UserMessages& tell,
                     std::optional<ScrollDirection> requestedDirection) {
    fs::path logPath = outputPath;
    logPath += ".log.txt";
    // Kept in memory and written whole at the end: two runs on one output
    // leave one run's log, never a mixture.
    std::ostringstream logText;
    const TextLog stitchLog(&logText);
    std::vector<fs::path> files;
    std::string doing = "listing the frames folder " + displayPath(framesFolder);
    int exitCode = 1;
    try {
        doing = "reading the capture log " + displayPath(framesFolder / kCaptureLogFileName);
        const ScrollDirection direction = stitchDirection(framesFolder, requestedDirection);
        doing = "listing the frames folder " + displayPath(framesFolder);
        files = listFrameFiles(framesFolder);
        // The output would replace a frame it is made from.
        for (const fs::path& f : files)
            if (isSameFile(outputPath, f)) throw std::runtime_error("the output " + displayPath(outputPath) + " is one of the frames");
        requireFramesFit(files);
        std::vector<PixelImage> frames;
        frames.reserve(files.size());
        uint64_t decoded = 0;
        for (const fs::path& f : files) {
            doing = "reading the frame " + displayPath(f);
            frames.push_back(loadPng(f));
            // The files may have changed since their headers were counted.
            if ((decoded += frames.back().byteSize()) > kMaxDecodedFramesBytes) requireFramesFit(files);
        }
        doing = "stitching";
        stitchLog.line("frames=" + std::to_string(frames.size()));
        // Nothing to join is a failure, not an empty picture.
        if (frames.empty()) throw std::runtime_error("no .png frames in " + displayPath(framesFolder));
        if (direction != ScrollDirection::Down) stitchLog.line("direction=" + std::string(directionName(direction)));
        turnFramesDownward(frames, direction);
        const size_t skipped = dropUnmovedFrames(frames);
        stitchLog.line("skipped=" + std::to_string(skipped));

        // Written straight from the frames, each released once its rows are in the file.
        const CompositionPlan plan = planComposition(frames, stitchLog);
        doing = "writing the output " + displayPath(outputPath);
        try {
            saveComposedPng(frames, plan, outputPath, direction);
        } catch (const std::runtime_error& e) {
            const char* why = whyNotReplaced(inspectExistingFile(outputPath));
            if (*why) throw std::runtime_error(std::string(e.what()) + ": it " + why);
            throw;
        }
        const ComposedSize size = composedSize(plan, direction);
        stitchLog.line("output=" + std::to_string(size.width) + "x" + std::to_string(size.height));
        exitCode = 0;
    } catch (const std::exception& e) {
        stitchLog.line("exception");
        if (tell) tell("--stitch failed while " + doing + ": " + e.what());
    }
    std::string refused = logRefusal(logPath, outputPath, files);
    if (refused.empty()) refused = writeWholeFile(logPath, logText.str(), true);
    if (!refused.empty() && tell) tell("the log " + displayPath(logPath) + " was not written: it " + refused);
    return exitCode;
}

}  // namespace tf
