#include "core/capture/capture_log.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cwchar>
#include <system_error>

#include "ground/text_log.h"
#include "ground/utf8.h"
#include "core/image/png_codec.h"

namespace tf {

std::wstring localTimestamp() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    wchar_t buffer[64];
    std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"%04u%02u%02u-%02u%02u%02u",
                  static_cast<unsigned>(local.tm_year + 1900), static_cast<unsigned>(local.tm_mon + 1),
                  static_cast<unsigned>(local.tm_mday), static_cast<unsigned>(local.tm_hour),
                  static_cast<unsigned>(local.tm_min), static_cast<unsigned>(local.tm_sec));
    return buffer;
}

uint64_t captureLogTickCount() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

std::filesystem::path createCaptureLogFolderIn(const std::filesystem::path& root, uint64_t tick) {
    try {
        std::error_code ec;
        std::filesystem::create_directories(root, ec);
        if (ec) return {};
        const std::wstring stamp = localTimestamp() + L"-";
        // A folder that exists already belongs to another capture of the same
        // millisecond: its dumps must not be overwritten.
        for (int attempt = 0; attempt < 1000; ++attempt) {
            const std::filesystem::path folder = root / (stamp + std::to_wstring(tick + attempt));
            if (std::filesystem::create_directory(folder, ec)) return folder;
            if (ec) return {};
        }
    } catch (...) {
    }
    return {};
}

std::filesystem::path createCaptureLogFolder(bool loggingEnabled, const std::filesystem::path& programFolder) {
    if (!loggingEnabled) return {};
    try {
        if (programFolder.empty()) return {};
        return createCaptureLogFolderIn(programFolder / "tally_frame_log", captureLogTickCount());
    } catch (...) {
        return {};
    }
}

std::string frameDumpName(int32_t sequence, const char* label) {
    char buffer[96];
    const int n = std::snprintf(buffer, sizeof buffer, "%04d-%s.png", static_cast<int>(sequence), label);
    return n < 0 ? std::string() : std::string(buffer);
}

void dumpFrame(FrameDumper& dumper, const char* label, const PixelImage& image) {
    if (!dumper.folder.empty()) {
        try {
            savePng(image, dumper.folder / frameDumpName(dumper.sequence, label));
        } catch (...) {
            // A dump that cannot be written is skipped; the capture goes on.
        }
    }
    ++dumper.sequence;
}

std::string formatScore(double score) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", score);
    return buffer;
}

void writeCaptureLogHeader(std::ostream& out, uint32_t wheelScrollLines, int32_t wheelDelta, ScrollMethod method,
                           ScrollDirection direction) {
    if (!out) return;
    writeTextLine(out, "wheelScrollLines=" + std::to_string(wheelScrollLines) + " wheelDelta=" +
                           std::to_string(wheelDelta) + " scrollMethod=" + std::string(scrollMethodName(method)) +
                           captureLogDirectionField(direction));
}

std::string captureLogDirectionField(ScrollDirection direction) {
    if (direction == ScrollDirection::Down) return {};
    return " direction=" + std::string(directionName(direction));
}

std::optional<ScrollDirection> captureLogHeaderDirection(std::string_view headerLine) {
    constexpr std::string_view kKey = "direction=";
    // A line read from the file may still carry its CR LF.
    while (!headerLine.empty() && (headerLine.back() == '\r' || headerLine.back() == '\n')) headerLine.remove_suffix(1);
    while (!headerLine.empty()) {
        const size_t end = std::min(headerLine.find(' '), headerLine.size());
        const std::string_view field = headerLine.substr(0, end);
        if (field.substr(0, kKey.size()) == kKey) return directionFromName(field.substr(kKey.size()));
        headerLine.remove_prefix(std::min(end + 1, headerLine.size()));
    }
    return ScrollDirection::Down;
}

namespace {

using HeaderVerdict = CaptureLogHeaderReading::Verdict;

CaptureLogHeaderReading headerVerdict(HeaderVerdict verdict, std::string why) {
    CaptureLogHeaderReading r;
    r.verdict = verdict;
    r.why = std::move(why);
    return r;
}

bool startsWithNumberedField(std::string_view line, std::string_view key) {
    if (line.substr(0, key.size()) != key || line.size() == key.size()) return false;
    const char c = line[key.size()];
    return c >= '0' && c <= '9';
}

}  // namespace

CaptureLogHeaderReading readCaptureLogHeader(std::string_view start, bool complete) {
    if (start.size() > kCaptureLogHeaderBytes) {
        start = start.substr(0, kCaptureLogHeaderBytes);
        complete = false;
    }
    if (start.empty()) return headerVerdict(HeaderVerdict::NotCaptureLog, "is empty");
    if (start.substr(0, 2) == "\xFF\xFE" || start.substr(0, 2) == "\xFE\xFF")
        return headerVerdict(HeaderVerdict::NotCaptureLog, "is UTF-16 text, and a capture log is single-byte text");
    if (start.substr(0, 3) == "\xEF\xBB\xBF") start.remove_prefix(3);
    const size_t end = start.find('\n');
    if (end == std::string_view::npos && !complete)
        return headerVerdict(HeaderVerdict::NotCaptureLog, "has a first line longer than any capture log header (" +
                                                               std::to_string(kCaptureLogHeaderBytes) + " bytes)");
    std::string_view line = start.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos)
        return headerVerdict(HeaderVerdict::NotCaptureLog, "holds NUL bytes, and a capture log is text");
    if (!startsWithNumberedField(line, "wheelScrollLines="))
        return headerVerdict(HeaderVerdict::NotCaptureLog,
                             "does not begin with \"wheelScrollLines=\" and a number, as a capture log does");
    constexpr std::string_view kKey = "direction=";
    std::optional<std::string_view> named;
    for (std::string_view rest = line; !rest.empty();) {
        const size_t cut = std::min(rest.find(' '), rest.size());
        const std::string_view field = rest.substr(0, cut);
        rest.remove_prefix(std::min(cut + 1, rest.size()));
        if (field.substr(0, kKey.size()) != kKey) continue;
        const std::string_view value = field.substr(kKey.size());
        if (named && *named != value)
            return headerVerdict(HeaderVerdict::Refused, "records two directions in its header, " + std::string(*named) +
                                                             " and " + std::string(value));
        named = value;
    }
    CaptureLogHeaderReading r;
    r.verdict = HeaderVerdict::Header;
    if (!named) return r;
    const std::optional<ScrollDirection> direction = directionFromName(*named);
    if (!direction)
        return headerVerdict(HeaderVerdict::Refused, "names a direction this program does not know in its header");
    r.direction = *direction;
    return r;
}

void writeCaptureLogProbe(std::ostream& out, int32_t step, int32_t probe, int32_t action, int32_t overlap,
                          double score, int32_t expected) {
    if (!out) return;
    writeTextLine(out, "acceptedFrame=" + std::to_string(step) + " probe=" + std::to_string(probe) +
                           " action=" + std::to_string(action) + " overlap=" + std::to_string(overlap) +
                           " score=" + formatScore(score) + " prior=" + std::to_string(expected));
}

void writeCaptureLogLine(std::ostream& out, const std::string& line) {
    if (!out) return;
    writeTextLine(out, line);
}

void writeCaptureLogSummary(std::ostream& out, size_t acceptedFrames, bool reachedEnd, bool finishRequested,
                            const std::wstring& errorText) {
    if (!out) return;
    writeTextLine(out, "acceptedFrames=" + std::to_string(acceptedFrames) +
                           " reachedEnd=" + (reachedEnd ? "1" : "0") +
                           " finishRequested=" + (finishRequested ? "1" : "0") + " error=" + utf8FromWide(errorText));
}

}  // namespace tf
