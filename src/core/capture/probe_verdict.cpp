#include "core/capture/probe_verdict.h"

#include <algorithm>
#include <string>

#include "core/capture/animated_rows.h"
#include "core/capture/capture_log.h"
#include "core/capture/capture_rules.h"
#include "core/stitch/side_panels.h"
#include "core/stitch/small_shift.h"
#include "core/tuning.h"

namespace tf {
namespace {

CaptureAction movedAction(const PixelImage& last, int32_t overlap) {
    return overlap > keepScrollingOverlapLimit(last.height) ? CaptureAction::KeepScrolling
                                                            : CaptureAction::AcceptFrame;
}

}  // namespace

ProbeVerdict classifyProbe(const ProbeBasis& basis, const PixelImage& candidate) {
    const PixelImage& last = basis.last;
    const PixelImage* pending = basis.pending;
    ProbeVerdict v;
    v.stepMotion = basis.stepMotion;

    static const std::vector<uint8_t> kNoRows;
    const std::vector<uint8_t>& animated = basis.animatedRows != nullptr ? *basis.animatedRows : kNoRows;
    const bool stillVsLast = framesNearlyIdenticalOutside(last, candidate, animated);
    const bool stillVsPending = pending != nullptr && framesNearlyIdenticalOutside(*pending, candidate, animated);
    // Motion of a few rows, which the matcher cannot see and the sparse still
    // test may miss, is measured against the furthest grab of this step: it is
    // real motion (a page's last notch, or a page that moves that little with
    // every notch) and its rows must be kept.
    const PixelImage& reference = pending != nullptr ? *pending : last;
    v.smallShift = pending != nullptr && stillVsLast
                       ? 0
                       : smallShiftRows(reference, candidate, detectSidePanels(reference, candidate));
    if (v.smallShift > 0) {
        v.overlap = (pending != nullptr ? basis.pendingOverlap : last.height) - v.smallShift;
        v.score = 0.0;
        v.action = movedAction(last, v.overlap);
    } else if (stillVsLast) {
        v.action = CaptureAction::NoMotion;
    } else if (!stillVsPending && pending != nullptr && movedByFewRows(last, candidate)) {
        // Back within a few rows of the last kept frame: nothing new to keep.
        v.action = CaptureAction::NoMotion;
    } else {
        double tolerance = kPriorTolerance;
        if (basis.stepMotion > 0) {
            tolerance = kMotionPriorTolerance;
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
        v.identicalRows = result.identicalRows;
        if (stillVsPending) {
            v.action = CaptureAction::NoMotion;
        } else if (!result.matched) {
            v.action = CaptureAction::LostOverlap;
        } else {
            v.action = movedAction(last, v.overlap);
        }
    }

    if (v.action == CaptureAction::KeepScrolling || v.action == CaptureAction::AcceptFrame) {
        const int32_t m = (last.height - v.overlap) - (pending != nullptr ? last.height - basis.pendingOverlap : 0);
        if (m > 0) v.stepMotion = m;
    }
    return v;
}

void writeProbeVerdictLog(std::ostream& out, int32_t step, int32_t probe, CaptureAction action,
                          const ProbeVerdict& v) {
    writeCaptureLogProbe(out, step, probe, static_cast<int32_t>(action), v.overlap, v.score, v.expected);
    if (v.smallShift > 0) writeCaptureLogLine(out, "smallShift=" + std::to_string(v.smallShift));
    if (v.identicalRows > 0 && action != CaptureAction::NoMotion)
        writeCaptureLogLine(out, "identicalRows=" + std::to_string(v.identicalRows));
}

}  // namespace tf
