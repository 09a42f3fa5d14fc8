#include "core/stitch/small_shift.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/stitch/frame_bands.h"

namespace tf {
namespace {

// In mean |ΔY| per sampled pixel: the whole compared area must agree as
// closely as the matcher's unchanged bands do (kUnchangedMeanLuma), and no
// single row may differ clearly (a real change confined to a few rows must not
// pass as a shift).
constexpr double kRowLimit = 24.0;

}  // namespace

int32_t smallShiftRows(const PixelImage& prev, const PixelImage& next, const SidePanels& panels) {
    const int32_t H = std::min(prev.height, next.height);
    if (std::min(prev.width, next.width) < 2 || H < 33) return 0;

    // The matcher's column band (between the panels), sampled about 160 times per row.
    const matcher_detail::ColumnSpan span = matcher_detail::contentSpan(prev, next, panels);
    const auto [x0, x1] = matcher_detail::contentColumns(span);
    const int32_t step = std::max((x1 - x0) / 160, 1);
    std::vector<int32_t> columns;
    for (int32_t x = x0; x < x1; x += step) columns.push_back(x);
    const size_t n = columns.size();

    // Rows anchored at each frame's top, as the capture rectangle is.
    const int32_t top = matcher_detail::detectFixedTop(prev, next, span);
    const int32_t bottom = matcher_detail::detectFixedBottom(prev, next, span);
    auto lumaRows = [&](const PixelImage& img) {
        std::vector<uint8_t> rows(static_cast<size_t>(H) * n);
        for (int32_t y = 0; y < H; ++y)
            for (size_t i = 0; i < n; ++i) rows[static_cast<size_t>(y) * n + i] = static_cast<uint8_t>(luma(img.at(columns[i], y)));
        return rows;
    };
    const std::vector<uint8_t> a = lumaRows(prev), b = lumaRows(next);

    // No shift at all competes too: frames that agree as well or better
    // unshifted (blank or repeating rows) did not move by a few rows.
    int32_t bestShift = 0;
    double bestMean = kUnchangedMeanLuma;
    bool unshiftedFits = false;
    for (int32_t d = 0; d <= kSmallShiftMaxRows; ++d) {
        // next row y shows prev row y + d; both must lie between the fixed bands.
        const int32_t first = top;
        const int32_t end = H - bottom - d;
        if (end - first < 16) continue;
        uint64_t total = 0;
        bool rowTooDifferent = false;
        for (int32_t y = first; y < end && !rowTooDifferent; ++y) {
            const uint8_t* pa = &a[static_cast<size_t>(y + d) * n];
            const uint8_t* pb = &b[static_cast<size_t>(y) * n];
            uint64_t rowSum = 0;
            for (size_t i = 0; i < n; ++i) rowSum += static_cast<uint64_t>(std::abs(pa[i] - pb[i]));
            total += rowSum;
            rowTooDifferent = static_cast<double>(rowSum) / static_cast<double>(n) > kRowLimit;
        }
        if (rowTooDifferent) continue;
        const double mean = static_cast<double>(total) / (static_cast<double>(end - first) * static_cast<double>(n));
        if (d == 0) {
            unshiftedFits = mean <= kUnchangedMeanLuma;
            bestMean = mean;
        } else if (mean <= kUnchangedMeanLuma && (unshiftedFits ? mean < bestMean : (bestShift == 0 || mean < bestMean))) {
            bestShift = d;
            bestMean = mean;
        }
    }
    return bestShift;
}

}  // namespace tf
