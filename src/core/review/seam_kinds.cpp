#include "core/review/seam_kinds.h"

#include <algorithm>

#include "core/tuning.h"

namespace tf {

SeamKind seamKindOf(const SeamRecord& r) {
    if (r.smallShift > 0 || r.identicalRows > 0 || r.ownPanels || !r.otherNote.empty()) return SeamKind::Fallback;
    if (r.score > kConvincingScore) return SeamKind::ThinEvidence;
    if (r.panelsPastedOnce) return SeamKind::PanelsPastedOnce;
    return SeamKind::Solid;
}

std::optional<SeamKind> weakestKind(const std::vector<SeamRecord>& records) {
    std::optional<SeamKind> weakest;
    for (const SeamRecord& r : records) {
        const SeamKind k = seamKindOf(r);
        if (!weakest || k < *weakest) weakest = k;
    }
    return weakest;
}

}  // namespace tf
