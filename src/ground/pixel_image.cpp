#include "ground/pixel_image.h"

#include <algorithm>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TF_TRANSPOSE_SSE2 1
#endif

namespace tf {
namespace {

// Square tiles small enough that a tile of the source and one of the result
// stay in the first-level cache together: 32 × 32 pixels are 4 KiB each. A
// plain row-by-column walk would touch a new cache line (and, on a wide image,
// a new page) for every pixel written.
constexpr int32_t kTransposeTile = 32;

void transposeTile(const uint32_t* src, size_t srcPitch, uint32_t* dst, size_t dstPitch, int32_t rows,
                   int32_t cols) {
#ifdef TF_TRANSPOSE_SSE2
    // Whole 4 × 4 squares with four loads, eight unpacks and four stores;
    // only the ragged edge of a tile goes pixel by pixel.
    if (rows == kTransposeTile && cols == kTransposeTile) {
        for (int32_t y = 0; y < rows; y += 4)
            for (int32_t x = 0; x < cols; x += 4) {
                const uint32_t* in = src + static_cast<size_t>(y) * srcPitch + static_cast<size_t>(x);
                const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
                const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + srcPitch));
                const __m128i r2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * srcPitch));
                const __m128i r3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * srcPitch));
                const __m128i t0 = _mm_unpacklo_epi32(r0, r1), t1 = _mm_unpacklo_epi32(r2, r3);
                const __m128i t2 = _mm_unpackhi_epi32(r0, r1), t3 = _mm_unpackhi_epi32(r2, r3);
                uint32_t* out = dst + static_cast<size_t>(x) * dstPitch + static_cast<size_t>(y);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi64(t0, t1));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + dstPitch), _mm_unpackhi_epi64(t0, t1));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * dstPitch), _mm_unpacklo_epi64(t2, t3));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * dstPitch), _mm_unpackhi_epi64(t2, t3));
            }
        return;
    }
#endif
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
