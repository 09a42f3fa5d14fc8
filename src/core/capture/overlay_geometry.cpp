#include "core/capture/overlay_geometry.h"

#include <algorithm>

#include "ground/dpi.h"

namespace tf {

IndicatorGeometry captureIndicatorGeometry(const Rect& c, const Rect& b, uint32_t dpi) {
    auto M = [dpi](int32_t n) { return dipsToPixels(n, dpi); };
    IndicatorGeometry g;
    g.lineWidth = std::max(M(2), 2);
    g.dot = std::max(M(4), 1);
    g.arrow = std::max(M(11), 1);
    const int32_t gap = M(4);
    const int32_t inset = std::max(g.lineWidth + 1, M(3));
    const int32_t tail = M(4);

    if (c.bottom - c.top < g.arrow + 2 * (g.dot + inset) + tail) return g;

    const int32_t reach = g.arrow + g.lineWidth + gap;
    const int32_t need = 2 * (g.arrow + g.lineWidth) + 2 + gap;
    if (b.right - c.right >= need) {
        g.x = c.right + 1 + reach;
    } else if (c.left - b.left >= need) {
        g.x = c.left - (reach + 1);
    } else {
        return g;
    }

    const int32_t first = c.top + g.dot + inset;
    const int32_t length = std::min(c.bottom - inset - 1 - first, M(194));
    if (length < g.arrow + g.dot + tail) return g;
    const int32_t last = c.bottom - inset - 1 - length;
    g.top = std::min(std::max(c.top + M(320), first), last);
    g.bottom = g.top + length;
    g.visible = true;
    return g;
}

std::optional<Rect> promptStripArea(const Rect& c, const Rect& b, uint32_t dpi) {
    auto M = [dpi](int32_t n) { return dipsToPixels(n, dpi); };
    const int32_t gapTop = M(24), stripH = M(48), stripW = M(420), side = M(12), below = M(18), gap = M(8);
    if (c.top - b.top >= stripH + below + gapTop) return b;
    if (b.bottom - c.bottom >= gap + below + stripH) return Rect{b.left, c.bottom - gapTop + gap, b.right, b.bottom};
    const int32_t low = b.top - gapTop;
    const int32_t y = std::clamp((c.top + c.bottom - stripH) / 2 - gapTop, low,
                                 std::max(low, b.bottom - below - stripH - gapTop));
    const int32_t need = gap + 2 * side + stripW;
    if (b.right - c.right >= need) return Rect{c.right + gap + side, y, b.right - side, b.bottom};
    if (c.left - b.left >= need) return Rect{b.left + side, y, c.left - gap - side, b.bottom};
    return std::nullopt;
}

Rect promptStripRect(const Rect& a, uint32_t dpi) {
    const int32_t stripW = dipsToPixels(420, dpi);
    const int32_t stripH = dipsToPixels(48, dpi);
    const int32_t x = a.left + (a.right - a.left - stripW) / 2;
    const int32_t y = a.top + dipsToPixels(24, dpi);
    return {x, y, x + stripW, y + stripH};
}

Rect promptStripOuterRect(const Rect& s, uint32_t dpi) {
    const int32_t side = dipsToPixels(12, dpi);
    return {s.left - side, s.top, s.right + side, s.bottom + dipsToPixels(18, dpi)};
}

bool rectsIntersect(const Rect& a, const Rect& b) {
    const bool empty = a.left >= a.right || a.top >= a.bottom || b.left >= b.right || b.top >= b.bottom;
    return !empty && a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace tf
