#pragma once
// The matcher never considers a shift of fewer than 8 rows, yet the last wheel
// notch of a page often moves it by only a few. This test recognises such a
// grab, so that it counts as "the page did not move" instead of "the overlap
// was lost".

#include <cstdint>

#include "image/pixel_image.h"

namespace tf {

inline constexpr int32_t kSmallShiftMaxRows = 7;

// The number of rows (1..7) by which `next` shows `prev` moved up, or 0 when
// no such small shift explains it. Rows that stayed put at the top and the
// bottom of both frames (a fixed header or footer) are left out of the
// comparison, so they neither hide the motion nor count against it.
int32_t smallShiftRows(const PixelImage& prev, const PixelImage& next);

inline bool movedByFewRows(const PixelImage& prev, const PixelImage& next) {
    return smallShiftRows(prev, next) > 0;
}

}  // namespace tf
