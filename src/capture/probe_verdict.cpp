#include "capture/probe_verdict.h"

#include <algorithm>

#include "capture/capture_rules.h"
#include "stitch/side_panels.h"
#include "stitch/small_shift.h"

namespace tf {

ProbeVerdict classifyProbe(const ProbeBasis& basis, const PixelImage& candidate) {
    const PixelImage& last = basis.last;
    const PixelImage* pending = basis.pending;
    ProbeVerdict v;
    v.stepMotion = basis.stepMotion;

    const bool stillVsLast = framesNearlyIdentical(last, candidate);
    const bool stillVsPending = pending != nullptr && framesNearlyIdentical(*pending, candidate);
    if (stillVsLast) {
        v.action = CaptureAction::NoMotion;
    } else if (!stillVsPending &&
               (movedByFewRows(last, candidate) || (pending != nullptr && movedByFewRows(*pending, candidate)))) {
        // The matcher cannot see shifts under 8 rows: such a grab is the
        // page's last twitch, not a lost overlap.
        v.action = CaptureAction::NoMotion;
    } else {
        double tolerance = 0.7;
        if (basis.stepMotion > 0) {
            tolerance = 1.5;
            // One more probe's worth of motion beyond the pending frame (or a whole frame).
            const int32_t base = pending != nullptr ? basis.pendingOverlap : last.height;
            if (last.height > 1 && base > 0)
                v.expected = std::min(std::max(base - basis.stepMotion, 1), last.height - 1);
        }
        // A side panel that stays put (a table of contents) is left out of the comparison.
        const MatchResult result = matchFramesBetweenPanels(last, candidate, v.expected, tolerance,
                                                            detectSidePanels(last, candidate));
        v.overlap = result.overlap;
        v.score = result.score;
        if (stillVsPending) {
            v.action = CaptureAction::NoMotion;
        } else if (!result.matched) {
            v.action = CaptureAction::LostOverlap;
        } else if (v.overlap > keepScrollingOverlapLimit(last.height)) {
            v.action = CaptureAction::KeepScrolling;
        } else {
            v.action = CaptureAction::AcceptFrame;
        }
    }

    if (v.action == CaptureAction::KeepScrolling || v.action == CaptureAction::AcceptFrame) {
        const int32_t m = (last.height - v.overlap) - (pending != nullptr ? last.height - basis.pendingOverlap : 0);
        if (m > 0) v.stepMotion = m;
    }
    return v;
}

}  // namespace tf
