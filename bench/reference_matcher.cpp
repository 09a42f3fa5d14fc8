// The matcher written plainly, one pixel and one bin at a time: the yardstick
// the library's vectorised matcher is timed against and must agree with,
// field for field, on every pair. It has its own row profiles, candidate
// scores, row fingerprints and a search on one thread, the parts that are
// vectorised, unrolled or threaded in the library; the frame geometry, the
// pixel checks and the seam are plain code there already and are shared.

#include "reference_matcher.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tf::reference {
namespace {

using matcher_detail::agreeingRowsDisagree;
using matcher_detail::checkAgainstPixels;
using matcher_detail::comparedRows;
using matcher_detail::computeGeometry;
using matcher_detail::findIdenticalOverlap;
using matcher_detail::Geometry;
using matcher_detail::IdenticalOverlap;
using matcher_detail::kBins;
using matcher_detail::kConvincingScore;
using matcher_detail::kMinComparedRows;
using matcher_detail::searchSeam;

// Row y, bin b at [y * kBins + b].
struct RowProfiles {
    int32_t rows = 0;
    std::vector<float> ink;
    std::vector<float> edge;
};

RowProfiles computeRowProfiles(const PixelImage& image, int32_t x0, int32_t x1) {
    RowProfiles p;
    p.rows = image.height;
    const size_t cells = static_cast<size_t>(image.height) * kBins;
    p.ink.assign(cells, 0.0f);
    p.edge.assign(cells, 0.0f);

    const int32_t span = std::max(x1 - x0, 1);
    std::vector<int32_t> binOf;
    for (int32_t x = x0; x < x1; x += 2) binOf.push_back(std::min(((x - x0) * kBins) / span, kBins - 1));
    const size_t samples = binOf.size();
    std::vector<int> above(samples), here(samples);

    for (int32_t y = 0; y < image.height; ++y) {
        const uint32_t* row = image.row(y);
        for (size_t i = 0; i < samples; ++i) here[i] = luma(row[x0 + 2 * static_cast<int32_t>(i)]);
        if (y == 0) above = here;  // row 0 is compared with itself

        float inkSum[kBins] = {};
        float edgeSum[kBins] = {};
        int count[kBins] = {};
        for (size_t i = 0; i < samples; ++i) {
            const int b = binOf[i];
            inkSum[b] += static_cast<float>(255 - here[i]);
            edgeSum[b] += static_cast<float>(std::abs(here[i] - above[i]));
            ++count[b];
        }
        float* ink = &p.ink[static_cast<size_t>(y) * kBins];
        float* edge = &p.edge[static_cast<size_t>(y) * kBins];
        for (int b = 0; b < kBins; ++b) {
            if (count[b] > 0) {
                ink[b] = inkSum[b] / static_cast<float>(count[b]);
                edge[b] = edgeSum[b] / static_cast<float>(count[b]);
            }
        }
        std::swap(above, here);
    }
    return p;
}

double scoreOverlap(const RowProfiles& prev, const RowProfiles& next, int32_t ov, int32_t topSkip,
                    int32_t fixedBottom) {
    const int32_t first = std::min(std::max(ov - 12, 0), topSkip);
    const int32_t end = std::max(first + 1, ov - fixedBottom);
    const int32_t shift = prev.rows - ov;  // next row r faces prev row r + shift

    double cost[kBins] = {};
    int32_t count[kBins] = {};
    for (int32_t r = first; r < end; ++r) {
        const size_t a = static_cast<size_t>(r + shift) * kBins;
        const size_t n = static_cast<size_t>(r) * kBins;
        const float* aInk = &prev.ink[a];
        const float* nInk = &next.ink[n];
        const float* aEdge = &prev.edge[a];
        const float* nEdge = &next.edge[n];
        for (int b = 0; b < kBins; ++b) {
            const float m = std::max({aInk[b], nInk[b], 1.5f * aEdge[b], 1.5f * nEdge[b]});
            if (m < 0.8f) continue;
            cost[b] += static_cast<double>(std::fabs(aInk[b] - nInk[b])) +
                       0.65 * static_cast<double>(std::fabs(aEdge[b] - nEdge[b]));
            ++count[b];
        }
    }

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

std::vector<uint64_t> rowHashes(const PixelImage& image, int32_t x0, int32_t x1) {
    std::vector<uint64_t> hashes(static_cast<size_t>(std::max(image.height, 0)));
    for (int32_t y = 0; y < image.height; ++y) {
        const uint32_t* row = image.row(y);
        uint64_t h = 1469598103934665603ull;
        for (int32_t x = x0; x < x1; ++x) h = (h ^ (row[x] & 0xFFFFFFu)) * 1099511628211ull;
        hashes[static_cast<size_t>(y)] = h;
    }
    return hashes;
}

}  // namespace

MatchResult matchFrames(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                        double priorTolerance) {
    return reference::matchFramesBetweenPanels(prev, next, expectedOverlap, priorTolerance, SidePanels{});
}

MatchResult matchFramesBetweenPanels(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                                     double priorTolerance, const SidePanels& panels) {
    MatchResult result;  // {0, 1e18, false, 0, 1e18}
    Geometry g;
    if (!computeGeometry(prev, next, g, panels)) return result;

    const RowProfiles prevProfiles = computeRowProfiles(prev, g.x0, g.x1);
    const RowProfiles nextProfiles = computeRowProfiles(next, g.x0, g.x1);

    // scores[ov - minOverlap]; the expectation window lies inside this range and reuses them.
    std::vector<double> scores(static_cast<size_t>(g.maxOverlap - g.minOverlap + 1));
    auto search = [&](int32_t topSkip, int32_t& bestOverlap, double& bestScore) {
        bestOverlap = g.maxOverlap;
        bestScore = kInvalidScore;
        bool first = true;
        for (int32_t ov = g.maxOverlap; ov >= g.minOverlap; --ov) {
            const double s = scoreOverlap(prevProfiles, nextProfiles, ov, topSkip, g.fixedBottom);
            scores[static_cast<size_t>(ov - g.minOverlap)] = s;
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

}  // namespace tf::reference
