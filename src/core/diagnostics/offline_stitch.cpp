#include "core/diagnostics/offline_stitch.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "core/capture/animated_rows.h"
#include "core/capture/capture_log.h"
#include "core/capture/capture_rules.h"
#include "core/image/png_codec.h"
#include "core/stitch/row_store.h"
#include "core/stitch/small_shift.h"
#include "core/stitch/stream_composer.h"
#include "core/stitch/streamed_png.h"
#include "core/image/atomic_file.h"
#include "core/image/small_file.h"

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

size_t dropUnmovedFrames(std::vector<PixelImage>& frames, std::vector<size_t>* keptIndexes) {
    if (keptIndexes) keptIndexes->clear();
    if (frames.empty()) return 0;
    if (keptIndexes) keptIndexes->push_back(0);
    size_t kept = 1;
    for (size_t i = 1; i < frames.size(); ++i) {
        const PixelImage& last = frames[kept - 1];
        // A grab that moved by a few rows is kept: the composer joins it by that shift.
        if (framesNearlyIdentical(last, frames[i]) && !movedByFewRows(last, frames[i])) continue;
        if (kept != i) frames[kept] = std::move(frames[i]);
        if (keptIndexes) keptIndexes->push_back(i);
        ++kept;
    }
    const size_t dropped = frames.size() - kept;
    frames.resize(kept);
    return dropped;
}

namespace {

bool isPngExtension(const fs::path& extension) {
    const fs::path::string_type& e = extension.native();
    if (e.size() != 4 || e[0] != '.') return false;
    const char want[] = "png";
    for (size_t i = 0; i < 3; ++i) {
        const auto c = e[i + 1];
        if (c != want[i] && c != want[i] - 'a' + 'A') return false;
    }
    return true;
}

}  // namespace

std::vector<fs::path> listFrameFiles(const fs::path& folder) {
    std::vector<fs::path> paths;
    for (fs::directory_iterator it(folder), end; it != end; ++it) {
        std::error_code ec;
        const fs::file_status st = it->status(ec);
        if (ec && !isVanished(ec)) throw fs::filesystem_error("status", it->path(), ec);
        if (ec || st.type() != fs::file_type::regular) continue;
        if (!isPngExtension(it->path().extension())) continue;
        paths.push_back(it->path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::string displayPath(const fs::path& path) {
    static const char kHex[] = "0123456789abcdef";
    const std::u8string text = path.u8string();
    std::string shown;
    shown.reserve(text.size());
    for (const char8_t unit : text) {
        const auto c = static_cast<unsigned char>(unit);
        if (c == '\n') shown += "\\n";
        else if (c == '\r') shown += "\\r";
        else if (c == '\t') shown += "\\t";
        else if (c < 0x20 || c == 0x7F) shown += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
        else shown += static_cast<char>(c);
    }
    return shown;
}

namespace {

// The width and height a frame file's header declares, or 0 × 0 when it has
// no PNG header (its reading then fails on its own).
struct DeclaredSize {
    uint64_t width = 0;
    uint64_t height = 0;
};
DeclaredSize declaredFrameSize(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char head[24];
    if (!in.read(reinterpret_cast<char*>(head), sizeof head) || std::string_view(reinterpret_cast<char*>(head + 12), 4) != "IHDR")
        return {};
    auto be32 = [](const unsigned char* p) {
        return uint64_t{p[0]} << 24 | uint64_t{p[1]} << 16 | uint64_t{p[2]} << 8 | uint64_t{p[3]};
    };
    return {be32(head + 16), be32(head + 20)};
}

// The decoded size a frame file's header declares, or 0 without a header.
uint64_t declaredFrameBytes(const fs::path& file) {
    const DeclaredSize size = declaredFrameSize(file);
    return size.width * size.height * 4u;
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
ScrollDirection stitchDirection(const fs::path& framesFolder, std::optional<ScrollDirection> requested,
                                const UserMessages& tell) {
    const LoggedDirection logged = loggedDirection(framesFolder);
    if (!logged.ignored.empty() && tell)
        tell("the capture log " + displayPath(framesFolder / kCaptureLogFileName) + " is ignored: it " + logged.ignored);
    if (logged.direction && requested && *logged.direction != *requested)
        throw std::runtime_error("it records the direction " + std::string(directionName(*logged.direction)) +
                                 ", but --direction " + std::string(directionName(*requested)) + " was given");
    return logged.direction ? *logged.direction : requested.value_or(ScrollDirection::Down);
}

}  // namespace

LoggedDirection loggedDirection(const fs::path& framesFolder) {
    const SmallFile file = readFileStart(framesFolder / kCaptureLogFileName, kMaxCaptureLogBytes, kCaptureLogHeaderBytes);
    if (file.kind == SmallFileKind::Absent) return {};
    if (file.kind != SmallFileKind::Regular) return {std::nullopt, whyNotRead(file, kMaxCaptureLogBytes)};
    const CaptureLogHeaderReading header = readCaptureLogHeader(file.bytes, file.bytes.size() >= file.size);
    switch (header.verdict) {
        case CaptureLogHeaderReading::Verdict::Header: return {header.direction, {}};
        case CaptureLogHeaderReading::Verdict::NotCaptureLog: return {std::nullopt, header.why};
        case CaptureLogHeaderReading::Verdict::Refused: break;
    }
    throw std::runtime_error("it " + header.why);
}

std::string ownFileRefusal(const fs::path& framesFolder, const fs::path& outputPath) {
    const fs::path captureLog = framesFolder / kCaptureLogFileName;
    fs::path logPath = outputPath;
    logPath += ".log.txt";
    const char* what = isSameFile(outputPath, captureLog) ? "the output " : isSameFile(logPath, captureLog) ? "the output's log " : nullptr;
    if (!what) return {};
    return what + displayPath(isSameFile(outputPath, captureLog) ? outputPath : logPath) +
           " would replace the frames folder's capture log";
}

namespace {

// A frame that cannot be read, with its cause when the file itself says it
// (the decoder's own message names only the step).
PixelImage loadFrame(const fs::path& file) {
    try {
        return loadPng(file);
    } catch (const std::runtime_error& e) {
        const SmallFile probe = readFileStart(file, UINT64_MAX, 0);
        if (probe.kind == SmallFileKind::Unreadable || probe.kind == SmallFileKind::NotRegular)
            throw std::runtime_error(std::string(e.what()) + ": it " + whyNotRead(probe, UINT64_MAX));
        throw;
    }
}

// Frames of one capture have one size: a frame of another size is never
// cropped to fit. The likeliest such frame is an earlier stitch's output.
void requireSizeOfFirst(uint64_t frameWidth, uint64_t frameHeight, uint64_t width, uint64_t height,
                        const fs::path& file, const fs::path& firstFile) {
    if (frameWidth == width && frameHeight == height) return;
    fs::path itsLog = file;
    itsLog += ".log.txt";
    std::error_code ec;
    const std::string hint = fs::exists(itsLog, ec) ? " (it looks like an earlier output: " +
                                                          displayPath(itsLog.filename()) + " is beside it)"
                                                    : "";
    throw std::runtime_error("the frame " + displayPath(file) + " is " + std::to_string(frameWidth) + "x" +
                             std::to_string(frameHeight) + ", but " +
                             displayPath(firstFile) + " is " + std::to_string(width) + "x" + std::to_string(height) + hint +
                             "; frames of one capture have one size, so nothing was stitched");
}

void requireSizeOfFirst(const PixelImage& frame, int32_t width, int32_t height, const fs::path& file,
                        const fs::path& firstFile) {
    requireSizeOfFirst(static_cast<uint64_t>(frame.width), static_cast<uint64_t>(frame.height),
                       static_cast<uint64_t>(width), static_cast<uint64_t>(height), file, firstFile);
}

// The same from the headers, before any frame is decoded: a folder that holds
// an earlier output is refused at once, not after every frame before it was
// read and joined.
void requireOneDeclaredSize(const std::vector<fs::path>& files) {
    if (files.empty()) return;
    const DeclaredSize first = declaredFrameSize(files[0]);
    if (first.width == 0) return;
    for (size_t i = 1; i < files.size(); ++i) {
        const DeclaredSize size = declaredFrameSize(files[i]);
        if (size.width != 0) requireSizeOfFirst(size.width, size.height, first.width, first.height, files[i], files[0]);
    }
}

// The composer's "stitch failed", told with the pair it could not join and why.
std::string whyPairFailed(const std::string& log, const std::vector<fs::path>& files, const std::vector<size_t>& kept,
                          ScrollDirection direction) {
    const size_t at = log.rfind("pair ");
    if (at == std::string::npos) return {};
    const std::string line = log.substr(at, log.find('\r', at) - at);
    size_t pair = 0, overlap = 0;
    double score = 0;
    if (std::sscanf(line.c_str(), "pair %zu failed overlap=%zu score=%lf", &pair, &overlap, &score) != 3) return {};
    if (pair == 0 || pair >= kept.size()) return {};
    const std::string reason = score >= 1e17 ? "no overlap between them was found"
                                             : "their best overlap (" + std::to_string(overlap) +
                                                   " rows) matches too poorly to trust";
    return "the frames " + displayPath(files[kept[pair - 1]].filename()) + " and " +
           displayPath(files[kept[pair]].filename()) + " do not join " + std::string(directionName(direction)) +
           ": " + reason;
}

// What stands in the way of the output, told in the words of the file system.
std::string whyOutputNotWritten(const fs::path& outputPath) {
    const fs::path parent = outputPath.parent_path().empty() ? fs::path(".") : outputPath.parent_path();
    std::error_code ec;
    const fs::file_status st = fs::status(parent, ec);
    if (!fs::exists(st)) return "the folder " + displayPath(parent) + " does not exist";
    if (!fs::is_directory(st)) return displayPath(parent) + " is not a folder";
    if (outputPath.filename().native().size() > 255) return "its name is too long for a file name";
    const char* why = whyNotReplaced(inspectExistingFile(outputPath));
    return *why ? std::string("it ") + why : std::string();
}

// Writes the run's log unless it would land on a frame or on the output;
// returns why it was not written.
std::string writeRunLog(const fs::path& logPath, const fs::path& outputPath, const std::vector<fs::path>& frames,
                        const std::string& text) {
    std::string refused = logRefusal(logPath, outputPath, frames);
    if (refused.empty()) refused = writeWholeFile(logPath, text, true);
    return refused;
}

// The frame turned so that its content moves up, as the composer takes it.
PixelImage turnedDownward(PixelImage frame, ScrollDirection direction) {
    return direction == ScrollDirection::Right ? transposed(frame) : frame;
}

// Reads the frames one at a time into the composer, leaving out every grab
// that shows no motion against the last frame kept (as dropUnmovedFrames
// does). Returns how many were left out; `kept` receives the index of every
// frame kept.
struct FrameSize {
    int32_t width = 0;
    int32_t height = 0;
};

size_t streamFrames(const std::vector<fs::path>& files, ScrollDirection direction, StreamComposer& composer,
                    std::vector<size_t>& kept, FrameSize& size, std::string& doing) {
    int32_t& width = size.width;
    int32_t& height = size.height;
    size_t skipped = 0;
    uint64_t decoded = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        doing = "reading the frame " + displayPath(files[i]);
        PixelImage frame = loadFrame(files[i]);
        // The files may have changed since their headers were counted.
        if ((decoded += frame.byteSize()) > kMaxDecodedFramesBytes) requireFramesFit(files);
        doing = "reading the frames";
        if (i == 0) {
            width = frame.width;
            height = frame.height;
        }
        requireSizeOfFirst(frame, width, height, files[i], files[0]);
        frame = turnedDownward(std::move(frame), direction);
        doing = "stitching";
        const PixelImage& last = composer.lastFrame();
        // An animation over a page that stood still is no motion either.
        if (!kept.empty() && (framesNearlyIdentical(last, frame) || changedOnlyByAnAnimation(last, frame)) &&
            !movedByFewRows(last, frame)) {
            ++skipped;
            continue;
        }
        kept.push_back(i);
        composer.add(std::move(frame));
    }
    return skipped;
}

// A kept frame read once more, when the composer joins the frames again.
PixelImage reloadFrame(const std::vector<fs::path>& files, size_t index, FrameSize size, ScrollDirection direction) {
    PixelImage frame = loadFrame(files[index]);
    requireSizeOfFirst(frame, size.width, size.height, files[index], files[0]);
    return turnedDownward(std::move(frame), direction);
}

std::unique_ptr<FileRowStore> rowStoreBeside(const fs::path& outputPath) {
    const fs::path parent = outputPath.parent_path();
    try {
        return std::make_unique<FileRowStore>(parent.empty() ? fs::path(".") : parent);
    } catch (const std::runtime_error&) {
        const std::string why = whyOutputNotWritten(outputPath);
        throw std::runtime_error(std::string(png_messages::kOpen) + (why.empty() ? "" : ": " + why));
    }
}

}  // namespace

int runOfflineStitch(const fs::path& framesFolder, const fs::path& outputPath, const UserMessages& tell,
                     std::optional<ScrollDirection> requestedDirection) {
    // Before anything is read or written: the program's own files are not outputs.
    if (const std::string refused = ownFileRefusal(framesFolder, outputPath); !refused.empty()) {
        if (tell) tell("--stitch refused: " + refused);
        return 1;
    }
    fs::path logPath = outputPath;
    logPath += ".log.txt";
    // Kept in memory and written whole at the end: two runs on one output
    // leave one run's log, never a mixture.
    std::ostringstream logText;
    const TextLog stitchLog(&logText);
    std::vector<fs::path> files;
    std::vector<size_t> kept;
    std::string doing = "listing the frames folder " + displayPath(framesFolder);
    ScrollDirection direction = ScrollDirection::Down;
    try {
        doing = "reading the capture log " + displayPath(framesFolder / kCaptureLogFileName);
        direction = stitchDirection(framesFolder, requestedDirection, tell);
        doing = "listing the frames folder " + displayPath(framesFolder);
        files = listFrameFiles(framesFolder);
        // The output would replace a frame it is made from.
        for (const fs::path& f : files)
            if (isSameFile(outputPath, f)) throw std::runtime_error("the output " + displayPath(outputPath) + " is one of the frames");
        requireFramesFit(files);
        doing = "reading the frames";
        requireOneDeclaredSize(files);
        // The long image's rows wait beside the output, which the same folder must take anyway.
        doing = "writing the output " + displayPath(outputPath);
        const std::unique_ptr<FileRowStore> rows = rowStoreBeside(outputPath);
        FrameSize size;
        StreamComposer composer(*rows, [&](size_t i) { return reloadFrame(files, kept[i], size, direction); });
        const size_t skipped = streamFrames(files, direction, composer, kept, size, doing);
        doing = "stitching";
        stitchLog.line("frames=" + std::to_string(files.size()));
        // Nothing to join is a failure, not an empty picture.
        if (files.empty()) throw std::runtime_error("no .png frames in " + displayPath(framesFolder));
        if (direction != ScrollDirection::Down) stitchLog.line("direction=" + std::string(directionName(direction)));
        stitchLog.line("skipped=" + std::to_string(skipped));
        const StreamedImage image = composer.finish(stitchLog);

        doing = "writing the output " + displayPath(outputPath);
        try {
            saveStreamedPng(*rows, image, outputPath, direction);
        } catch (const std::runtime_error& e) {
            const std::string why = whyOutputNotWritten(outputPath);
            if (!why.empty()) throw std::runtime_error(std::string(e.what()) + ": " + why);
            throw;
        }
        const StreamedSize output = streamedSize(image, direction);
        stitchLog.line("output=" + std::to_string(output.width) + "x" + std::to_string(output.height));
    } catch (const std::exception& e) {
        std::string why = doing == "stitching" ? whyPairFailed(logText.str(), files, kept, direction) : std::string();
        if (why.empty()) why = e.what();
        stitchLog.line("exception");
        const std::string refused = writeRunLog(logPath, outputPath, files, logText.str());
        // The log holds every pair's line: point to it when it was written.
        if (refused.empty() && logText.str().find("\npair ") != std::string::npos)
            why += "; every pair is in " + displayPath(logPath);
        if (tell) tell("--stitch failed while " + doing + ": " + why);
        if (!refused.empty() && tell) tell("the log " + displayPath(logPath) + " was not written: it " + refused);
        return 1;
    }
    const std::string refused = writeRunLog(logPath, outputPath, files, logText.str());
    if (!refused.empty() && tell) tell("the log " + displayPath(logPath) + " was not written: it " + refused);
    return 0;
}

}  // namespace tf
