// Pixel checks: what the rows themselves say about an overlap that the row
// profiles chose, or could not choose: row fingerprints, rows that disagree,
// and rows identical in both frames.

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/stitch/matcher_internal.h"

namespace tf::matcher_detail {

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

bool identicalBetweenBands(const PixelImage& prev, const PixelImage& next, const Geometry& g, int32_t overlap) {
    if (overlap < g.minOverlap || overlap > g.maxOverlap) return false;
    const int32_t shift = prev.height - overlap;
    const size_t bytes = static_cast<size_t>(g.x1 - g.x0) * sizeof(uint32_t);
    for (int32_t r = g.fixedTop; r < overlap - g.fixedBottom; ++r)
        if (std::memcmp(prev.row(r + shift) + g.x0, next.row(r) + g.x0, bytes) != 0) return false;
    return true;
}

}  // namespace tf::matcher_detail
