#include "ground/pixel_image.h"

#include <algorithm>

namespace tf {
namespace {

// Square tiles small enough that a tile of the source and one of the result
// stay in the first-level cache together: 32 × 32 pixels are 4 KiB each. A
// plain row-by-column walk would touch a new cache line (and, on a wide image,
// a new page) for every pixel written.
constexpr int32_t kTransposeTile = 32;

void transposeTile(const uint32_t* src, size_t srcPitch, uint32_t* dst, size_t dstPitch, int32_t rows,
                   int32_t cols) {
    for (int32_t x = 0; x < cols; ++x) {
        uint32_t* out = dst + static_cast<size_t>(x) * dstPitch;
        const uint32_t* in = src + x;
        for (int32_t y = 0; y < rows; ++y) out[y] = in[static_cast<size_t>(y) * srcPitch];
    }
}

}  // namespace

void transposeBlock(const uint32_t* src, size_t srcPitch, uint32_t* dst, size_t dstPitch, int32_t rows,
                    int32_t cols) {
    for (int32_t y0 = 0; y0 < rows; y0 += kTransposeTile) {
        const int32_t tileRows = std::min(kTransposeTile, rows - y0);
        for (int32_t x0 = 0; x0 < cols; x0 += kTransposeTile) {
            const int32_t tileCols = std::min(kTransposeTile, cols - x0);
            transposeTile(src + static_cast<size_t>(y0) * srcPitch + static_cast<size_t>(x0), srcPitch,
                          dst + static_cast<size_t>(x0) * dstPitch + static_cast<size_t>(y0), dstPitch, tileRows,
                          tileCols);
        }
    }
}

PixelImage transposed(const PixelImage& image) {
    if (image.empty()) return PixelImage{};
    PixelImage out(image.height, image.width);
    transposeBlock(image.pixels.data(), static_cast<size_t>(image.width), out.pixels.data(),
                   static_cast<size_t>(image.height), image.height, image.width);
    return out;
}

}  // namespace tf
