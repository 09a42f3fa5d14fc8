// Candidate scores: how badly the row profiles of two frames disagree under
// one overlap, the costs summed with SSE2 or AVX.

#include <algorithm>

#include <immintrin.h>

#include "core/stitch/matcher_internal.h"

namespace tf::matcher_detail {
namespace {

// Each bin's cost is summed in double in row order, exactly as one bin at a
// time would; the vectors only run the 24 bins side by side. A bin without
// content has both differences masked to 0 and so adds +0.0, which leaves its
// cost unchanged. No fused multiply-add: the weighted edge difference is rounded before the sum.
void accumulateCostsSse2(const RowProfiles& prev, const RowProfiles& next, int32_t first, int32_t end, int32_t shift,
                         double* cost, int32_t* count) {
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 contentLimit = _mm_set1_ps(kContentLimit);
    const __m128d edgeWeight = _mm_set1_pd(kCostEdgeWeight);
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
    const __m256 contentLimit = _mm256_set1_ps(kContentLimit);
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256d edgeWeight = _mm256_set1_pd(kCostEdgeWeight);
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
    const auto [first, end] = comparedSpan(ov, topSkip, fixedBottom);
    const int32_t shift = prev.rows - ov;  // next row r faces prev row r + shift

    double cost[kBins] = {};
    int32_t count[kBins] = {};
    if (allowAvx && cpuHasAvx())
        accumulateCostsAvx(prev, next, first, end, shift, cost, count);
    else
        accumulateCostsSse2(prev, next, first, end, shift, cost, count);

    return scoreOfBinCosts(cost, count);
}

double scoreOfBinCosts(const double* cost, const int32_t* count) {
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

}  // namespace tf::matcher_detail
