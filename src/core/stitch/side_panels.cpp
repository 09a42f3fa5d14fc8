#include "core/stitch/side_panels.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

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

// A panel shows text along its length: many of its rows hold something other
// than its background, and a fair share of rows hold vertical edges. A blank
// margin, the vertical border of a table or a sticky header's icons also stay
// put while the page scrolls but fail one of the two; they are left to the
// content (joining them as content gives the same picture).
bool textAlongItsLength(const PixelImage& img, int32_t x0, int32_t x1) {
    const int background = luma(dominantColour(img, x0, x1));
    int32_t rowsWithEdges = 0, rowsWithContent = 0, rows = 0;
    for (int32_t y = 1; y < img.height; ++y) {
        const uint32_t* above = img.row(y - 1);
        const uint32_t* here = img.row(y);
        bool edge = false, content = false;
        for (int32_t x = x0; x < x1 && !(edge && content); ++x) {
            const int v = luma(here[x]);
            edge = edge || std::abs(v - luma(above[x])) >= 24;
            content = content || std::abs(v - background) >= 24;
        }
        rowsWithEdges += edge;
        rowsWithContent += content;
        ++rows;
    }
    return rows > 0 && rowsWithEdges * 12 >= rows && rowsWithContent * 5 >= rows;
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
    if (p.left < kMinPanelWidth || p.left > maxWidth || !textAlongItsLength(prev, 0, p.left)) p.left = 0;
    if (p.right < kMinPanelWidth || p.right > maxWidth || !textAlongItsLength(prev, W - p.right, W)) p.right = 0;
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
