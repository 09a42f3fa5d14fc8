#pragma once
// A plain scalar transcription of the frame matcher, kept beside the benchmark
// as the reference that the optimised matchFrames must equal and beat.

#include "stitch/matcher.h"

namespace tf::reference {

MatchResult matchFrames(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                        double priorTolerance);

MatchResult matchFramesBetweenPanels(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                                     double priorTolerance, const SidePanels& panels);

}  // namespace tf::reference
