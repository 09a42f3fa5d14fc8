#pragma once
// The capture log: with capture logging on, each capture leaves a folder
// beside the executable holding a probe-by-probe log and every grab as PNG.
// Nothing here ever stops or fails a capture.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/capture/scroll_method.h"
#include "ground/pixel_image.h"
#include "ground/scroll_direction.h"

namespace tf {

// Local time as "YYYYMMDD-hhmmss" (15 characters for years 1000-9999).
std::wstring localTimestamp();

// Milliseconds of a monotonic clock; part of the log folder's name.
uint64_t captureLogTickCount();

// The folder of one logged capture, made with its missing parents; empty when
// capture logging is off or the folder could not be made.
// `programFolder` is the executable's folder (executableFolder()).
std::filesystem::path createCaptureLogFolder(bool loggingEnabled, const std::filesystem::path& programFolder);

// The work of createCaptureLogFolder below an explicit root ("tally_frame_log")
// and tick count: root / (timestamp + "-" + tick). If that folder exists
// already (two captures within one millisecond), the number is counted up
// until a fresh folder is made, so that two captures never share dumps.
std::filesystem::path createCaptureLogFolderIn(const std::filesystem::path& root, uint64_t tick);

// One per capture: where the grabs are dumped (empty: nowhere) and the number
// of the next grab.
struct FrameDumper {
    std::filesystem::path folder;
    int32_t sequence = 0;
};

// "%04d-%s.png": 0000-initial.png, 0001-candidate.png, … 10000-settle.png.
std::string frameDumpName(int32_t sequence, const char* label);

// Writes `image` into the dumper's folder (when it has one) under the next
// name, swallowing any failure; the sequence number advances either way.
void dumpFrame(FrameDumper& dumper, const char* label, const PixelImage& image);

// One grab of a capture: `grab()` returns the pixels ("initial", "candidate"
// or "settle" as label), which are dumped before they are returned.
template <class Grab>
PixelImage grabFrame(FrameDumper& dumper, const char* label, Grab&& grab) {
    PixelImage image = std::forward<Grab>(grab)();
    dumpFrame(dumper, label, image);
    return image;
}

// The log's name in the folder of a logged capture.
inline constexpr const char* kCaptureLogFileName = "capture.log.txt";

// The three line kinds of "capture.log.txt", each written as one CR LF line
// while the stream is still good (a log that could not be opened stays silent).

// "wheelScrollLines=3 wheelDelta=-120 scrollMethod=wheel", then the direction
// field when the capture scrolled sideways. The method is the one that moved
// the picture ("none" when nothing did), so the header is written once the
// capture has ended.
void writeCaptureLogHeader(std::ostream& out, uint32_t wheelScrollLines, int32_t wheelDelta, ScrollMethod method,
                           ScrollDirection direction = ScrollDirection::Down);

// The header's last field: " direction=right" for a sideways capture, nothing
// for a downward one, so that downward logs read as they always did.
std::string captureLogDirectionField(ScrollDirection direction);

// The direction a header line records, its fields taken in any order and
// those it does not know skipped: down when it has no direction field (the
// logs of downward captures), nullopt when it names a direction this program
// does not know.
std::optional<ScrollDirection> captureLogHeaderDirection(std::string_view headerLine);

// What the start of a file named like the capture log says, judged before a
// stitch trusts it: a header of a capture log, something that is no capture
// log (ignored), or a header that contradicts itself (refused).
struct CaptureLogHeaderReading {
    enum class Verdict { Header, NotCaptureLog, Refused };
    Verdict verdict = Verdict::NotCaptureLog;
    ScrollDirection direction = ScrollDirection::Down;  // Header
    std::string why;  // NotCaptureLog, Refused: the end of a sentence about the file ("is empty")
};

// `start` is the file's first bytes; `complete` tells whether they are the
// whole file. A capture log is single-byte text whose first line begins with
// "wheelScrollLines=" and a number; a UTF-8 byte-order mark before it is
// skipped. Only the first kCaptureLogHeaderBytes are looked at.
CaptureLogHeaderReading readCaptureLogHeader(std::string_view start, bool complete);
inline constexpr size_t kCaptureLogHeaderBytes = 4096;
// Far above any capture's log (1,000 frames of probe lines take some 1 MB).
inline constexpr uint64_t kMaxCaptureLogBytes = uint64_t{16} << 20;

// "acceptedFrame=1 probe=0 action=2 overlap=612 score=0.412 prior=0"
void writeCaptureLogProbe(std::ostream& out, int32_t step, int32_t probe, int32_t action, int32_t overlap,
                          double score, int32_t expected);

// A decision of the probe just logged that its line cannot show, as key=value
// words: "smallShift=3" (the grab moved by 3 rows, fewer than the matcher
// measures), "identicalRows=46" (the overlap was found on identical rows).
void writeCaptureLogLine(std::ostream& out, const std::string& line);

// "acceptedFrames=2 reachedEnd=1 finishRequested=0 error=" + text; a text
// beyond ASCII is written as UTF-8.
void writeCaptureLogSummary(std::ostream& out, size_t acceptedFrames, bool reachedEnd, bool finishRequested,
                            const std::wstring& errorText);

// "%g": six significant digits, the shorter of fixed and exponential notation.
std::string formatScore(double score);


}  // namespace tf
