#pragma once
// Picking an area with one click on the selection overlay: when a press and
// release count as a click, which part of the window under the pointer is
// offered, and what a release asks for. Pure, in virtual-desktop pixels, so
// that negative monitor coordinates and mixed DPI are tested without a screen.

#include <cstdint>
#include <optional>
#include <span>

#include "ground/rect.h"

namespace tf {

// A pointer that moved at most this far in either direction between press
// and release has clicked, not dragged: hands shake a little while clicking.
inline constexpr int32_t kClickSlopPx = 3;

bool isClick(Point press, Point release);

// The part of a window that a click offers: its client area less the scroll
// bars that lie inside it along its right or bottom edge, clipped to the
// monitor's work area. Empty (all zero) when the rest is smaller than the
// smallest selection at `dpi`, so that it is neither shown nor picked.
Rect pickHighlight(const Rect& client, std::span<const Rect> scrollBars, const Rect& workArea, uint32_t dpi);

// One window on the way from the deepest window under the pointer up to its
// top-level window: its client area and the scroll bars found on it.
struct PickCandidate {
    Rect client;
    std::span<const Rect> scrollBars;
};

// The highlight of the first candidate (deepest first) that offers an area:
// pointing at a small control inside a pane offers the pane. Empty when none does.
Rect firstPickHighlight(std::span<const PickCandidate> deepestFirst, const Rect& workArea, uint32_t dpi);

// The capture area a left-button release asks for, or nothing (the drag or
// click is discarded and the person tries again). A click takes the area that
// was highlighted; anything else is the dragged rectangle, kept when large
// enough. A picked area therefore goes the same way a drag of it would.
std::optional<Rect> releasedArea(Point press, Point release, const Rect& highlight, uint32_t dpi);

}  // namespace tf
