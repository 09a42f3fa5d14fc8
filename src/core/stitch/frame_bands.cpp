#include "core/stitch/frame_bands.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/tuning.h"

namespace tf::matcher_detail {
namespace {

// One scan for both fixed-band detectors: rowOf(r) names the row compared at step r.
template <typename RowOf>
int32_t scanFixedBand(const PixelImage& prev, const PixelImage& next, ColumnSpan span, int32_t rowsToExamine,
                      RowOf rowOf) {
    if (rowsToExamine <= 0) return 0;
    const int32_t W = span.width;
    const int32_t step = std::max(W / 100, 1);
    const int32_t xEnd = span.left + W - W / 10;
    int32_t fixed = 0;
    for (int32_t r = 0; r < rowsToExamine; ++r) {
        const int32_t y = rowOf(r);
        int64_t sum = 0;
        int64_t count = 0;
        for (int32_t x = span.left + W / 10; x < xEnd; x += step) {
            sum += std::abs(lumaAt(prev, x, y) - lumaAt(next, x, y));
            ++count;
        }
        const bool unchanged = count > 0 && static_cast<double>(sum) / static_cast<double>(count) <= kUnchangedMeanLuma;
        if (unchanged) {
            fixed = r + 1;
        } else if (r > 24) {
            // A few leading rows (a blinking toolbar detail) may differ without ending the band.
            break;
        }
    }
    return fixed;
}

int32_t roundHalfAway(double v) { return static_cast<int32_t>(std::round(v)); }

}  // namespace

ColumnSpan contentSpan(const PixelImage& prev, const PixelImage& next, const SidePanels& panels) {
    const int32_t W = std::min(prev.width, next.width);
    const int32_t left = std::clamp(panels.left, 0, W);
    const int32_t right = std::clamp(panels.right, 0, W - left);
    // Panels that leave fewer than two columns of content are no panels.
    if (W - left - right < 2) return {0, W};
    return {left, W - left - right};
}

ColumnBand contentColumns(ColumnSpan span) {
    const int32_t bw = span.width;
    const int32_t x0 = std::min(std::max(roundHalfAway(bw * kContentBandLeftShare), 0), bw - 2);
    return {span.left + x0, span.left + std::max(x0 + 1, std::min(roundHalfAway(bw * kContentBandRightShare), bw))};
}

int32_t detectFixedTop(const PixelImage& prev, const PixelImage& next, ColumnSpan span) {
    const int32_t H = std::min(prev.height, next.height);
    return scanFixedBand(prev, next, span, std::min(H / 3, 160), [](int32_t r) { return r; });
}

int32_t detectFixedBottom(const PixelImage& prev, const PixelImage& next, ColumnSpan span) {
    const int32_t H = std::min(prev.height, next.height);
    return scanFixedBand(prev, next, span, std::min(H / 4, 140), [H](int32_t r) { return H - 1 - r; });
}

int32_t detectFixedTop(const PixelImage& prev, const PixelImage& next) {
    return detectFixedTop(prev, next, ColumnSpan{0, std::min(prev.width, next.width)});
}

int32_t detectFixedBottom(const PixelImage& prev, const PixelImage& next) {
    return detectFixedBottom(prev, next, ColumnSpan{0, std::min(prev.width, next.width)});
}

}  // namespace tf::matcher_detail
