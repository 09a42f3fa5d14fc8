#pragma once
// The pure rules of choosing an area and of the auto-scroll capture loop: the
// minimum selection, the wheel step, the still-frame test, the probe limits
// and the finish-request latch.

#include <atomic>
#include <cstdint>

#include "core/app/ui_state.h"
#include "core/tuning.h"
#include "ground/rect.h"
#include "ground/pixel_image.h"

namespace tf {

// --- area selection ---

// Smallest accepted selection side in pixels: 32 DIPs at `dpi` (96 when 0).
int32_t minimumSelectionSize(uint32_t dpi);

// The rectangle spanned by two drag points, left < right and top < bottom
// whichever way the user dragged.
Rect normalizedSelection(Point anchor, Point current);

// Both ends inclusive: a drag may reach the work area's right and bottom edge.
Point clampPointToRect(Point p, const Rect& r);

// The drag is kept as the capture area when both sides reach the minimum.
bool selectionLargeEnough(const Rect& r, uint32_t dpi);

// --- capture loop ---

// A capture starts only on the page that shows it and never while the last
// one is still being saved: the loops themselves know nothing of either.
bool captureMayStart(UiState page, bool saveInProgress);

// The value the system reports for "one screen per notch".
inline constexpr uint32_t kWheelPageScroll = 0xFFFFFFFFu;

// mouseData of every synthesised notch for the system's wheel-lines setting,
// chosen to scroll about three lines: 0 lines give 0 (the wheel is off).
int32_t wheelDeltaForLines(uint32_t lines);

// Consecutive probes without motion that end the page.
int32_t stillProbeLimit(int32_t wheelDelta);

// Most probes per step.
int32_t probeLimit(int32_t stillLimit);

// True when a sparse sample (about 64 × 64 pixels) of the common area differs
// by less than 3 in R + G + B on average; false when there is nothing to compare.
bool framesNearlyIdentical(const PixelImage& a, const PixelImage& b);

// round(height × kKeepScrollingShare), halves away from zero: frames whose
// overlap with the last kept frame is above it are too close to keep yet.
int32_t keepScrollingOverlapLimit(int32_t frameHeight);

// --- finish request ---

// Raised by a finish key or by the capture overlay on a display change,
// cleared only when a capture starts. The first request wins: later ones
// change nothing. Atomic, as the overlay may raise it while a loop polls it.
class FinishLatch {
public:
    // Raises the latch from false to true; true when this call raised it.
    bool request() {
        bool expected = false;
        return raised_.compare_exchange_strong(expected, true);
    }
    bool requested() const { return raised_.load(); }
    // At the start of a capture.
    void clear() { raised_.store(false); }

private:
    std::atomic<bool> raised_{false};
};

}  // namespace tf
