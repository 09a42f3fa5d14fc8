#include "core/stitch/matcher.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <future>
#include <system_error>

#include <immintrin.h>

namespace tf {
namespace matcher_detail {
namespace {

int32_t roundHalfAway(double v) { return static_cast<int32_t>(std::round(v)); }

inline int lumaAt(const PixelImage& img, int32_t x, int32_t y) { return luma(img.at(x, y)); }

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
        const bool unchanged = count > 0 && static_cast<double>(sum) / static_cast<double>(count) <= 2.5;
        if (unchanged) {
            fixed = r + 1;
        } else if (r > 24) {
            // A few leading rows (a blinking toolbar detail) may differ without ending the band.
            break;
        }
    }
    return fixed;
}

}  // namespace

ColumnSpan contentSpan(const PixelImage& prev, const PixelImage& next, const SidePanels& panels) {
    const int32_t W = std::min(prev.width, next.width);
    const int32_t left = std::clamp(panels.left, 0, W);
    const int32_t right = std::clamp(panels.right, 0, W - left);
    // Panels that leave fewer than two columns of content are no panels.
    if (W - left - right < 2) return {0, W};
    return {left, W - left - right};
}

bool computeGeometry(const PixelImage& prev, const PixelImage& next, Geometry& g, const SidePanels& panels) {
    g.W = std::min(prev.width, next.width);
    g.H = std::min(prev.height, next.height);
    // Below these sizes the candidate range and the column band would reach outside the frames.
    if (g.H < 33 || g.W < 2) return false;
    if (prev.pixels.size() < static_cast<size_t>(prev.width) * static_cast<size_t>(prev.height) ||
        next.pixels.size() < static_cast<size_t>(next.width) * static_cast<size_t>(next.height))
        return false;
    g.minOverlap = std::max(roundHalfAway(g.H * 0.12), 32);
    g.maxOverlap = std::max(g.minOverlap + 1, g.H - 8);
    // The column band over the content: the whole width, or the columns between side panels.
    const ColumnSpan span = contentSpan(prev, next, panels);
    const int32_t bw = span.width;
    const int32_t x0 = std::min(std::max(roundHalfAway(bw * 0.06), 0), bw - 2);
    g.x0 = span.left + x0;
    g.x1 = span.left + std::max(x0 + 1, std::min(roundHalfAway(bw * 0.9), bw));
    g.columnStep = std::max((g.x1 - g.x0) / 120, 1);
    g.fixedTop = detectFixedTop(prev, next, span);
    g.fixedBottom = detectFixedBottom(prev, next, span);
    g.topSkip = std::min(std::max({g.H / 10, 0, g.fixedTop / 2}), 120);
    return true;
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
            content[b] = std::max(ink[b], 1.5f * edge[b]);
            if (content[b] >= 0.8f) p.contentBins[static_cast<size_t>(y)] |= 1u << b;
        }
        std::swap(above, here);
    }
    return p;
}

namespace {

// Each bin's cost is summed in double in row order, exactly as one bin at a
// time would; the vectors only run the 24 bins side by side. A bin without
// content has both differences masked to 0 and so adds +0.0, which leaves its
// cost unchanged. No fused multiply-add: 0.65 × edge is rounded before the sum.
void accumulateCostsSse2(const RowProfiles& prev, const RowProfiles& next, int32_t first, int32_t end, int32_t shift,
                         double* cost, int32_t* count) {
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 contentLimit = _mm_set1_ps(0.8f);
    const __m128d edgeWeight = _mm_set1_pd(0.65);
    __m128d costs[kBins / 2];
    __m128i counts[kBins / 4];
    for (__m128d& c : costs) c = _mm_setzero_pd();
    for (__m128i& c : counts) c = _mm_setzero_si128();
    for (int32_t r = first; r < end; ++r) {
        // Blank on both sides (the space between lines of text): nothing to add.
        if ((prev.contentBins[static_cast<size_t>(r + shift)] | next.contentBins[static_cast<size_t>(r)]) == 0)
            continue;
        const size_t a = static_cast<size_t>(r + shift) * kBins;
        const size_t n = static_cast<size_t>(r) * kBins;
        for (int k = 0; k < kBins / 4; ++k) {
            const size_t ak = a + 4 * static_cast<size_t>(k), nk = n + 4 * static_cast<size_t>(k);
            const __m128 has =
                _mm_cmpge_ps(_mm_max_ps(_mm_loadu_ps(&prev.content[ak]), _mm_loadu_ps(&next.content[nk])), contentLimit);
            const __m128 keep = _mm_and_ps(absMask, has);
            const __m128 dInk = _mm_and_ps(_mm_sub_ps(_mm_loadu_ps(&prev.ink[ak]), _mm_loadu_ps(&next.ink[nk])), keep);
            const __m128 dEdge =
                _mm_and_ps(_mm_sub_ps(_mm_loadu_ps(&prev.edge[ak]), _mm_loadu_ps(&next.edge[nk])), keep);
            costs[2 * k] =
                _mm_add_pd(costs[2 * k], _mm_add_pd(_mm_cvtps_pd(dInk), _mm_mul_pd(edgeWeight, _mm_cvtps_pd(dEdge))));
            costs[2 * k + 1] =
                _mm_add_pd(costs[2 * k + 1], _mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(dInk, dInk)),
                                                        _mm_mul_pd(edgeWeight, _mm_cvtps_pd(_mm_movehl_ps(dEdge, dEdge)))));
            counts[k] = _mm_sub_epi32(counts[k], _mm_castps_si128(has));
        }
    }
    for (int k = 0; k < kBins / 2; ++k) _mm_storeu_pd(cost + 2 * k, costs[k]);
    for (int k = 0; k < kBins / 4; ++k) _mm_storeu_si128(reinterpret_cast<__m128i*>(count + 4 * k), counts[k]);
}

// The same with 8 floats and 4 doubles a lane, for processors that have AVX
// (checked at run time; SSE2 is all x86-64 promises). Counts are kept as
// floats, exact for any number of rows a frame has.
__attribute__((target("avx"))) void accumulateCostsAvx(const RowProfiles& prev, const RowProfiles& next,
                                                       int32_t first, int32_t end, int32_t shift, double* cost,
                                                       int32_t* count) {
    const __m256 absMask = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
    const __m256 contentLimit = _mm256_set1_ps(0.8f);
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256d edgeWeight = _mm256_set1_pd(0.65);
    __m256d costs[kBins / 4];
    __m256 counts[kBins / 8];
    for (__m256d& c : costs) c = _mm256_setzero_pd();
    for (__m256& c : counts) c = _mm256_setzero_ps();
    for (int32_t r = first; r < end; ++r) {
        if ((prev.contentBins[static_cast<size_t>(r + shift)] | next.contentBins[static_cast<size_t>(r)]) == 0)
            continue;
        const size_t a = static_cast<size_t>(r + shift) * kBins;
        const size_t n = static_cast<size_t>(r) * kBins;
        for (int k = 0; k < kBins / 8; ++k) {
            const size_t ak = a + 8 * static_cast<size_t>(k), nk = n + 8 * static_cast<size_t>(k);
            const __m256 has = _mm256_cmp_ps(
                _mm256_max_ps(_mm256_loadu_ps(&prev.content[ak]), _mm256_loadu_ps(&next.content[nk])), contentLimit,
                _CMP_GE_OQ);
            const __m256 keep = _mm256_and_ps(absMask, has);
            const __m256 dInk =
                _mm256_and_ps(_mm256_sub_ps(_mm256_loadu_ps(&prev.ink[ak]), _mm256_loadu_ps(&next.ink[nk])), keep);
            const __m256 dEdge =
                _mm256_and_ps(_mm256_sub_ps(_mm256_loadu_ps(&prev.edge[ak]), _mm256_loadu_ps(&next.edge[nk])), keep);
            const __m128 inkLo = _mm256_castps256_ps128(dInk), inkHi = _mm256_extractf128_ps(dInk, 1);
            const __m128 edgeLo = _mm256_castps256_ps128(dEdge), edgeHi = _mm256_extractf128_ps(dEdge, 1);
            costs[2 * k] = _mm256_add_pd(
                costs[2 * k], _mm256_add_pd(_mm256_cvtps_pd(inkLo), _mm256_mul_pd(edgeWeight, _mm256_cvtps_pd(edgeLo))));
            costs[2 * k + 1] = _mm256_add_pd(
                costs[2 * k + 1],
                _mm256_add_pd(_mm256_cvtps_pd(inkHi), _mm256_mul_pd(edgeWeight, _mm256_cvtps_pd(edgeHi))));
            counts[k] = _mm256_add_ps(counts[k], _mm256_and_ps(has, one));
        }
    }
    for (int k = 0; k < kBins / 4; ++k) _mm256_storeu_pd(cost + 4 * k, costs[k]);
    for (int k = 0; k < kBins / 8; ++k) {
        float c[8];
        _mm256_storeu_ps(c, counts[k]);
        for (int i = 0; i < 8; ++i) count[8 * k + i] = static_cast<int32_t>(c[i]);
    }
}

bool cpuHasAvx() {
    static const bool hasAvx = __builtin_cpu_supports("avx");
    return hasAvx;
}

}  // namespace

double scoreOverlap(const RowProfiles& prev, const RowProfiles& next, int32_t ov, int32_t topSkip,
                    int32_t fixedBottom, bool allowAvx) {
    const int32_t first = std::min(std::max(ov - 12, 0), topSkip);
    const int32_t end = std::max(first + 1, ov - fixedBottom);
    const int32_t shift = prev.rows - ov;  // next row r faces prev row r + shift

    double cost[kBins] = {};
    int32_t count[kBins] = {};
    if (allowAvx && cpuHasAvx())
        accumulateCostsAvx(prev, next, first, end, shift, cost, count);
    else
        accumulateCostsSse2(prev, next, first, end, shift, cost, count);

    int64_t total = 0;
    double values[kBins];
    int n = 0;
    for (int b = 0; b < kBins; ++b) {
        total += count[b];
        if (count[b] >= 6) values[n++] = cost[b] / count[b];
    }
    if (total < 40 || n < 4) return kInvalidScore;
    std::sort(values, values + n);
    const int trim = n >= 10 ? n / 6 : 0;
    double sum = 0.0;
    for (int i = trim; i < n - trim; ++i) sum += values[i];
    return sum / (n - 2 * trim);
}

double scoreSeam(const PixelImage& prev, const PixelImage& next, int32_t ov, int32_t s, int32_t x0, int32_t x1,
                 int32_t step) {
    const int32_t a = prev.height - ov + s;
    if (!(1 <= a - 1 && a - 1 < prev.height) || !(0 <= s && s < next.height - 1) || !(x0 < x1))
        return kInvalidScore;
    int64_t jump = 0, texture = 0, n = 0;
    for (int32_t x = x0; x < x1; x += step) {
        const int pa = lumaAt(prev, x, a - 1);
        const int ns = lumaAt(next, x, s);
        jump += std::abs(pa - ns);
        texture += std::abs(pa - lumaAt(prev, x, a - 2)) + std::abs(lumaAt(next, x, s + 1) - ns);
        ++n;
    }
    return (static_cast<double>(texture) / static_cast<double>(n)) * 0.35 +
           static_cast<double>(jump) / static_cast<double>(n);
}

std::vector<uint64_t> rowHashes(const PixelImage& image, int32_t x0, int32_t x1) {
    std::vector<uint64_t> hashes(static_cast<size_t>(std::max(image.height, 0)));
    // Each hash is one long chain of multiplies; four rows side by side keep
    // the multiplier busy. The values are those of one row at a time.
    int32_t y = 0;
    for (; y + 4 <= image.height; y += 4) {
        const uint32_t* r0 = image.row(y);
        const uint32_t* r1 = image.row(y + 1);
        const uint32_t* r2 = image.row(y + 2);
        const uint32_t* r3 = image.row(y + 3);
        uint64_t h0 = 1469598103934665603ull, h1 = h0, h2 = h0, h3 = h0;
        for (int32_t x = x0; x < x1; ++x) {
            h0 = (h0 ^ (r0[x] & 0xFFFFFFu)) * 1099511628211ull;
            h1 = (h1 ^ (r1[x] & 0xFFFFFFu)) * 1099511628211ull;
            h2 = (h2 ^ (r2[x] & 0xFFFFFFu)) * 1099511628211ull;
            h3 = (h3 ^ (r3[x] & 0xFFFFFFu)) * 1099511628211ull;
        }
        hashes[static_cast<size_t>(y)] = h0;
        hashes[static_cast<size_t>(y) + 1] = h1;
        hashes[static_cast<size_t>(y) + 2] = h2;
        hashes[static_cast<size_t>(y) + 3] = h3;
    }
    for (; y < image.height; ++y) {
        const uint32_t* row = image.row(y);
        uint64_t h = 1469598103934665603ull;
        for (int32_t x = x0; x < x1; ++x) h = (h ^ (row[x] & 0xFFFFFFu)) * 1099511628211ull;
        hashes[static_cast<size_t>(y)] = h;
    }
    return hashes;
}

bool rowsDisagree(const PixelImage& prev, int32_t prevRow, const PixelImage& next, int32_t nextRow, int32_t x0,
                  int32_t x1) {
    const uint32_t* a = prev.row(prevRow);
    const uint32_t* b = next.row(nextRow);
    // A blinking caret or a few repainted pixels leave a row agreeing; a word
    // that differs does not.
    const int32_t allowed = std::max<int32_t>(2, (x1 - x0) / 100);
    int32_t differing = 0;
    for (int32_t x = x0; x < x1; ++x) {
        if (std::abs(luma(a[x]) - luma(b[x])) >= 40 && ++differing > allowed) return true;
    }
    return false;
}

int32_t disagreeingRows(const PixelImage& prev, const std::vector<uint64_t>& prevHashes, const PixelImage& next,
                        const std::vector<uint64_t>& nextHashes, int32_t overlap, int32_t firstRow, int32_t endRow,
                        int32_t x0, int32_t x1, int32_t stopAbove) {
    const int32_t shift = prev.height - overlap;
    int32_t count = 0;
    for (int32_t r = std::max(firstRow, 0); r < endRow; ++r) {
        if (prevHashes[static_cast<size_t>(r + shift)] == nextHashes[static_cast<size_t>(r)]) continue;
        if (rowsDisagree(prev, r + shift, next, r, x0, x1) && ++count > stopAbove) return count;
    }
    return count;
}

int32_t checkAgainstPixels(const PixelImage& prev, const PixelImage& next, const Geometry& g,
                           const std::vector<double>& scores, int32_t chosen, double chosenScore) {
    // The row profiles average each bin, and the trimmed mean drops the few bins
    // a short line of text falls into: on a tinted background (a code block) or
    // repeated lines many overlaps then score alike, and the tie rules may pick
    // one that the pixels contradict. Only candidates scoring about as well as
    // the chosen one are looked at, and the choice moves only when its own rows
    // disagree and another candidate's disagree less.
    auto scoreOf = [&](int32_t ov) { return scores[static_cast<size_t>(ov - g.minOverlap)]; };
    const double limit = std::min(chosenScore + kPixelCheckTolerance, kAcceptScore);
    bool rivals = false;
    for (int32_t ov = g.minOverlap; ov <= g.maxOverlap && !rivals; ++ov) rivals = ov != chosen && scoreOf(ov) <= limit;
    if (!rivals) return chosen;

    const std::vector<uint64_t> prevHashes = rowHashes(prev, g.x0, g.x1);
    const std::vector<uint64_t> nextHashes = rowHashes(next, g.x0, g.x1);
    // The rows of the overlap below the unchanged top band and above the
    // unchanged bottom band: in the true alignment they show the same content.
    auto rowsOf = [&](int32_t ov) { return std::max(ov - g.fixedBottom - g.fixedTop, 0); };
    auto disagreeing = [&](int32_t ov, int32_t stopAbove) {
        return disagreeingRows(prev, prevHashes, next, nextHashes, ov, g.fixedTop, ov - g.fixedBottom, g.x0, g.x1,
                               stopAbove);
    };
    const int32_t chosenDisagreeing = disagreeing(chosen, INT32_MAX);
    if (chosenDisagreeing < 2) return chosen;

    int32_t best = chosen, bestDisagreeing = chosenDisagreeing;
    for (int32_t ov = g.maxOverlap; ov >= g.minOverlap; --ov) {
        if (ov == chosen || scoreOf(ov) > limit || rowsOf(ov) == 0) continue;
        const int32_t d = disagreeing(ov, bestDisagreeing);
        // Fewer disagreeing rows win; among equals the larger overlap, which
        // was compared over more rows (the scan runs from the largest).
        if (d < bestDisagreeing) {
            best = ov;
            bestDisagreeing = d;
        }
    }
    return best;
}

IdenticalOverlap findIdenticalOverlap(const PixelImage& prev, const PixelImage& next, const Geometry& g,
                                      const std::vector<uint64_t>& prevHashes,
                                      const std::vector<uint64_t>& nextHashes) {
    // Rows of next that show something: not one colour across the band, and
    // not the same as the row above. Blank rows, and the rows inside a box
    // that repeat down its height, are identical one row off as well and prove
    // nothing about the shift.
    std::vector<uint8_t> shows(static_cast<size_t>(next.height), 0);
    for (int32_t y = 0; y < next.height; ++y) {
        if (y > 0 && nextHashes[static_cast<size_t>(y)] == nextHashes[static_cast<size_t>(y - 1)]) continue;
        const uint32_t* row = next.row(y);
        const uint32_t c = row[g.x0] & 0xFFFFFFu;
        for (int32_t x = g.x0 + 1; x < g.x1; ++x)
            if ((row[x] & 0xFFFFFFu) != c) {
                shows[static_cast<size_t>(y)] = 1;
                break;
            }
    }
    IdenticalOverlap found;
    int32_t candidates = 0;
    for (int32_t ov = g.maxOverlap; ov >= g.minOverlap; --ov) {
        // Rows facing an unchanged band may differ (a real bar covers other
        // content in each frame), every row between the bands must be
        // identical. Blank rows at the frame edges also count as unchanged
        // bands, and on a short overlap the two can meet: then the identical
        // rows anywhere in the overlap are the evidence.
        const int32_t first = g.fixedTop, end = ov - g.fixedBottom;
        const int32_t shift = prev.height - ov;
        int32_t identicalRows = 0, content = 0;
        bool differs = false;
        for (int32_t r = 0; r < ov && !differs; ++r) {
            const bool same = prevHashes[static_cast<size_t>(r + shift)] == nextHashes[static_cast<size_t>(r)];
            differs = !same && r >= first && r < end;
            identicalRows += same;
            content += same && shows[static_cast<size_t>(r)] != 0;
        }
        if (differs || identicalRows < kMinIdenticalRows || content < kMinIdenticalContentRows) continue;
        // Two overlaps with identical rows (repeated content): the rows do not say which.
        if (++candidates > 1) return {};
        found = {ov, identicalRows};
    }
    return found;
}

bool agreeingRowsDisagree(const PixelImage& prev, const PixelImage& next, int32_t overlap, int32_t firstRow,
                          int32_t endRow, int32_t x0, int32_t x1, bool* allIdentical) {
    const int32_t shift = prev.height - overlap;
    const size_t bytes = static_cast<size_t>(x1 - x0) * sizeof(uint32_t);
    int32_t count = 0;
    bool identical = true;
    for (int32_t r = std::max(firstRow, 0); r < endRow; ++r) {
        if (std::memcmp(prev.row(r + shift) + x0, next.row(r) + x0, bytes) == 0) continue;
        identical = false;
        if (rowsDisagree(prev, r + shift, next, r, x0, x1) && ++count >= 2) break;
    }
    if (allIdentical != nullptr) *allIdentical = identical;
    return count >= 2;
}

int32_t comparedRows(const Geometry& g, int32_t overlap) {
    const int32_t first = std::min(std::max(overlap - 12, 0), g.topSkip);
    return std::max(first + 1, overlap - g.fixedBottom) - first;
}

namespace {

// Runs `other` on another thread while `here` runs on this one; both here,
// one after the other, when no thread can be started.
template <typename Other, typename Here>
void alongside(const Other& other, const Here& here) {
    std::future<void> later;
    try {
        later = std::async(std::launch::async, [&other] { other(); });
    } catch (const std::system_error&) {
        other();
        here();
        return;
    }
    here();
    later.get();
}

}  // namespace

void searchSeam(const PixelImage& prev, const PixelImage& next, const Geometry& g, MatchResult& result) {
    const int32_t ov = result.overlap;
    const int32_t seamFirst = std::max(8, std::min(g.fixedTop + 12, ov - 8));
    const int32_t seamLast = std::max(seamFirst, ov - g.fixedBottom - 12);
    int32_t bestSeam = ov;
    double bestSeamScore = kInvalidScore;
    for (int32_t s = seamFirst; s <= seamLast; s += 2) {
        const double c = scoreSeam(prev, next, ov, s, g.x0, g.x1, g.columnStep);
        if (c < bestSeamScore) {
            bestSeam = s;
            bestSeamScore = c;
        }
    }
    result.seam = bestSeam;
    result.seamScore = bestSeamScore;
}

// The decisions over candidate scores, shared with the plain reference matcher
// so that the two differ only in how the profiles and scores are computed.
MatchResult matchOnScores(const PixelImage& prev, const PixelImage& next, const Geometry& g, int32_t expectedOverlap,
                          double priorTolerance, const ScoreCandidates& scoreCandidates) {
    MatchResult result;  // {0, 1e18, false, 0, 1e18}
    // scores[ov - minOverlap]; the expectation window lies inside this range and reuses them.
    std::vector<double> scores(static_cast<size_t>(g.maxOverlap - g.minOverlap + 1));
    auto search = [&](int32_t topSkip, int32_t& bestOverlap, double& bestScore) {
        bestOverlap = g.maxOverlap;
        bestScore = kInvalidScore;
        scoreCandidates(topSkip, scores);
        bool first = true;
        for (int32_t ov = g.maxOverlap; ov >= g.minOverlap; --ov) {
            const double s = scores[static_cast<size_t>(ov - g.minOverlap)];
            if (first || s < bestScore) {  // ties keep the larger overlap
                bestOverlap = ov;
                bestScore = s;
                first = false;
            }
        }
        if (expectedOverlap > 0) {
            const int32_t lo = std::max(g.minOverlap, expectedOverlap - 80);
            const int32_t hi = std::min(expectedOverlap + 80, g.maxOverlap);
            int32_t windowOverlap = 0;
            double windowScore = kInvalidScore;
            for (int32_t ov = lo; ov <= hi; ++ov) {
                const double s = scores[static_cast<size_t>(ov - g.minOverlap)];
                if (s < windowScore) {  // ties keep the smaller overlap
                    windowOverlap = ov;
                    windowScore = s;
                }
            }
            if (bestScore + priorTolerance >= windowScore) {
                bestOverlap = windowOverlap;
                bestScore = windowScore;
            }
        }
    };

    int32_t bestOverlap = 0;
    double bestScore = kInvalidScore;
    search(g.topSkip, bestOverlap, bestScore);
    // Only half of an unchanged top band is skipped, so that blank margins still
    // count as content. A real header taller than a tenth of the frame then
    // leaves some of its rows facing scrolled content, and the true overlap can
    // score above acceptance. Before refusing, judge once more with the whole
    // band left out, as the unchanged bottom band always is; an accepted result
    // of the first search is never changed by this.
    if (!(bestOverlap > 0 && bestScore <= kAcceptScore) && g.fixedTop > g.topSkip) {
        int32_t retryOverlap = 0;
        double retryScore = kInvalidScore;
        search(g.fixedTop, retryOverlap, retryScore);
        if (retryOverlap > 0 && retryScore <= kAcceptScore) {
            bestOverlap = retryOverlap;
            bestScore = retryScore;
        }
    }

    bool accepted = bestOverlap > 0 && bestScore <= kAcceptScore;
    if (accepted) {
        bestOverlap = checkAgainstPixels(prev, next, g, scores, bestOverlap, bestScore);
        bestScore = scores[static_cast<size_t>(bestOverlap - g.minOverlap)];
    }
    // The profiles starve where the compared rows of an overlap are few or
    // blank (a big notch leaves a short overlap, and blank rows at the frame
    // edges count as unchanged bands): the true overlap then scores nothing
    // and some other one wins or nothing is accepted. Frames scrolled by whole
    // rows show the overlap pixel for pixel, so when the profiles are not
    // convincing, or were compared over a few rows only, the rows themselves
    // are asked. Only an overlap that is the only one with identical rows
    // showing content counts, and it replaces an accepted answer only when
    // that one rests on a few rows or its rows disagree with the pixels.
    int32_t identicalRows = 0;
    const bool starved = comparedRows(g, bestOverlap) < kMinComparedRows;
    // Identical rows cost one memcmp each; rows that differ are looked at closer.
    bool chosenIdentical = false;
    const int32_t chosenOverlap = bestOverlap;
    const bool contradicted = accepted && agreeingRowsDisagree(prev, next, bestOverlap, g.fixedTop,
                                                               bestOverlap - g.fixedBottom, g.x0, g.x1, &chosenIdentical);
    if (!accepted || starved || contradicted || bestScore > kConvincingScore) {
        const std::vector<uint64_t> prevHashes = rowHashes(prev, g.x0, g.x1);
        const std::vector<uint64_t> nextHashes = rowHashes(next, g.x0, g.x1);
        const IdenticalOverlap identical = findIdenticalOverlap(prev, next, g, prevHashes, nextHashes);
        if (identical.overlap > 0 && identical.overlap != bestOverlap &&
            (!accepted || starved || contradicted)) {
            bestOverlap = identical.overlap;
            bestScore = 0.0;
            identicalRows = identical.rows;
            accepted = true;
        } else if (starved && identical.overlap != bestOverlap) {
            // A profile answer compared over a few rows, with no identical rows
            // to back it, is a guess.
            accepted = false;
        }
    }

    // Rows between the bands that look the same one row further up or down
    // (one flat colour, wider than the overlap) cannot place the frames: any
    // profile answer there is a guess.
    if (accepted && identicalRows == 0 && bestOverlap - g.fixedBottom > g.fixedTop) {
        auto identicalBetweenBands = [&](int32_t ov) {
            if (ov < g.minOverlap || ov > g.maxOverlap) return false;
            const int32_t shift = prev.height - ov;
            const size_t bytes = static_cast<size_t>(g.x1 - g.x0) * sizeof(uint32_t);
            for (int32_t r = g.fixedTop; r < ov - g.fixedBottom; ++r)
                if (std::memcmp(prev.row(r + shift) + g.x0, next.row(r) + g.x0, bytes) != 0) return false;
            return true;
        };
        if ((bestOverlap == chosenOverlap ? chosenIdentical : identicalBetweenBands(bestOverlap)) &&
            (identicalBetweenBands(bestOverlap - 1) || identicalBetweenBands(bestOverlap + 1)))
            accepted = false;
    }

    result.overlap = bestOverlap;
    result.score = bestScore;
    result.matched = accepted;
    result.identicalRows = identicalRows;
    if (!result.matched) {
        result.seam = 0;
        result.seamScore = kInvalidScore;
        return result;
    }
    searchSeam(prev, next, g, result);
    return result;
}

}  // namespace matcher_detail

MatchResult matchSmallShift(const PixelImage& prev, const PixelImage& next, int32_t shiftRows,
                            const SidePanels& panels) {
    using namespace matcher_detail;
    MatchResult result;
    Geometry g;
    if (shiftRows < 1 || shiftRows > 7 || !computeGeometry(prev, next, g, panels)) return result;
    const int32_t overlap = prev.height - shiftRows;
    if (overlap < 1 || overlap > next.height) return result;
    result.overlap = overlap;
    result.score = 0.0;
    result.matched = true;
    searchSeam(prev, next, g, result);
    return result;
}

int32_t disagreeingOverlapRows(const PixelImage& prev, const PixelImage& next, int32_t overlap,
                               const SidePanels& panels) {
    using namespace matcher_detail;
    Geometry g;
    if (!computeGeometry(prev, next, g, panels) || overlap < 1 || overlap > std::min(prev.height, next.height))
        return INT32_MAX;
    return disagreeingRows(prev, rowHashes(prev, g.x0, g.x1), next, rowHashes(next, g.x0, g.x1), overlap, g.fixedTop,
                           overlap - g.fixedBottom, g.x0, g.x1, INT32_MAX);
}

MatchResult matchFrames(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                        double priorTolerance) {
    return matchFramesBetweenPanels(prev, next, expectedOverlap, priorTolerance, SidePanels{});
}

MatchResult matchFramesBetweenPanels(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                                     double priorTolerance, const SidePanels& panels) {
    using namespace matcher_detail;
    Geometry g;
    if (!computeGeometry(prev, next, g, panels)) return MatchResult{};

    // The two frames' profiles are independent: one on another core, one here.
    RowProfiles prevProfiles, nextProfiles;
    alongside([&] { prevProfiles = computeRowProfiles(prev, g.x0, g.x1); },
              [&] { nextProfiles = computeRowProfiles(next, g.x0, g.x1); });
    // Every candidate is scored on its own: half of them on another core
    // (every second one, so that both halves hold as many rows).
    auto scoreCandidates = [&](int32_t topSkip, std::vector<double>& scores) {
        auto scoreEvery2nd = [&](int32_t from) {
            for (int32_t ov = from; ov <= g.maxOverlap; ov += 2)
                scores[static_cast<size_t>(ov - g.minOverlap)] =
                    scoreOverlap(prevProfiles, nextProfiles, ov, topSkip, g.fixedBottom);
        };
        alongside([&] { scoreEvery2nd(g.minOverlap + 1); }, [&] { scoreEvery2nd(g.minOverlap); });
    };
    return matchOnScores(prev, next, g, expectedOverlap, priorTolerance, scoreCandidates);
}

}  // namespace tf
