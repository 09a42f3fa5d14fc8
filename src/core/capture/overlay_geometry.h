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

// The soft shadow under the strip while capturing and saving: two rounded
// rectangles, the wider one lower, and the corner diameters of both and of the body.
struct StripShadow {
    Rect outer;
    int32_t outerDiameter = 0;
    Rect inner;
    int32_t innerDiameter = 0;
    int32_t bodyDiameter = 0;
    bool operator==(const StripShadow&) const = default;
};
StripShadow promptStripShadow(const Rect& strip, uint32_t dpi);

// What the strip shows, measured by the painter in pixels.
struct StripContent {
    int32_t titleWidth = 0;
    bool hasStatus = false;
    int32_t statusWidth = 0;
    bool stacked = false;  // the status under the title in one column, so the strip keeps its width
    bool glyph = false;    // the turning status glyph before the title
    bool escKey = false;   // the Esc key cap and its label after the texts
    bool capturing = false;  // the key's label says finish (capturing) or cancel (selecting)
    bool english = false;
};
// Where it goes: the content is centred as one row in the strip; the boxes
// a content does not show are empty. Texts get two pixels beyond their width;
// a content too wide for the strip has its texts cut (the painter ends them
// with an ellipsis), never the strip's edges crossed.
struct StripLayout {
    Rect glyph;
    Rect title;
    Rect status;
    Rect key;
    int32_t keyDiameter = 0;
    Rect label;
    bool operator==(const StripLayout&) const = default;
};
StripLayout layoutPromptStrip(const Rect& strip, const StripContent& content, uint32_t dpi);

// Half-open rectangles share at least one pixel (never true for an empty one).
bool rectsIntersect(const Rect& a, const Rect& b);

}  // namespace tf
