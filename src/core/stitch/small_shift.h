#pragma once
// The matcher never considers a shift of fewer than 8 rows, yet the last wheel
// notch of a page often moves it by only a few, and some pages move that little
// with every notch. This test recognises such a grab and says by how much it
// moved, so that the capture keeps it and the composer joins it row for row.

#include <cstdint>

#include "core/stitch/side_panels.h"
#include "core/tuning.h"
#include "ground/pixel_image.h"

namespace tf {

// The number of rows (1..kSmallShiftMaxRows) by which `next` shows `prev` moved up, or 0 when
// no such small shift explains it better than no shift at all. Rows that stayed put at the top and the
// bottom of both frames (a fixed header or footer) are left out of the
// comparison, so they neither hide the motion nor count against it; so are
// fixed side panels when given.
int32_t smallShiftRows(const PixelImage& prev, const PixelImage& next, const SidePanels& panels = {});

inline bool movedByFewRows(const PixelImage& prev, const PixelImage& next) {
    return smallShiftRows(prev, next) > 0;
}

}  // namespace tf
