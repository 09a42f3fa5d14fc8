// Decisions over the candidates' scores: which overlap, whether it is
// accepted, and where the two frames are joined. Shared with the plain
// reference matcher, so that the two differ only in how the profiles and
// scores are computed.

#include <algorithm>
#include <cstdlib>

#include "core/stitch/matcher_internal.h"

namespace tf::matcher_detail {
namespace {

// One overlap and its profile score.
struct Candidate {
    int32_t overlap = 0;
    double score = kInvalidScore;
};

bool acceptable(const Candidate& c) { return c.overlap > 0 && c.score <= kAcceptScore; }

// The best-scoring candidate near the expectation, within the candidate range:
// overlap 0 when the window is empty.
Candidate bestNearExpected(const Geometry& g, const std::vector<double>& scores, int32_t expectedOverlap) {
    const int32_t lo = std::max(g.minOverlap, expectedOverlap - kExpectationWindowRows);
    const int32_t hi = std::min(expectedOverlap + kExpectationWindowRows, g.maxOverlap);
    Candidate window;
    for (int32_t ov = lo; ov <= hi; ++ov) {
        const double s = scores[static_cast<size_t>(ov - g.minOverlap)];
        if (s < window.score) window = {ov, s};  // ties keep the smaller overlap
    }
    return window;
}

// The best of one pass of scores, or the best near the expectation when it
// scores within `priorTolerance` of it.
Candidate bestCandidate(const Geometry& g, const std::vector<double>& scores, int32_t expectedOverlap,
                        double priorTolerance) {
    Candidate best{g.maxOverlap, kInvalidScore};
    bool first = true;
    for (int32_t ov = g.maxOverlap; ov >= g.minOverlap; --ov) {
        const double s = scores[static_cast<size_t>(ov - g.minOverlap)];
        if (first || s < best.score) {  // ties keep the larger overlap
            best = {ov, s};
            first = false;
        }
    }
    if (expectedOverlap > 0) {
        const Candidate window = bestNearExpected(g, scores, expectedOverlap);
        if (best.score + priorTolerance >= window.score) best = window;
    }
    return best;
}

// Only half of an unchanged top band is skipped, so that blank margins still
// count as content. A real header taller than a tenth of the frame then
// leaves some of its rows facing scrolled content, and the true overlap can
// score above acceptance. Before refusing, judge once more with the whole
// band left out, as the unchanged bottom band always is; an accepted result
// of the first search is never changed by this. `scores` holds the pass the
// answer came from, `topSkip` the rows that pass left out.
Candidate searchCandidates(const Geometry& g, int32_t expectedOverlap, double priorTolerance,
                           const ScoreCandidates& scoreCandidates, std::vector<double>& scores, int32_t& topSkip) {
    topSkip = g.topSkip;
    scoreCandidates.score(g.topSkip, scores);
    Candidate best = bestCandidate(g, scores, expectedOverlap, priorTolerance);
    if (!acceptable(best) && g.fixedTop > g.topSkip) {
        std::vector<double> retryScores(scores.size());
        scoreCandidates.score(g.fixedTop, retryScores);
        const Candidate retry = bestCandidate(g, retryScores, expectedOverlap, priorTolerance);
        if (acceptable(retry)) {
            best = retry;
            scores.swap(retryScores);
            topSkip = g.fixedTop;
        }
    }
    return best;
}

// The answer taking shape: the overlap, its score, whether it is accepted,
// and the identical rows it was taken from (0 when the profiles decided).
struct Decision {
    Candidate chosen;
    int32_t topSkip = 0;  // of the pass `chosen` was scored in
    bool accepted = false;
    int32_t identicalRows = 0;
};

// What the chosen overlap's rows looked like before identical rows were asked.
struct ChosenRows {
    int32_t overlap = 0;
    bool identical = false;  // every row between the bands identical byte for byte (known when accepted)
};

// The profiles starve where the compared rows of an overlap are few or
// blank (a big notch leaves a short overlap, and blank rows at the frame
// edges count as unchanged bands): the true overlap then scores nothing
// and some other one wins or nothing is accepted. Frames scrolled by whole
// rows show the overlap pixel for pixel, so when the profiles are not
// convincing, or were compared over a few rows only, the rows themselves
// are asked. Only an overlap that is the only one with identical rows
// showing content counts, and it replaces an accepted answer only when
// that one rests on a few rows or its rows disagree with the pixels.
ChosenRows askIdenticalRows(const PixelImage& prev, const PixelImage& next, const Geometry& g,
                            const ScoreCandidates& scoreCandidates, Decision& d) {
    const bool starved = scoreCandidates.comparedRows(d.topSkip, d.chosen.overlap) < kMinComparedRows;
    // Identical rows cost one memcmp each; rows that differ are looked at closer.
    ChosenRows chosen{d.chosen.overlap, false};
    const bool contradicted =
        d.accepted && agreeingRowsDisagree(prev, next, d.chosen.overlap, g.fixedTop, d.chosen.overlap - g.fixedBottom,
                                           g.x0, g.x1, &chosen.identical);
    if (!d.accepted || starved || contradicted || d.chosen.score > kConvincingScore) {
        const std::vector<uint64_t> prevHashes = rowHashes(prev, g.x0, g.x1);
        const std::vector<uint64_t> nextHashes = rowHashes(next, g.x0, g.x1);
        const IdenticalOverlap identical = findIdenticalOverlap(prev, next, g, prevHashes, nextHashes);
        if (identical.overlap > 0 && identical.overlap != d.chosen.overlap &&
            (!d.accepted || starved || contradicted)) {
            d.chosen = {identical.overlap, 0.0};
            d.identicalRows = identical.rows;
            d.accepted = true;
        } else if (starved && identical.overlap != d.chosen.overlap) {
            // A profile answer compared over a few rows, with no identical rows
            // to back it, is a guess.
            d.accepted = false;
        }
    }
    return chosen;
}

// Rows between the bands that look the same one row further up or down
// (one flat colour, wider than the overlap) cannot place the frames: any
// profile answer there is a guess.
void refuseFlatStretch(const PixelImage& prev, const PixelImage& next, const Geometry& g, const ChosenRows& before,
                       Decision& d) {
    const int32_t ov = d.chosen.overlap;
    if (!d.accepted || d.identicalRows != 0 || ov - g.fixedBottom <= g.fixedTop) return;
    const bool identicalHere = ov == before.overlap ? before.identical : identicalBetweenBands(prev, next, g, ov);
    if (identicalHere &&
        (identicalBetweenBands(prev, next, g, ov - 1) || identicalBetweenBands(prev, next, g, ov + 1)))
        d.accepted = false;
}

}  // namespace

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

void searchSeam(const PixelImage& prev, const PixelImage& next, const Geometry& g, MatchResult& result) {
    const int32_t ov = result.overlap;
    const int32_t seamFirst = std::max(kSeamEdgeRows, std::min(g.fixedTop + kSeamBarMarginRows, ov - kSeamEdgeRows));
    const int32_t seamLast = std::max(seamFirst, ov - g.fixedBottom - kSeamBarMarginRows);
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

MatchResult matchOnScores(const PixelImage& prev, const PixelImage& next, const Geometry& g, int32_t expectedOverlap,
                          double priorTolerance, const ScoreCandidates& scoreCandidates) {
    // scores[ov - minOverlap]; the expectation window lies inside this range and reuses them.
    std::vector<double> scores(static_cast<size_t>(g.maxOverlap - g.minOverlap + 1));
    Decision d;
    d.chosen = searchCandidates(g, expectedOverlap, priorTolerance, scoreCandidates, scores, d.topSkip);
    d.accepted = acceptable(d.chosen);
    if (d.accepted) {
        d.chosen.overlap = checkAgainstPixels(prev, next, g, scores, d.chosen.overlap, d.chosen.score);
        d.chosen.score = scores[static_cast<size_t>(d.chosen.overlap - g.minOverlap)];
    }
    const ChosenRows before = askIdenticalRows(prev, next, g, scoreCandidates, d);
    refuseFlatStretch(prev, next, g, before, d);

    MatchResult result;  // an unmatched result has seam 0 and seamScore kInvalidScore
    result.overlap = d.chosen.overlap;
    result.score = d.chosen.score;
    result.matched = d.accepted;
    result.identicalRows = d.identicalRows;
    if (result.matched) searchSeam(prev, next, g, result);
    return result;
}

}  // namespace tf::matcher_detail
