// The matcher written plainly, one pixel and one bin at a time: the yardstick
// the library's vectorised matcher is timed against and must agree with,
// field for field, on every pair.

#include "reference_matcher.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tf::reference {
namespace {

using matcher_detail::kBins;
using matcher_detail::kConvincingScore;
using matcher_detail::kMinComparedRows;
using matcher_detail::kMinIdenticalContentRows;
using matcher_detail::kMinIdenticalRows;
using matcher_detail::kPixelCheckTolerance;

struct Geometry {
    int32_t W = 0, H = 0;
    int32_t minOverlap = 0, maxOverlap = 0;
    int32_t x0 = 0, x1 = 0, columnStep = 1;
    int32_t fixedTop = 0, fixedBottom = 0, topSkip = 0;
};

struct ColumnSpan {
    int32_t left = 0;
    int32_t width = 0;
};

// Row y, bin b at [y * kBins + b].
struct RowProfiles {
    int32_t rows = 0;
    std::vector<float> ink;
    std::vector<float> edge;
};

struct IdenticalOverlap {
    int32_t overlap = 0;
    int32_t rows = 0;
};

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

ColumnSpan contentSpan(const PixelImage& prev, const PixelImage& next, const SidePanels& panels) {
    const int32_t W = std::min(prev.width, next.width);
    const int32_t left = std::clamp(panels.left, 0, W);
    const int32_t right = std::clamp(panels.right, 0, W - left);
    // Panels that leave fewer than two columns of content are no panels.
    if (W - left - right < 2) return {0, W};
    return {left, W - left - right};
}

int32_t detectFixedTop(const PixelImage& prev, const PixelImage& next, ColumnSpan span) {
    const int32_t H = std::min(prev.height, next.height);
    return scanFixedBand(prev, next, span, std::min(H / 3, 160), [](int32_t r) { return r; });
}

int32_t detectFixedBottom(const PixelImage& prev, const PixelImage& next, ColumnSpan span) {
    const int32_t H = std::min(prev.height, next.height);
    return scanFixedBand(prev, next, span, std::min(H / 4, 140), [H](int32_t r) { return H - 1 - r; });
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
    for (int32_t y = 0; y < image.height; ++y) {
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
