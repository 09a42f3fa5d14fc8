#pragma once
// Synthetic document pages and the frames a capture of them would grab: the
// built-in checks of the self-test scroll over these with known offsets.

#include <cstdint>

#include "ground/pixel_image.h"

namespace tf {

// A white page with blocks every 92 rows from row 35: a dark heading bar, four
// lines of words and, on every fifth block from the third, a grey mark on the
// right. With `repeatedText` the blocks repeat every four, as a page with
// repeated paragraphs does. Widths above 180 only (the bar's length depends on
// width - 180); a narrower page stays white.
PixelImage makeTestPage(int32_t width, int32_t height, bool repeatedText);

// Rows top … top + height - 1 of `page` (rows past its end repeat its last
// row), optionally with a fixed header band over rows 0-33 and a 2-pixel caret
// over rows caretTop … caretTop + 23 (none when caretTop is negative).
PixelImage makeTestFrame(const PixelImage& page, int32_t top, int32_t height, bool fixedHeader, int32_t caretTop);

inline constexpr int32_t kNoCaret = -1;

}  // namespace tf
