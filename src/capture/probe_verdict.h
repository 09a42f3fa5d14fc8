#pragma once
// The verdict on one settled grab: did the page stand still, move a little,
// move far enough to keep the grab, or lose its overlap with the last kept
// frame? Both capture loops judge their grabs with this one function, so that
// the same motion keeps the same frames whether the program scrolls or the
// person does.

#include <cstdint>

#include "capture/capture_controller.h"
#include "image/pixel_image.h"
#include "stitch/matcher.h"

namespace tf {

// What a grab is judged against: the frame kept last, the step's pending frame
// (the furthest grab that moved but not yet far enough) and the motion
// measured so far.
struct ProbeBasis {
    const PixelImage& last;
    const PixelImage* pending = nullptr;  // null while the step has none
    int32_t pendingOverlap = 0;           // the pending frame's overlap with `last`
    int32_t stepMotion = 0;               // rows one probe moved last time; 0 until measured
};

struct ProbeVerdict {
    CaptureAction action = CaptureAction::NoMotion;
    int32_t overlap = 0;           // matched overlap with `last`; 0 when the matcher was not asked
    double score = kInvalidScore;  // the matcher's score of that overlap
    int32_t expected = 0;          // the overlap the matcher was told to expect (0: none)
    int32_t stepMotion = 0;        // the basis's stepMotion after this grab's motion was measured
};

// The verdict on a grab that has settled: NoMotion when it equals the last
// kept or the pending frame (or moved by fewer rows than the matcher can see),
// LostOverlap when the matcher finds no overlap of it below `last`,
// KeepScrolling while that overlap is above 65 % of the frame's height,
// AcceptFrame otherwise. A grab that moved also updates the step motion.
ProbeVerdict classifyProbe(const ProbeBasis& basis, const PixelImage& candidate);

}  // namespace tf
