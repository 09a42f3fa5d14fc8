// Row profiles: per row, the mean darkness (ink) and the mean vertical edge
// strength of 24 column bins, from every second pixel of the column band.

#include <algorithm>

#include <immintrin.h>

#include "core/stitch/matcher_internal.h"

namespace tf::matcher_detail {
namespace {

// Luma of every second pixel from row[0]: out[i] = luma(row[2 i]) for i < samples,
// eight at a time with SSE2 (x86-64's baseline) and the same integer arithmetic:
// the weighted sum, then / 1000 as (sum / 8) / 125 by a multiply-high that is
// exact for every sum up to 255 000.
void sampledLuma(const uint32_t* row, int32_t columns, int32_t samples, uint8_t* out) {
    const __m128i weights = _mm_setr_epi16(114, 587, 299, 0, 114, 587, 299, 0);
    const __m128i zero = _mm_setzero_si128();
    const __m128i by125 = _mm_set1_epi16(static_cast<short>(33555));
    auto lumaSums = [&](__m128i p0, __m128i p1) {
        // Pixels 0, 2, 4, 6 of the eight, as 32-bit lanes.
        const __m128i even =
            _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(p0), _mm_castsi128_ps(p1), _MM_SHUFFLE(2, 0, 2, 0)));
        const __m128 lo = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpacklo_epi8(even, zero), weights));
        const __m128 hi = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpackhi_epi8(even, zero), weights));
        const __m128i blueGreen = _mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m128i red = _mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1)));
        return _mm_srli_epi32(_mm_add_epi32(blueGreen, red), 3);
    };
    int32_t i = 0;
    // Each step reads 16 pixels; the last one must lie inside the columns.
    for (; 2 * (i + 8) <= columns; i += 8) {
        const __m128i* src = reinterpret_cast<const __m128i*>(row + 2 * i);
        const __m128i eighths =
            _mm_packs_epi32(lumaSums(_mm_loadu_si128(src), _mm_loadu_si128(src + 1)),
                            lumaSums(_mm_loadu_si128(src + 2), _mm_loadu_si128(src + 3)));
        const __m128i y = _mm_srli_epi16(_mm_mulhi_epu16(eighths, by125), 6);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(y, zero));
    }
    for (; i < samples; ++i) out[i] = static_cast<uint8_t>(luma(row[2 * i]));
}

// Sums of here[i] and of |here[i] - above[i]| over i in [first, end); both
// arrays readable 16 bytes past end.
void binSums(const uint8_t* here, const uint8_t* above, int32_t first, int32_t end, uint32_t& lumaSum,
             uint32_t& edgeSum) {
    alignas(16) static constexpr uint8_t kKeepFirst[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const __m128i zero = _mm_setzero_si128();
    __m128i sumY = zero, sumE = zero;
    for (int32_t i = first; i < end; i += 16) {
        __m128i h = _mm_loadu_si128(reinterpret_cast<const __m128i*>(here + i));
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i));
        if (end - i < 16) {
            const __m128i keep = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kKeepFirst + 16 - (end - i)));
            h = _mm_and_si128(h, keep);
            a = _mm_and_si128(a, keep);
        }
        sumY = _mm_add_epi64(sumY, _mm_sad_epu8(h, zero));
        sumE = _mm_add_epi64(sumE, _mm_sad_epu8(h, a));
    }
    lumaSum = static_cast<uint32_t>(_mm_cvtsi128_si32(sumY) + _mm_cvtsi128_si32(_mm_unpackhi_epi64(sumY, sumY)));
    edgeSum = static_cast<uint32_t>(_mm_cvtsi128_si32(sumE) + _mm_cvtsi128_si32(_mm_unpackhi_epi64(sumE, sumE)));
}

}  // namespace

RowProfiles computeRowProfiles(const PixelImage& image, int32_t x0, int32_t x1) {
    RowProfiles p;
    p.rows = image.height;
    const size_t cells = static_cast<size_t>(image.height) * kBins;
    p.ink.assign(cells, 0.0f);
    p.edge.assign(cells, 0.0f);
    p.content.assign(cells, 0.0f);
    p.contentBins.assign(static_cast<size_t>(std::max(image.height, 0)), 0u);

    const int32_t span = std::max(x1 - x0, 1);
    // Sample i (column x0 + 2 i) falls in bin min(2 i * kBins / span, kBins - 1),
    // which never decreases with i: each bin is one run of samples.
    const int32_t samples = x1 > x0 ? (x1 - x0 + 1) / 2 : 0;
    int32_t binStart[kBins + 1];
    {
        int32_t b = 0;
        binStart[0] = 0;
        for (int32_t i = 0; i < samples; ++i) {
            const int32_t bin = std::min((2 * i * kBins) / span, kBins - 1);
            while (b < bin) binStart[++b] = i;
        }
        while (b < kBins) binStart[++b] = samples;
    }
    // 16 bytes of slack: the bin sums read whole vectors.
    std::vector<uint8_t> above(static_cast<size_t>(samples) + 16, 0), here(static_cast<size_t>(samples) + 16, 0);

    for (int32_t y = 0; y < image.height; ++y) {
        sampledLuma(image.row(y) + x0, x1 - x0, samples, here.data());
        if (y == 0) above = here;  // row 0 is compared with itself

        float* ink = &p.ink[static_cast<size_t>(y) * kBins];
        float* edge = &p.edge[static_cast<size_t>(y) * kBins];
        float* content = &p.content[static_cast<size_t>(y) * kBins];
        for (int b = 0; b < kBins; ++b) {
            const int32_t count = binStart[b + 1] - binStart[b];
            if (count > 0) {
                // Sums of whole numbers below 2^24 are exact in float, so the
                // integer sums give the float sums bit for bit.
                uint32_t lumaSum = 0, edgeSum = 0;
                binSums(here.data(), above.data(), binStart[b], binStart[b + 1], lumaSum, edgeSum);
                ink[b] = static_cast<float>(255u * static_cast<uint32_t>(count) - lumaSum) / static_cast<float>(count);
                edge[b] = static_cast<float>(edgeSum) / static_cast<float>(count);
            }
            content[b] = std::max(ink[b], kContentEdgeWeight * edge[b]);
            if (content[b] >= kContentLimit) p.contentBins[static_cast<size_t>(y)] |= 1u << b;
        }
        std::swap(above, here);
    }
    return p;
}

}  // namespace tf::matcher_detail
