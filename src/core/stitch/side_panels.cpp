#include "core/stitch/side_panels.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "core/stitch/frame_bands.h"
#include "core/stitch/matcher.h"
#include "core/tuning.h"

namespace tf {
namespace {

constexpr int32_t kEdgeSkip = 4;  // differing columns at the very edge that may be skipped

// Width of the run of unchanged columns from one edge; `columnAt(i)` maps the
// i-th column from that edge to its mean difference.
template <typename ColumnAt>
int32_t unchangedRun(int32_t width, ColumnAt columnAt) {
    int32_t i = 0;
    while (i < kEdgeSkip && i < width && columnAt(i) > kUnchangedMeanLuma) ++i;
    if (i == kEdgeSkip) return 0;  // the edge itself moves: no panel
    while (i < width && columnAt(i) <= kUnchangedMeanLuma) ++i;
    return i;
}

// Whether joining the band [x0, x1) as content would repeat it. A band that
// stays put, joined as content, shows below the first frame every later
// frame's own slice of it: the band's rows between the bars fixed at the top
// and the bottom of the frame, which is where the seams fall. That gives the
// right picture only when those rows are all alike along the scroll direction
// (a blank margin, a table's border line running down the page); any edge
// between them (an icon, a word, the end of a search box) is repeated once
// per frame, however little text the band holds. The edges must also stay in
// place between the two frames: columns that only look unchanged on average
// (a margin that moving rules cross) hold content that moves, and joining them
// as content is right.
bool joiningRepeatsIt(const PixelImage& prev, const PixelImage& next, int32_t x0, int32_t x1, int32_t firstRow,
                      int32_t endRow) {
    auto inPlace = [&](int32_t y) {
        const uint32_t* a = prev.row(y);
        const uint32_t* b = next.row(y);
        for (int32_t x = x0; x < x1; ++x)
            if (std::abs(luma(a[x]) - luma(b[x])) >= 24) return false;
        return true;
    };
    // Edges between the rows that are repeated; the one at the top band's
    // lower end lies above every seam and is shown once anyway.
    int32_t edgeRows = 0, edgeRowsInPlace = 0;
    for (int32_t y = std::max(firstRow + 1, 1); y < endRow; ++y) {
        const uint32_t* above = prev.row(y - 1);
        const uint32_t* here = prev.row(y);
        bool edge = false;
        for (int32_t x = x0; x < x1 && !edge; ++x) edge = std::abs(luma(here[x]) - luma(above[x])) >= 24;
        if (!edge) continue;
        ++edgeRows;
        edgeRowsInPlace += inPlace(y) && inPlace(y - 1);
    }
    return edgeRows > 0 && 2 * edgeRowsInPlace > edgeRows;
}

// Rows y and z of the band [x0, x1) look the same.
bool sameBandRows(const PixelImage& a, int32_t y, const PixelImage& b, int32_t z, int32_t x0, int32_t x1) {
    const uint32_t* ra = a.row(y);
    const uint32_t* rb = b.row(z);
    for (int32_t x = x0; x < x1; ++x)
        if (std::abs(luma(ra[x]) - luma(rb[x])) >= 24) return false;
    return true;
}

// Whether the band [x0, x1) repeats itself along the scroll direction with a
// period that fits at least three times between firstRow and endRow: a column
// of the same words at the start of every line (labels, indentation, the fixed
// part of a timestamp).
bool repeatsAlongTheScroll(const PixelImage& image, int32_t x0, int32_t x1, int32_t firstRow, int32_t endRow) {
    const int32_t span = endRow - firstRow;
    for (int32_t period = 2; period <= span / 3; ++period) {
        bool repeats = true;
        for (int32_t y = firstRow; y + period < endRow && repeats; ++y)
            repeats = sameBandRows(image, y, image, y + period, x0, x1);
        if (repeats) return true;
    }
    return false;
}

// Whether a band that repeats along the scroll also moved with the content
// between the panels: moved by a multiple of its period, such a band looks
// as if it had stayed put, yet it is content, and taken for a panel it would
// be shown once and lost below the first frame. A fixed band that repeats
// with another period does not follow the content and stays a panel.
bool movesWithTheContent(const PixelImage& prev, const PixelImage& next, const SidePanels& panels, int32_t x0,
                         int32_t x1, int32_t firstRow, int32_t endRow) {
    const MatchResult m = matchFramesBetweenPanels(prev, next, 0, kPriorTolerance, panels);
    if (!m.matched) return false;
    const int32_t shift = prev.height - m.overlap;
    if (shift <= 0 || firstRow + shift >= endRow) return false;
    for (int32_t y = firstRow; y + shift < endRow; ++y)
        if (!sameBandRows(prev, y + shift, next, y, x0, x1)) return false;
    return true;
}

bool repeatsWithTheContent(const PixelImage& prev, const PixelImage& next, const SidePanels& panels, int32_t x0,
                           int32_t x1, int32_t firstRow, int32_t endRow) {
    return repeatsAlongTheScroll(prev, x0, x1, firstRow, endRow) &&
           movesWithTheContent(prev, next, panels, x0, x1, firstRow, endRow);
}

}  // namespace

uint32_t dominantColour(const PixelImage& image, int32_t x0, int32_t x1) {
    std::unordered_map<uint32_t, uint32_t> counts;
    uint32_t best = 0xFFFFFFFFu, bestCount = 0;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, image.width);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = x0; x < x1; ++x) {
            const uint32_t c = image.at(x, y);
            const uint32_t n = ++counts[c];
            if (n > bestCount || (n == bestCount && c < best)) {
                best = c;
                bestCount = n;
            }
        }
    return best;
}

SidePanels detectSidePanels(const PixelImage& prev, const PixelImage& next) {
    const int32_t W = std::min(prev.width, next.width);
    const int32_t H = std::min(prev.height, next.height);
    if (W < 2 * kMinPanelWidth || H < 33) return {};

    const int32_t rowStep = std::max(H / 200, 1);
    std::vector<double> columnDiff(static_cast<size_t>(W), 0.0);
    int32_t rows = 0;
    for (int32_t y = 0; y < H; y += rowStep) {
        const uint32_t* a = prev.row(y);
        const uint32_t* b = next.row(y);
        for (int32_t x = 0; x < W; ++x) columnDiff[static_cast<size_t>(x)] += std::abs(luma(a[x]) - luma(b[x]));
        ++rows;
    }
    for (double& d : columnDiff) d /= rows;

    const int32_t maxWidth = static_cast<int32_t>(W * kMaxPanelShare);
    SidePanels p;
    p.left = unchangedRun(W, [&](int32_t i) { return columnDiff[static_cast<size_t>(i)]; });
    p.right = unchangedRun(W, [&](int32_t i) { return columnDiff[static_cast<size_t>(W - 1 - i)]; });
    if (p.left < kMinPanelWidth || p.left > maxWidth) p.left = 0;
    if (p.right < kMinPanelWidth || p.right > maxWidth) p.right = 0;
    if (!p.any()) return {};
    // The rows the seams fall between: below and above the bars fixed across the content.
    const matcher_detail::ColumnSpan span = matcher_detail::contentSpan(prev, next, p);
    const int32_t firstRow = matcher_detail::detectFixedTop(prev, next, span);
    const int32_t endRow = H - matcher_detail::detectFixedBottom(prev, next, span);
    const SidePanels candidates = p;
    if (p.left > 0 && (!joiningRepeatsIt(prev, next, 0, p.left, firstRow, endRow) ||
                       repeatsWithTheContent(prev, next, candidates, 0, p.left, firstRow, endRow)))
        p.left = 0;
    if (p.right > 0 && (!joiningRepeatsIt(prev, next, W - p.right, W, firstRow, endRow) ||
                        repeatsWithTheContent(prev, next, candidates, W - p.right, W, firstRow, endRow)))
        p.right = 0;
    if (!p.any()) return {};

    // The columns between the panels must have moved, or nothing scrolled at all.
    double moved = 0.0;
    for (int32_t x = p.left; x < W - p.right; ++x) moved += columnDiff[static_cast<size_t>(x)];
    if (W - p.right - p.left <= 0 || moved / (W - p.right - p.left) <= kUnchangedMeanLuma) return {};
    return p;
}

SidePanels detectCapturePanels(const std::vector<PixelImage>& frames) {
    std::vector<SidePanels> pairs;
    for (size_t i = 1; i < frames.size(); ++i) pairs.push_back(detectSidePanels(frames[i - 1], frames[i]));
    return capturePanelsOfPairs(pairs);
}

SidePanels capturePanelsOfPairs(const std::vector<SidePanels>& pairPanels) {
    if (pairPanels.empty()) return {};
    // A panel counts for the capture when most pairs see it, and then with the
    // narrowest width any of them saw. Not every pair: a sticky table of contents
    // often moves up into place during the first notch, while the page header
    // above it scrolls away, and is fixed from then on.
    const size_t pairs = pairPanels.size();
    const size_t needed = (2 * pairs + 2) / 3;
    size_t leftSeen = 0, rightSeen = 0;
    SidePanels shared{INT32_MAX, INT32_MAX};
    for (const SidePanels& p : pairPanels) {
        if (p.left > 0) {
            ++leftSeen;
            shared.left = std::min(shared.left, p.left);
        }
        if (p.right > 0) {
            ++rightSeen;
            shared.right = std::min(shared.right, p.right);
        }
    }
    if (leftSeen < needed) shared.left = 0;
    if (rightSeen < needed) shared.right = 0;
    return shared;
}

SidePanels panelsForPair(const SidePanels& capture, const SidePanels& pair) {
    return capture.any() ? capture : pair;
}

}  // namespace tf
