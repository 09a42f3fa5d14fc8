#pragma once
// One record per join of a stitched image: which pair, where in the image,
// and what decided it. A record holds exactly what the pair's stitch-log lines
// say (the scores with their two logged decimals), so that the records a
// capture hands over and those read back from an offline stitch's log are the
// same; nothing in them is judged again from pixels.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ground/scroll_direction.h"

namespace tf {

struct SeamRecord {
    size_t pair = 0;         // joins frames pair - 1 and pair (0-based), as the log numbers it
    int64_t outputRow = 0;   // first row of the image the later frame gives; a column when sideways
    int32_t overlap = 0;
    int32_t seam = 0;        // row of the later frame the matcher chose to join at, before clamping
    double score = 0.0;      // the overlap's profile mismatch, lower is better
    double seamScore = 0.0;  // how visible the join is, lower is better
    // Decisions beyond the profile match, 0 / false / empty when none was taken.
    int32_t identicalRows = 0;  // the overlap was placed by this many identical rows
    int32_t smallShift = 0;     // joined by a shift too small for the matcher
    bool ownPanels = false;     // the capture's side panels refused the pair; its own were used
    std::string otherNote;      // a note of a decision this reader has no field for ("key=value")
    bool panelsPastedOnce = false;  // the capture has side panels: matched between them, pasted once

    bool operator==(const SeamRecord&) const = default;
};

// Folds one line of a stitch log into `records`: a pair's notes (written ahead
// of its pair line) open or extend that pair's record, its pair line completes
// it. Other lines are left alone. Returns whether the line belonged to a pair.
bool readPairLine(std::string_view line, std::vector<SeamRecord>& records);

// The records of a stitch log, their rows rebuilt from what the log says.
struct LoggedSeams {
    ScrollDirection direction = ScrollDirection::Down;
    int32_t width = 0;   // the output's size, as its "output=" line says
    int32_t height = 0;
    int32_t frameLength = 0;  // rows of every frame along the stitch (columns when sideways)
    std::vector<SeamRecord> seams;
};

// The records of an offline stitch's log (`<output>.log.txt`, CR LF or LF
// lines). A log keeps every pair's overlap and seam but no frame sizes: the
// rows are rebuilt on the rule of every capture, frames of one size, which
// the output's length then gives. nullopt for the log of a failed run, and
// for one whose numbers fit no such frames (they were of different sizes).
std::optional<LoggedSeams> seamsFromStitchLog(std::string_view logText);

// The image row at which a pair's later frame, placed at `offset`, takes over:
// the logged seam clamped into the overlap as composing clamps it.
int64_t seamOutputRow(int64_t offset, int32_t seam, int32_t overlap, int32_t frameHeight);

}  // namespace tf
