#pragma once
// The frame matcher with plain scalar row profiles, candidate scores and row
// fingerprints, kept beside the benchmark as the reference that the optimised
// matchFrames must equal and beat.

#include "core/stitch/matcher_internal.h"

namespace tf::reference {

MatchResult matchFrames(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                        double priorTolerance);

MatchResult matchFramesBetweenPanels(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                                     double priorTolerance, const SidePanels& panels);

// Row fingerprints one row at a time, against the library's unrolled ones.
std::vector<uint64_t> rowHashes(const PixelImage& image, int32_t x0, int32_t x1);

}  // namespace tf::reference
