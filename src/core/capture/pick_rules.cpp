#include "core/capture/pick_rules.h"

#include <algorithm>
#include <cstdlib>

#include "core/capture/capture_rules.h"

namespace tf {

bool isClick(Point press, Point release) {
    // 64 bits: points far apart across the coordinate range must not wrap.
    return std::llabs(int64_t{release.x} - press.x) <= kClickSlopPx &&
           std::llabs(int64_t{release.y} - press.y) <= kClickSlopPx;
}

namespace {

bool overlaps(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A bar cuts the area only where it lies along an edge: a tall one on the
// right, a wide one at the bottom. A bar in the middle of a window (a child
// control of its own) says nothing about the area's edge and is left alone.
void removeBar(Rect& area, const Rect& bar) {
    if (bar.width() <= 0 || bar.height() <= 0 || !overlaps(area, bar)) return;
    const bool vertical = bar.height() >= bar.width();
    if (vertical && bar.right >= area.right && bar.left > area.left) {
        area.right = bar.left;
    } else if (!vertical && bar.bottom >= area.bottom && bar.top > area.top) {
        area.bottom = bar.top;
    }
}

}  // namespace

Rect pickHighlight(const Rect& client, std::span<const Rect> scrollBars, const Rect& workArea, uint32_t dpi) {
    Rect area = client;
    // The vertical bars first: a bottom bar then ends where the vertical one begins.
    for (const Rect& bar : scrollBars)
        if (bar.height() >= bar.width()) removeBar(area, bar);
    for (const Rect& bar : scrollBars)
        if (bar.height() < bar.width()) removeBar(area, bar);
    area = {std::max(area.left, workArea.left), std::max(area.top, workArea.top), std::min(area.right, workArea.right),
            std::min(area.bottom, workArea.bottom)};
    if (area.right <= area.left || area.bottom <= area.top || !selectionLargeEnough(area, dpi)) return {};
    return area;
}

Rect firstPickHighlight(std::span<const PickCandidate> deepestFirst, const Rect& workArea, uint32_t dpi) {
    for (const PickCandidate& c : deepestFirst) {
        const Rect h = pickHighlight(c.client, c.scrollBars, workArea, dpi);
        if (h.width() > 0) return h;
    }
    return {};
}

std::optional<Rect> releasedArea(Point press, Point release, const Rect& highlight, uint32_t dpi) {
    const Rect area = isClick(press, release) ? highlight : normalizedSelection(press, release);
    if (!selectionLargeEnough(area, dpi)) return std::nullopt;
    return area;
}

}  // namespace tf
