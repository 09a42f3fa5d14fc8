#pragma once
// The verdict on one settled grab: did the page stand still, move a little,
// move far enough to keep the grab, or lose its overlap with the last kept
// frame? Both capture loops judge their grabs with this one function, so that
// the same motion keeps the same frames whether the program scrolls or the
// person does.

#include <cstdint>
#include <ostream>
#include <vector>

#include "core/capture/capture_host.h"
#include "ground/pixel_image.h"
#include "core/stitch/matcher.h"

namespace tf {

// What a grab is judged against: the frame kept last, the step's pending frame
// (the furthest grab that moved but not yet far enough) and the motion
// measured so far.
struct ProbeBasis {
    const PixelImage& last;
    const PixelImage* pending = nullptr;  // null while the step has none
    int32_t pendingOverlap = 0;           // the pending frame's overlap with `last`
    int32_t stepMotion = 0;               // rows one probe moved last time; 0 until measured
    // Rows of an animation (1 per row), left out of the still tests; null or
    // empty when there is none.
    const std::vector<uint8_t>* animatedRows = nullptr;
};

struct ProbeVerdict {
    CaptureAction action = CaptureAction::NoMotion;
    int32_t overlap = 0;           // overlap with `last`; 0 when nothing was measured
    double score = kInvalidScore;  // the matcher's score of that overlap (0 for a small shift)
    int32_t expected = 0;          // the overlap the matcher was told to expect (0: none)
    int32_t stepMotion = 0;        // the basis's stepMotion after this grab's motion was measured
    int32_t smallShift = 0;        // 1..7: the grab moved that few rows past the furthest grab
    int32_t identicalRows = 0;     // rows of the matched overlap that agree exactly
};

// The verdict on a grab that has settled:
// - a shift of 1-7 rows past the furthest grab of the step (the pending frame,
//   else `last`), which the matcher cannot see, is motion: KeepScrolling or
//   AcceptFrame with the overlap that shift leaves;
// - NoMotion when it equals `last` or the pending frame, or lies within a few
//   rows of `last` while a pending frame is further;
// - otherwise the matcher decides: LostOverlap when it finds no overlap below
//   `last`, KeepScrolling while the overlap is above 65 % of the frame's
//   height, AcceptFrame below.
// A grab that moved also updates the step motion.
ProbeVerdict classifyProbe(const ProbeBasis& basis, const PixelImage& candidate);

// The capture log's probe line for a verdict, with the action taken (which a
// manual capture may overrule), followed by its "smallShift=" and
// "identicalRows=" lines when they apply.
void writeProbeVerdictLog(std::ostream& out, int32_t step, int32_t probe, CaptureAction action,
                          const ProbeVerdict& v);

}  // namespace tf
