#pragma once
// How far did the content move between two consecutive frames, how sure is
// that answer, and where should the two be joined?

#include <cstdint>

#include "core/stitch/side_panels.h"
#include "core/tuning.h"
#include "ground/pixel_image.h"

namespace tf {

struct MatchResult {
    int32_t overlap = 0;              // prev's last `overlap` rows equal next's first `overlap` rows
    double score = kInvalidScore;     // mismatch of that overlap; lower is better
    bool matched = false;             // overlap accepted and a seam searched
    int32_t seam = 0;                 // row of next at which next takes over from prev
    double seamScore = kInvalidScore; // visibility of the join at `seam`
    // When the overlap was taken from rows that are identical in both frames
    // (the row profiles had too little to compare): how many rows those were;
    // 0 when the profiles decided.
    int32_t identicalRows = 0;

    bool operator==(const MatchResult&) const = default;
};

MatchResult matchFrames(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                        double priorTolerance);

// The same, judged only on the content between fixed side panels: the column
// band is laid over the columns between them. Without panels it is matchFrames.
MatchResult matchFramesBetweenPanels(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                                     double priorTolerance, const SidePanels& panels);

// The join of two frames that `smallShiftRows` found moved by `shiftRows`
// (1..kSmallShiftMaxRows) rows: overlap prev.height - shiftRows with a seam
// chosen as for any accepted overlap. Not matched when the frames cannot be
// joined that way.
MatchResult matchSmallShift(const PixelImage& prev, const PixelImage& next, int32_t shiftRows,
                            const SidePanels& panels = {});

// Rows of the overlap, between the unchanged bands, that show different
// content in the two frames (as the pixel check counts them).
int32_t disagreeingOverlapRows(const PixelImage& prev, const PixelImage& next, int32_t overlap,
                               const SidePanels& panels = {});

}  // namespace tf
