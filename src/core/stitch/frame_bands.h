#pragma once
// Private to the stitching core (the matcher, the small-shift test and their
// tests): the column band two frames are compared over, and the rows at the
// top and bottom that stayed put between them (a fixed header or footer).

#include <cstdint>

#include "core/stitch/side_panels.h"
#include "ground/pixel_image.h"

namespace tf::matcher_detail {

inline int lumaAt(const PixelImage& img, int32_t x, int32_t y) { return luma(img.at(x, y)); }

// The columns whose rows the fixed-band scans compare: [left, left + width).
struct ColumnSpan {
    int32_t left = 0;
    int32_t width = 0;
};
ColumnSpan contentSpan(const PixelImage& prev, const PixelImage& next, const SidePanels& panels);

// The columns [x0, x1) of a span that the rows are judged on: the span
// without the columns at its edges.
struct ColumnBand {
    int32_t x0 = 0;
    int32_t x1 = 0;
};
ColumnBand contentColumns(ColumnSpan span);

int32_t detectFixedTop(const PixelImage& prev, const PixelImage& next);
int32_t detectFixedBottom(const PixelImage& prev, const PixelImage& next);
int32_t detectFixedTop(const PixelImage& prev, const PixelImage& next, ColumnSpan span);
int32_t detectFixedBottom(const PixelImage& prev, const PixelImage& next, ColumnSpan span);

}  // namespace tf::matcher_detail
