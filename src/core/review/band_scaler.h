#pragma once
// One band of the review's scaled cache, made from the image: each window
// pixel is the mean of the image pixels it covers when the view shrinks the
// image (a few samples a side at most, so a band of a far-out view costs no
// more than a near one), and the image pixel under it when the view enlarges.

#include <cstdint>

#include "core/review/review_view.h"

namespace tf {

// At most this many samples along each side of a window pixel are averaged.
inline constexpr int32_t kMaxSamplesPerSide = 4;

// The tile's pixel size: along the stitch by across it, turned when sideways
// (a sideways tile is windowPixels wide and acrossWindowPixels tall).
struct BandSize {
    int32_t width = 0, height = 0;
    bool operator==(const BandSize&) const = default;
};
BandSize bandSize(const CacheBand& band, bool sideways);

// The image rows the tile reads: its image positions, or across them when
// sideways.
Span64 bandSourceRows(const CacheBand& band, bool sideways, int32_t imageHeight);

// Fills `out` (bandSize pixels, row-major, no padding) from the image's
// `pixels` (width × height, row-major). The fourth byte comes out opaque.
void scaleBand(const uint32_t* pixels, int32_t width, int32_t height, const CacheBand& band, bool sideways,
               uint32_t* out);

}  // namespace tf
