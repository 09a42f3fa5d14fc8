#include "core/capture/capture_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/tuning.h"
#include "ground/dpi.h"

namespace tf {

int32_t minimumSelectionSize(uint32_t dpi) { return dipsToPixels(32, dpi); }

Rect normalizedSelection(Point anchor, Point current) {
    return Rect{std::min(anchor.x, current.x), std::min(anchor.y, current.y), std::max(anchor.x, current.x),
                std::max(anchor.y, current.y)};
}

Point clampPointToRect(Point p, const Rect& r) {
    return Point{std::clamp(p.x, r.left, std::max(r.left, r.right)), std::clamp(p.y, r.top, std::max(r.top, r.bottom))};
}

bool selectionLargeEnough(const Rect& r, uint32_t dpi) {
    const int64_t minSize = minimumSelectionSize(dpi);
    // 64 bits: a rectangle spanning the whole coordinate range must not wrap.
    return int64_t{r.right} - r.left >= minSize && int64_t{r.bottom} - r.top >= minSize;
}

bool captureMayStart(UiState page, bool saveInProgress) { return page == UiState::Capturing && !saveInProgress; }

int32_t wheelDeltaForLines(uint32_t lines) {
    if (lines == 0) return 0;
    if (lines == kWheelPageScroll) return -kMinWheelDelta;
    // Settings beyond the 32-bit signed range scroll at least as far as 120 lines.
    const int32_t perNotch = lines > 0x7FFFFFFFu ? 0 : mulDiv(kWheelDeltaPerNotch, static_cast<int32_t>(kDefaultWheelLines), static_cast<int32_t>(lines));
    return -std::min(std::max(perNotch, kMinWheelDelta), kWheelDeltaPerNotch);
}

int32_t stillProbeLimit(int32_t wheelDelta) {
    const int64_t magnitude = std::max<int64_t>(std::llabs(int64_t{wheelDelta}), 1);
    return static_cast<int32_t>(std::max<int64_t>(kMinStillProbes, (magnitude + kWheelDeltaPerNotch - 1) / magnitude + 1));
}

int32_t probeLimit(int32_t stillLimit) { return std::max(2 * stillLimit, kMinProbesPerStep); }

bool framesNearlyIdentical(const PixelImage& a, const PixelImage& b) {
    const int32_t w = std::min(a.width, b.width);
    const int32_t h = std::min(a.height, b.height);
    if (h < 1 || w < 1) return false;
    const int32_t rowStep = std::max(h / 64, 1);
    const int32_t columnStep = std::max(w / 64, 1);
    uint64_t sum = 0;
    uint64_t count = 0;
    for (int32_t y = 0; y < h; y += rowStep) {
        const uint32_t* ra = a.row(y);
        const uint32_t* rb = b.row(y);
        for (int32_t x = 0; x < w; x += columnStep) {
            const uint32_t pa = ra[x];
            const uint32_t pb = rb[x];
            for (int shift = 0; shift <= 16; shift += 8) {
                const int ca = static_cast<int>((pa >> shift) & 0xFFu);
                const int cb = static_cast<int>((pb >> shift) & 0xFFu);
                sum += static_cast<uint64_t>(std::abs(ca - cb));
            }
            ++count;
        }
    }
    if (count == 0) return false;
    return sum / count < kStillMeanDifference;
}

int32_t keepScrollingOverlapLimit(int32_t frameHeight) {
    return static_cast<int32_t>(std::lround(static_cast<double>(frameHeight) * kKeepScrollingShare));
}

}  // namespace tf
