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

StripShadow promptStripShadow(const Rect& s, uint32_t dpi) {
    auto M = [dpi](int32_t n) { return dipsToPixels(n, dpi); };
    const int32_t k = M(8);
    return {{s.left - M(12), s.top + M(5), s.right + M(12), s.bottom + M(18)}, 4 * k,
            {s.left - M(6), s.top + M(4), s.right + M(6), s.bottom + M(12)}, 3 * k, 2 * k};
}

namespace {

// Cuts the texts of a content wider than the strip less its end pads, so that
// the glyph, the key cap and its label stay whole and inside the strip: the
// status gives way first, then the title.
void fitTexts(int32_t& titleW, int32_t& statusW, bool stacked, int32_t excess) {
    if (excess <= 0) return;
    if (stacked) {
        const int32_t column = std::max(0, std::max(titleW, statusW) - excess);
        titleW = std::min(titleW, column);
        statusW = std::min(statusW, column);
        return;
    }
    const int32_t fromStatus = std::min(statusW, excess);
    statusW -= fromStatus;
    titleW = std::max(0, titleW - (excess - fromStatus));
}

}  // namespace

StripLayout layoutPromptStrip(const Rect& s, const StripContent& c, uint32_t dpi) {
    auto M = [dpi](int32_t n) { return dipsToPixels(n, dpi); };
    const int32_t pad = M(12), keyW = M(34), keyH = M(24), glyphSize = M(17);
    const int32_t labelW = c.capturing ? M(c.english ? 92 : 68) : M(c.english ? 42 : 32);
    const int32_t x = s.left, y = s.top, stripW = s.width(), stripH = s.height();
    const bool stacked = c.stacked && c.hasStatus;
    int32_t titleW = c.titleWidth, statusW = c.hasStatus ? c.statusWidth : 0;
    int32_t fixed = 0;  // all but the texts
    if (c.glyph) fixed += pad + glyphSize;
    if (c.hasStatus && !stacked) fixed += pad;
    if (c.escKey) fixed += labelW + 2 * pad + keyW;
    const int32_t textsW = stacked ? std::max(titleW, statusW) : titleW + statusW;
    fitTexts(titleW, statusW, stacked, fixed + textsW - (stripW - 2 * pad));
    const int32_t columnW = stacked ? std::max(titleW, statusW) : titleW;
    const int32_t content = fixed + (stacked ? columnW : titleW + statusW);
    int32_t cx = x + (stripW - content) / 2;

    StripLayout l;
    if (c.glyph) {
        l.glyph = {cx, y + (stripH - glyphSize) / 2, cx + glyphSize, y + (stripH + glyphSize) / 2};
        cx = l.glyph.right + pad;
    }
    if (stacked) {
        const int32_t mid = y + stripH / 2 + M(1);
        l.title = {cx, y + M(4), cx + titleW + 2, mid};
        l.status = {cx, mid, cx + statusW + 2, y + stripH - M(5)};
        cx += columnW + pad;
    } else {
        l.title = {cx, y, cx + titleW + 2, y + stripH};
        cx += titleW + pad;
        if (c.hasStatus) {
            l.status = {cx, y, cx + statusW + 2, y + stripH};
            cx += statusW + pad;
        }
    }
    if (c.escKey) {
        l.key = {cx, y + (stripH - keyH) / 2, cx + keyW, y + (stripH + keyH) / 2};
        l.keyDiameter = 2 * M(5);
        l.label = {l.key.right + pad, y, l.key.right + pad + labelW, y + stripH};
    }
    return l;
}

bool rectsIntersect(const Rect& a, const Rect& b) {
    const bool empty = a.left >= a.right || a.top >= a.bottom || b.left >= b.right || b.top >= b.bottom;
    return !empty && a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace tf
