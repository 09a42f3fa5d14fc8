#pragma once
// How sure the stitch was of each join, in a few kinds ordered from the
// weakest to the strongest, so that a person reviewing the image looks at the
// doubtful joins first. The kind is read from the record of what the stitch
// decided for the pair, never judged from the pixels.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/stitch/seam_record.h"

namespace tf {

enum class SeamKind : int32_t {
    // Decided by a rule other than the profile match: a shift too small for the
    // matcher, rows identical in both frames where the profiles had too little
    // to compare, the pair's own side panels where the capture's refused it, or
    // any other decision the stitch noted for the pair.
    Fallback = 0,
    // Matched by the row profiles, but with a score the matcher does not call
    // convincing (accepted only after the pixels showed nothing better).
    ThinEvidence = 1,
    // Matched convincingly on the content between fixed side panels, which the
    // image shows once, from the first frame: the panels hold no join here.
    PanelsPastedOnce = 2,
    // Matched convincingly over the agreeing rows of the overlap.
    Solid = 3,
};

inline constexpr int32_t kSeamKindCount = 4;

SeamKind seamKindOf(const SeamRecord& record);

// The weakest kind among the records, nullopt when there are none.
std::optional<SeamKind> weakestKind(const std::vector<SeamRecord>& records);

}  // namespace tf
