// The matcher written plainly, one pixel and one bin at a time: the yardstick
// the library's vectorised matcher is timed against and must agree with,
// field for field, on every pair. It has its own row profiles and candidate
// scores, computed on one thread: the parts that are vectorised and threaded
// in the library, and its own count of the rows a score compared. What the
// matcher decides from the scores is plain code there already and is shared.

#include "reference_matcher.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tf::reference {
namespace {

using matcher_detail::computeGeometry;
using matcher_detail::Geometry;
using matcher_detail::kBins;

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

// The rows [first, end) of next compared for overlap ov: written out here
// again rather than taken from the library, so that a fault in the library's
// rule, or in the count of compared rows it decides on, shows as a difference.
struct Rows {
    int32_t first, end;
};
Rows comparedRows(int32_t ov, int32_t topSkip, int32_t fixedBottom) {
    const int32_t first = std::min(std::max(ov - 12, 0), topSkip);
    return {first, std::max(first + 1, ov - fixedBottom)};
}

double scoreOverlap(const RowProfiles& prev, const RowProfiles& next, int32_t ov, int32_t topSkip,
                    int32_t fixedBottom) {
    const auto [first, end] = comparedRows(ov, topSkip, fixedBottom);
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
            const float m = std::max({aInk[b], nInk[b], kContentEdgeWeight * aEdge[b], kContentEdgeWeight * nEdge[b]});
            if (m < kContentLimit) continue;
            cost[b] += static_cast<double>(std::fabs(aInk[b] - nInk[b])) +
                       kCostEdgeWeight * static_cast<double>(std::fabs(aEdge[b] - nEdge[b]));
            ++count[b];
        }
    }

    return matcher_detail::scoreOfBinCosts(cost, count);
}

}  // namespace

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

MatchResult matchFrames(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                        double priorTolerance) {
    return reference::matchFramesBetweenPanels(prev, next, expectedOverlap, priorTolerance, SidePanels{});
}

MatchResult matchFramesBetweenPanels(const PixelImage& prev, const PixelImage& next, int32_t expectedOverlap,
                                     double priorTolerance, const SidePanels& panels) {
    Geometry g;
    if (!computeGeometry(prev, next, g, panels)) return MatchResult{};

    const RowProfiles prevProfiles = computeRowProfiles(prev, g.x0, g.x1);
    const RowProfiles nextProfiles = computeRowProfiles(next, g.x0, g.x1);
    // Every candidate in turn, on this thread.
    matcher_detail::ScoreCandidates scoreCandidates;
    scoreCandidates.score = [&](int32_t topSkip, std::vector<double>& scores) {
        for (int32_t ov = g.minOverlap; ov <= g.maxOverlap; ++ov)
            scores[static_cast<size_t>(ov - g.minOverlap)] =
                scoreOverlap(prevProfiles, nextProfiles, ov, topSkip, g.fixedBottom);
    };
    scoreCandidates.comparedRows = [&](int32_t topSkip, int32_t ov) {
        const Rows rows = comparedRows(ov, topSkip, g.fixedBottom);
        return rows.end - rows.first;
    };
    return matcher_detail::matchOnScores(prev, next, g, expectedOverlap, priorTolerance, scoreCandidates);
}

}  // namespace tf::reference
