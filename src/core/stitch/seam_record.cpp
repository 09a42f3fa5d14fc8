#include "core/stitch/seam_record.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tf {
namespace {

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

template <typename Int>
bool readInt(std::string_view text, Int& out) {
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && at == end;
}

// The four numbers of a pair line, in the composer's own format.
bool readPairNumbers(std::string_view rest, SeamRecord& r) {
    const std::string text(rest);
    int overlap = 0, seam = 0, consumed = 0;
    double score = 0.0, seamScore = 0.0;
    if (std::sscanf(text.c_str(), "overlap=%d score=%lf seam=%d seamScore=%lf%n", &overlap, &score, &seam, &seamScore,
                    &consumed) != 4 ||
        static_cast<size_t>(consumed) != text.size())
        return false;
    r.overlap = overlap;
    r.score = score;
    r.seam = seam;
    r.seamScore = seamScore;
    return true;
}

void readNote(std::string_view note, SeamRecord& r) {
    const size_t eq = note.find('=');
    const std::string_view key = note.substr(0, eq), value = eq == std::string_view::npos ? "" : note.substr(eq + 1);
    if (key == "identicalRows" && readInt(value, r.identicalRows)) return;
    if (key == "smallShift" && readInt(value, r.smallShift)) return;
    if (key == "ownPanels") {
        r.ownPanels = true;
        return;
    }
    // A decision this reader does not know is still a decision beyond the match.
    if (!r.otherNote.empty()) r.otherNote += ' ';
    r.otherNote += note;
}

}  // namespace

bool readPairLine(std::string_view line, std::vector<SeamRecord>& records) {
    if (!startsWith(line, "pair ")) return false;
    line.remove_prefix(5);
    const size_t space = line.find(' ');
    size_t pair = 0;
    if (space == std::string_view::npos || !readInt(line.substr(0, space), pair) || pair == 0) return false;
    const std::string_view rest = line.substr(space + 1);
    if (rest.empty() || startsWith(rest, "failed")) return false;
    SeamRecord fresh;
    fresh.pair = pair;
    // The notes of a pair precede its pair line, so the open record is the last one.
    const bool open = !records.empty() && records.back().pair == pair;
    SeamRecord& r = open ? records.back() : fresh;
    if (startsWith(rest, "overlap=")) {
        if (!readPairNumbers(rest, r)) return false;
    } else {
        readNote(rest, r);
    }
    if (!open) records.push_back(std::move(fresh));
    return true;
}

int64_t seamOutputRow(int64_t offset, int32_t seam, int32_t overlap, int32_t frameHeight) {
    const int32_t upper = std::min(frameHeight - 1, overlap - 1);
    return offset + (upper < seam ? upper : std::max(seam, 1));
}

namespace {

struct LogTotals {
    long long frames = -1, skipped = -1;
    bool panels = false, output = false, failed = false;
};

void readRunLine(std::string_view line, LogTotals& t, LoggedSeams& out) {
    if (startsWith(line, "frames=")) {
        if (!readInt(line.substr(7), t.frames)) t.failed = true;
    } else if (startsWith(line, "skipped=")) {
        if (!readInt(line.substr(8), t.skipped)) t.failed = true;
    } else if (line == "direction=right") {
        out.direction = ScrollDirection::Right;
    } else if (startsWith(line, "panels=")) {
        t.panels = true;
    } else if (startsWith(line, "output=")) {
        const std::string_view size = line.substr(7);
        const size_t x = size.find('x');
        t.output = x != std::string_view::npos && readInt(size.substr(0, x), out.width) &&
                   readInt(size.substr(x + 1), out.height);
        if (!t.output) t.failed = true;
    } else if (line == "exception" || startsWith(line, "pair ")) {
        t.failed = true;  // a pair line no record took is a failed pair
    }
}

// Places every record along an image of `length` rows made of `frames` frames of one size.
bool placeSeams(LoggedSeams& out, long long frames, int64_t length) {
    if (frames < 1 || out.seams.size() != static_cast<size_t>(frames - 1)) return false;
    int64_t overlaps = 0;
    for (size_t i = 0; i < out.seams.size(); ++i) {
        if (out.seams[i].pair != i + 1) return false;
        overlaps += out.seams[i].overlap;
    }
    if ((length + overlaps) % frames != 0) return false;
    const int64_t h = (length + overlaps) / frames;
    if (h < 1 || h > INT32_MAX) return false;
    out.frameLength = static_cast<int32_t>(h);
    int64_t offset = 0;
    for (SeamRecord& r : out.seams) {
        if (r.overlap < 1 || r.overlap >= h) return false;
        offset += h - r.overlap;
        r.outputRow = seamOutputRow(offset, r.seam, r.overlap, out.frameLength);
        if (r.outputRow <= 0 || r.outputRow >= length) return false;
    }
    return true;
}

}  // namespace

std::optional<LoggedSeams> seamsFromStitchLog(std::string_view logText) {
    LoggedSeams out;
    LogTotals totals;
    while (!logText.empty()) {
        const size_t end = logText.find('\n');
        std::string_view line = logText.substr(0, end);
        logText.remove_prefix(end == std::string_view::npos ? logText.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!readPairLine(line, out.seams)) readRunLine(line, totals, out);
    }
    if (totals.failed || !totals.output || totals.frames < 0 || totals.skipped < 0) return std::nullopt;
    for (SeamRecord& r : out.seams) r.panelsPastedOnce = totals.panels;
    const int64_t length = out.direction == ScrollDirection::Right ? out.width : out.height;
    if (!placeSeams(out, totals.frames - totals.skipped, length)) return std::nullopt;
    return out;
}

}  // namespace tf
