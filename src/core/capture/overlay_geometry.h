#pragma once
// Placement rules of the capture overlay's scroll indicator and prompt strip:
// pure functions in overlay-relative pixels, so that negative monitor
// coordinates and mixed DPI are tested without a screen.

#include <cstdint>
#include <optional>

#include "ground/rect.h"

namespace tf {

// The vertical scroll indicator beside the capture area: a line from `top` to
// `bottom` at column `x`, a dot of radius `dot` on its top end and a downward
// chevron of half-width `arrow` drawn with `lineWidth` at its bottom end.
struct IndicatorGeometry {
    bool visible = false;
    int32_t x = 0;
    int32_t top = 0;
    int32_t bottom = 0;
    int32_t dot = 0;
    int32_t arrow = 0;
    int32_t lineWidth = 0;
    bool operator==(const IndicatorGeometry&) const = default;
};

// Right of the area when there is room, else left of it; hidden on areas too
// short for it or with no room on either side.
IndicatorGeometry captureIndicatorGeometry(const Rect& capture, const Rect& bounds, uint32_t dpi);

// The area the prompt strip is centred in during capturing and saving: the
// whole bounds when there is room above the capture area, else just below it,
// else beside it; nothing when there is no room anywhere.
std::optional<Rect> promptStripArea(const Rect& capture, const Rect& bounds, uint32_t dpi);

// The strip's body in an area: 420 × 48 DIPs, centred horizontally, 24 DIPs
// below the area's top.
Rect promptStripRect(const Rect& area, uint32_t dpi);

// The body together with its shadow margins (12 DIPs left and right, 18 below).
Rect promptStripOuterRect(const Rect& strip, uint32_t dpi);

// Half-open rectangles share at least one pixel (never true for an empty one).
bool rectsIntersect(const Rect& a, const Rect& b);

}  // namespace tf
