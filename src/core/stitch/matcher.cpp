// The matcher's entry points: the geometry of one call, the two frames'
// profiles and the candidates' scores computed on two cores, then the
// decisions of match_decisions.cpp.

#include "core/stitch/matcher.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <system_error>

#include "core/stitch/matcher_internal.h"

namespace tf {
namespace matcher_detail {

bool computeGeometry(const PixelImage& prev, const PixelImage& next, Geometry& g, const SidePanels& panels) {
    g.W = std::min(prev.width, next.width);
    g.H = std::min(prev.height, next.height);
    // Below these sizes the candidate range and the column band would reach outside the frames.
    if (g.H < 33 || g.W < 2) return false;
    if (prev.pixels.size() < static_cast<size_t>(prev.width) * static_cast<size_t>(prev.height) ||
        next.pixels.size() < static_cast<size_t>(next.width) * static_cast<size_t>(next.height))
        return false;
    g.minOverlap = std::max(static_cast<int32_t>(std::round(g.H * kMinOverlapShare)), kMinOverlapRows);
    g.maxOverlap = std::max(g.minOverlap + 1, g.H - kMatcherMinShiftRows);
    // The column band over the content: the whole width, or the columns between side panels.
    const ColumnSpan span = contentSpan(prev, next, panels);
    const ColumnBand band = contentColumns(span);
    g.x0 = band.x0;
    g.x1 = band.x1;
    g.columnStep = std::max((g.x1 - g.x0) / 120, 1);
    g.fixedTop = detectFixedTop(prev, next, span);
    g.fixedBottom = detectFixedBottom(prev, next, span);
    g.topSkip = std::min(std::max({g.H / 10, 0, g.fixedTop / 2}), 120);
    return true;
}

ComparedSpan comparedSpan(int32_t overlap, int32_t topSkip, int32_t fixedBottom) {
    const int32_t first = std::min(std::max(overlap - kCompareTopMarginRows, 0), topSkip);
    return {first, std::max(first + 1, overlap - fixedBottom)};
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

}  // namespace matcher_detail

MatchResult matchSmallShift(const PixelImage& prev, const PixelImage& next, int32_t shiftRows,
                            const SidePanels& panels) {
    using namespace matcher_detail;
    MatchResult result;
    Geometry g;
    if (shiftRows < 1 || shiftRows > kSmallShiftMaxRows || !computeGeometry(prev, next, g, panels)) return result;
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
    ScoreCandidates scoreCandidates;
    scoreCandidates.score = [&](int32_t topSkip, std::vector<double>& scores) {
        auto scoreEvery2nd = [&](int32_t from) {
            for (int32_t ov = from; ov <= g.maxOverlap; ov += 2)
                scores[static_cast<size_t>(ov - g.minOverlap)] =
                    scoreOverlap(prevProfiles, nextProfiles, ov, topSkip, g.fixedBottom);
        };
        alongside([&] { scoreEvery2nd(g.minOverlap + 1); }, [&] { scoreEvery2nd(g.minOverlap); });
    };
    scoreCandidates.comparedRows = [&](int32_t topSkip, int32_t overlap) {
        const ComparedSpan rows = comparedSpan(overlap, topSkip, g.fixedBottom);
        return rows.end - rows.first;
    };
    return matchOnScores(prev, next, g, expectedOverlap, priorTolerance, scoreCandidates);
}

}  // namespace tf
