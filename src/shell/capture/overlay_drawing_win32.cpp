// Pictures of the overlay window: the dimmed selection view, the capture view
// and the saving view. GDI draws colour into a DIB and writes no alpha, so
// every shape also stamps its alpha into a separate mask with its own
// geometry; the two are merged into premultiplied BGRA for UpdateLayeredWindow.

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ground/dpi.h"
#include "core/capture/capture_controller.h"
#include "shell/capture/capture_globals_win32.h"
#include "core/capture/capture_rules.h"
#include "core/capture/overlay_geometry.h"
#include "core/capture/pick_rules.h"
#include "shell/capture/overlay_gdi_win32.h"
#include "shell/capture/screen_grab_win32.h"
#include "core/texts/texts.h"
#include "shell/ui/renderer_win32.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_rect.h"

namespace tf {
namespace {

constexpr IconId kStatusIcon = IconId::Status;


class OverlayPainter {
public:
    OverlayPainter(const CaptureArea& area, OverlayBuffer& buffer) : area_(area), buffer(buffer) {}

    int32_t M(int32_t dips) { return dipsToPixels(dips, area_.selection.overlayDpi); }

    bool english() { return area_.shell.settings().language == UiLanguage::English; }

    Rect clipped(const Rect& r) {
        return {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, buffer.width), std::min(r.bottom, buffer.height)};
    }

    void maskFillRect(const Rect& r, uint8_t alpha) {
        const Rect c = clipped(r);
        for (int32_t y = c.top; y < c.bottom; ++y)
            std::fill(buffer.mask.begin() + static_cast<ptrdiff_t>(y) * buffer.width + c.left,
                      buffer.mask.begin() + static_cast<ptrdiff_t>(y) * buffer.width + c.right, alpha);
    }

    // The region's own scan-line rectangles, not a membership test per pixel:
    // the same pixels, at a fraction of the cost on every redraw of the strip.
    void maskFillRoundRect(const Rect& r, int32_t diameter, uint8_t alpha) {
        const Rect c = clipped(r);
        if (c.left >= c.right || c.top >= c.bottom) return;
        UniqueGdiObject region(CreateRoundRectRgn(r.left, r.top, r.right + 1, r.bottom + 1, diameter, diameter));
        if (!region) return;
        HRGN rgn = static_cast<HRGN>(region.get());
        const DWORD bytes = GetRegionData(rgn, 0, nullptr);
        if (bytes < sizeof(RGNDATAHEADER)) return;
        std::vector<DWORD> storage((bytes + sizeof(DWORD) - 1) / sizeof(DWORD));
        RGNDATA* data = reinterpret_cast<RGNDATA*>(storage.data());
        if (GetRegionData(rgn, bytes, data) == 0 || data->rdh.iType != RDH_RECTANGLES) return;
        const DWORD room = static_cast<DWORD>((bytes - data->rdh.dwSize) / sizeof(RECT));
        const RECT* rects = reinterpret_cast<const RECT*>(reinterpret_cast<const BYTE*>(data) + data->rdh.dwSize);
        for (DWORD i = 0; i < std::min(data->rdh.nCount, room); ++i)
            maskFillRect(intersection(toRect(rects[i]), c), alpha);
    }

    void fillRect(const Rect& r, uint32_t hex) {
        UniqueGdiObject brush(CreateSolidBrush(rgb(hex)));
        const RECT rc = toRECT(r);
        FillRect(buffer.dc.get(), &rc, static_cast<HBRUSH>(brush.get()));
    }

    // Fill and stamp in one go: the common case of the flat shapes.
    void paintRect(const Rect& r, uint32_t hex, uint8_t alpha) {
        fillRect(r, hex);
        maskFillRect(r, alpha);
    }

    UniqueGdiObject makeFont(const wchar_t* face, int32_t sizeDips, int weight) {
        return UniqueGdiObject(CreateFontW(-M(sizeDips), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                           ANTIALIASED_QUALITY, 0, face));
    }




    // The status glyph, turned and scaled, blended onto its box.
    void drawGlyph(HDC dc, const Rect& box, float angleDegrees, float scale) {
        const int w = box.right - box.left, h = box.bottom - box.top;
        UniqueBitmap icon = rasterizeSvgIcon(kStatusIcon, w, h, rgb(0x3566D6), angleDegrees, scale);
        if (!icon) return;  // a glyph that cannot be rasterised is left out
        UniqueMemoryDc iconDc(CreateCompatibleDC(dc));
        if (!iconDc) return;
        SelectedObject sel(iconDc.get(), icon.get());
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, box.left, box.top, w, h, iconDc.get(), 0, 0, w, h, blend);
    }

    // The one area the selection view cuts out of the dimming and frames: the
    // rectangle being dragged, or, while the pointer rests (or has not yet
    // moved beyond a click), the area a click picks, drawn the same way
    // because it is the same thing. In overlay coordinates.
    struct ChosenArea {
        Rect rect;
        // Windows hands the pointer to the window below wherever a layered
        // window's alpha is 0. A dragged rectangle holds the mouse capture, so
        // its inside may be fully clear; a highlight must still take the click
        // that picks it, so its inside keeps the faintest alpha.
        uint8_t insideAlpha = 0;
    };
    std::optional<ChosenArea> chosenArea(const SelectionState& s) {
        ChosenArea chosen;
        Rect area;
        if (s.dragging && !isClick({s.anchor.x, s.anchor.y}, {s.current.x, s.current.y})) {
            area = normalizedSelection({s.anchor.x, s.anchor.y}, {s.current.x, s.current.y});
        } else if (s.highlight.width() > 0 && s.highlight.height() > 0) {
            area = s.highlight;
            chosen.insideAlpha = 1;
        } else {
            return std::nullopt;
        }
        const int32_t ox = area_.selection.overlayBounds.left, oy = area_.selection.overlayBounds.top;
        chosen.rect = {area.left - ox, area.top - oy, area.right - ox, area.bottom - oy};
        return chosen;
    }

    // The selection view composed straight into premultiplied pixels: the
    // dimmed desktop and the clear inside are one value each, filled at memory
    // speed, and only the boxes that hold the frame, its handles and the strip
    // are painted with GDI and premultiplied. A pointer move that changes the
    // highlight then costs little more than one fill of the screen. The result
    // is the same, pixel for pixel, as painting and premultiplying it all.
    void composeSelectionView(HDC dc, const SelectionState& s, const Rect& stripArea) {
        const std::optional<ChosenArea> chosen = chosenArea(s);
        std::fill(buffer.bits, buffer.bits + static_cast<size_t>(buffer.width) * buffer.height,
                  premultiplied(kDimColour, kDimAlpha));
        Rect inside;
        std::vector<Rect> boxes;
        if (chosen) {
            const Rect& r = chosen->rect;
            const int32_t bw = std::max(M(2), 2), half = bw / 2;
            inside = clipped({r.left + half, r.top + half, r.right - half, r.bottom - half});
            fillBits(inside, premultiplied(kDimColour, chosen->insideAlpha));
            // Bands along the four edges, wide enough for the handles and the
            // spill of their outline pen.
            const int32_t e = std::max(half, M(8) / 2) + bw + 1;
            boxes = {{r.left - e, r.top - e, r.right + e, r.top + e},
                     {r.left - e, r.bottom - e, r.right + e, r.bottom + e},
                     {r.left - e, r.top + e, r.left + e, r.bottom - e},
                     {r.right - e, r.top + e, r.right + e, r.bottom - e}};
        }
        const Rect strip = promptStripOuterRect(promptStripRect(stripArea, area_.selection.overlayDpi),
                                                area_.selection.overlayDpi);
        boxes.push_back({strip.left - 1, strip.top - 1, strip.right + 1, strip.bottom + 1});
        for (Rect& box : boxes) {
            box = clipped(box);
            fillBits(box, kDimColour);
            maskFillRect(box, kDimAlpha);
            if (chosen) maskFillRect(intersection(box, inside), chosen->insideAlpha);
        }
        if (chosen) drawChosenArea(dc, chosen->rect, chosen->insideAlpha);
        drawStrip(dc, UiState::Selecting, stripArea);
        GdiFlush();
        premultiplyBoxes(boxes);
    }

    void fillBits(const Rect& r, uint32_t value) {
        const Rect c = clipped(r);
        for (int32_t y = c.top; y < c.bottom; ++y)
            std::fill(buffer.bits + static_cast<ptrdiff_t>(y) * buffer.width + c.left,
                      buffer.bits + static_cast<ptrdiff_t>(y) * buffer.width + c.right, value);
    }

    // Premultiplies each pixel covered by the boxes once, however they overlap.
    void premultiplyBoxes(const std::vector<Rect>& boxes) {
        std::vector<std::pair<int32_t, int32_t>> spans;
        int32_t top = buffer.height, bottom = 0;
        for (const Rect& b : boxes) {
            if (b.right <= b.left || b.bottom <= b.top) continue;
            top = std::min(top, b.top);
            bottom = std::max(bottom, b.bottom);
        }
        for (int32_t y = top; y < bottom; ++y) {
            spans.clear();
            for (const Rect& b : boxes)
                if (b.left < b.right && b.top <= y && y < b.bottom) spans.emplace_back(b.left, b.right);
            std::sort(spans.begin(), spans.end());
            int32_t x = 0;  // pixels left of x in this row are done
            for (const auto& [from, to] : spans) {
                const int32_t start = std::max(from, x);
                if (start >= to) continue;
                const size_t offset = static_cast<size_t>(y) * buffer.width + start;
                premultiplySpan(buffer.bits + offset, buffer.mask.data() + offset, static_cast<size_t>(to - start), false);
                x = to;
            }
        }
    }

    void drawChosenArea(HDC dc, const Rect& r, uint8_t insideAlpha) {
        const int32_t bw = std::max(M(2), 2), half = bw / 2;
        maskFillRect({r.left + half, r.top + half, r.right - half, r.bottom - half}, insideAlpha);
        paintRect({r.left - half, r.top - half, r.right + half, r.top + half}, 0x3566D6, 255);
        paintRect({r.left - half, r.bottom - half, r.right + half, r.bottom + half}, 0x3566D6, 255);
        paintRect({r.left - half, r.top - half, r.left + half, r.bottom + half}, 0x3566D6, 255);
        paintRect({r.right - half, r.top - half, r.right + half, r.bottom + half}, 0x3566D6, 255);
        const int32_t k = M(8);
        UniqueGdiObject brush(CreateSolidBrush(rgb(0xF7F9FC)));
        UniqueGdiObject pen(CreatePen(PS_SOLID, bw, rgb(0x244EAE)));
        SelectedObject b(dc, brush.get());
        SelectedObject p(dc, pen.get());
        for (const POINT c : {POINT{r.left, r.top}, POINT{r.right, r.top}, POINT{r.left, r.bottom}, POINT{r.right, r.bottom}}) {
            const Rect h{c.x - k / 2, c.y - k / 2, c.x - k / 2 + k, c.y - k / 2 + k};
            maskFillRect(h, 255);
            Rectangle(dc, h.left, h.top, h.right, h.bottom);
        }
    }

    Rect captureInOverlay() {
        const Rect& captureRect = area_.selection.captureRect;
        const Rect& overlayBounds = area_.selection.overlayBounds;
        return {captureRect.left - overlayBounds.left, captureRect.top - overlayBounds.top,
                captureRect.right - overlayBounds.left, captureRect.bottom - overlayBounds.top};
    }

    void drawCaptureView(HDC dc) {
        const Rect c = captureInOverlay();
        const int32_t bw = std::max(M(2), 2);
        // Outside the rectangle, so the border never lands in a grab.
        paintRect({c.left - bw, c.top - bw, c.right + bw, c.top}, 0x3566D6, 255);
        paintRect({c.left - bw, c.bottom, c.right + bw, c.bottom + bw}, 0x3566D6, 255);
        paintRect({c.left - bw, c.top, c.left, c.bottom}, 0x3566D6, 255);
        paintRect({c.right, c.top, c.right + bw, c.bottom}, 0x3566D6, 255);

        // Sideways the indicator lies under the area and points right: the
        // downward one of the screen turned on its side, turned back.
        const bool sideways = captureProgress(area_).direction == ScrollDirection::Right;
        const auto R = [sideways](const Rect& r) { return sideways ? transposed(r) : r; };
        const auto P = [sideways](int32_t x, int32_t y) { return sideways ? POINT{y, x} : POINT{x, y}; };
        const IndicatorGeometry g =
            captureIndicatorGeometry(R(c), R({0, 0, buffer.width, buffer.height}), area_.selection.overlayDpi);
        if (!g.visible) return;
        const Rect line = R({g.x, g.top, g.x + M(2), g.bottom});
        fillRect(line, 0x3566D6);
        maskFillRect(line, 210);
        {
            UniqueGdiObject brush(CreateSolidBrush(rgb(0x3566D6)));
            SelectedObject b(dc, brush.get());
            SelectedObject p(dc, GetStockObject(NULL_PEN));
            const Rect dot = R({g.x - g.dot + 1, g.top - g.dot, g.x + 1 + g.dot, g.top + g.dot});
            Ellipse(dc, dot.left, dot.top, dot.right, dot.bottom);
            maskFillRect(dot, 255);
        }
        UniqueGdiObject pen(CreatePen(PS_SOLID, g.lineWidth, rgb(0x3566D6)));
        SelectedObject p(dc, pen.get());
        const POINT chevron[] = {P(g.x - g.arrow, g.bottom - g.arrow), P(g.x + 1, g.bottom + 1),
                                 P(g.x + g.arrow, g.bottom - g.arrow)};
        MoveToEx(dc, chevron[0].x, chevron[0].y, nullptr);
        LineTo(dc, chevron[1].x, chevron[1].y);
        LineTo(dc, chevron[2].x, chevron[2].y);
        maskFillRect(R({g.x - g.arrow - bw, g.bottom - g.arrow - bw, g.x + g.arrow + bw, g.bottom + bw}), 255);
    }

    // The body of the strip, and under it while capturing and saving a soft
    // shadow; the selection view's strip sits on the dimmed screen without one.
    void drawStripBody(HDC dc, UiState mode, const Rect& strip) {
        const StripShadow shadow = promptStripShadow(strip, area_.selection.overlayDpi);
        if (mode != UiState::Selecting) {
            roundRect(dc, shadow.outer, shadow.outerDiameter, 0x010101, nullptr);
            maskFillRoundRect(shadow.outer, shadow.outerDiameter, 10);
            roundRect(dc, shadow.inner, shadow.innerDiameter, 0x010101, nullptr);
            maskFillRoundRect(shadow.inner, shadow.innerDiameter, 21);
        }
        maskFillRoundRect(strip, shadow.bodyDiameter, mode == UiState::Selecting ? 255 : 247);
        uint32_t bodyLine = 0x303030;
        roundRect(dc, strip, shadow.bodyDiameter, 0x303030, &bodyLine);
    }

    struct StripFonts {
        UniqueGdiObject title, status, key, label;
    };
    StripFonts stripFonts() {
        return {makeFont(L"Microsoft YaHei UI", 13, 500), makeFont(L"Microsoft YaHei UI", 11, 400),
                makeFont(L"Segoe UI", 11, 400), makeFont(L"Microsoft YaHei UI", 13, 400)};
    }


    void drawStripGlyph(HDC dc, const Rect& box, UiState mode, uint64_t elapsed) {
        maskFillRect(box, 255);
        if (area_.shell.reducedMotion()) {
            drawCachedIcon(dc, kStatusIcon, toRECT(box), rgb(0x3566D6));
            return;
        }
        // A third of a turn with a smooth start and stop, dipping to 94 %:
        // once when saving begins, and in the first 460 ms of every two
        // seconds while capturing.
        const float t = std::clamp(
            static_cast<float>(mode == UiState::Saving ? std::min<uint64_t>(elapsed, 460) : elapsed % 2000) / 460.0f,
            0.0f, 1.0f);
        drawGlyph(dc, box, (3 - 2 * t) * t * t * 120.0f, 1 - std::sin(3.14159265f * t) * 0.06f);
    }


    void drawStrip(HDC dc, UiState mode, const Rect& a) {
        const Rect strip = promptStripRect(a, area_.selection.overlayDpi);
        drawStripBody(dc, mode, strip);
        SetBkMode(dc, TRANSPARENT);
        const StripFonts fonts = stripFonts();

        // A manual capture tells the person what to do: scroll, or scroll back.
        const bool manual = mode == UiState::Capturing && captureProgress(area_).manualRunning;
        const bool warning = manual && captureProgress(area_).strip == ManualStrip::ScrolledTooFar;
        const std::wstring title = stripTitle(area_, mode, manual, warning);
        const uint64_t startTick = mode == UiState::Saving ? area_.shell.saveStartTick() : area_.selection.captureStartTick;
        const uint64_t now = GetTickCount64();
        const uint64_t elapsed = startTick == 0 || now < startTick ? 0 : now - startTick;
        const std::wstring status = stripStatus(area_, mode, manual, elapsed);

        StripContent content;
        content.titleWidth = textWidth(dc, fonts.title.get(), title);
        content.hasStatus = !status.empty();
        content.statusWidth = status.empty() ? 0 : textWidth(dc, fonts.status.get(), status);
        // Beside the Esc hint there is room for one column of text only: the
        // selection's direction, a manual capture's count and an automatic
        // capture's frames, pixels and seconds go under the title, so that the
        // strip keeps its width in both languages.
        content.stacked = mode != UiState::Saving;
        // The turning glyph means the program is scrolling; in a manual capture it is not.
        content.glyph = mode != UiState::Selecting && !manual && elapsed >= 300;
        content.escKey = mode != UiState::Saving;
        content.capturing = mode == UiState::Capturing;
        content.english = english();
        const StripLayout l = layoutPromptStrip(strip, content, area_.selection.overlayDpi);

        if (content.glyph) drawStripGlyph(dc, l.glyph, mode, elapsed);
        const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
        // The layout cuts texts too wide for the strip; they end in an ellipsis.
        const UINT textFlags = flags | DT_END_ELLIPSIS;
        // The warning's title in amber, readable on the dark strip.
        drawText(dc, fonts.title.get(), warning ? 0xFFC45C : 0xF7F9FC, title, toRECT(l.title), textFlags);
        if (content.hasStatus) drawText(dc, fonts.status.get(), 0xCDCFD2, status, toRECT(l.status), textFlags);
        if (content.escKey) {
            uint32_t keyLine = 0x909090;
            roundRect(dc, l.key, l.keyDiameter, 0x484848, &keyLine);
            drawText(dc, fonts.key.get(), 0xF7F9FC, L"Esc", toRECT(l.key), flags | DT_CENTER);
            const std::wstring label = mode == UiState::Capturing ? tr(area_.shell.settings().language, texts::finishHint)
                                                                  : tr(area_.shell.settings().language, texts::cancelHint);
            drawText(dc, fonts.label.get(), 0xF7F9FC, label, toRECT(l.label), flags);
        }
    }

private:
    const CaptureArea& area_;
    OverlayBuffer& buffer;
};


}  // namespace

void freeOverlayBuffer(CaptureArea& area) { releaseBuffer(area.overlayBuffer); }

void redrawOverlay(CaptureArea& area) {
    OverlayBuffer& buffer = area.overlayBuffer;
    const Rect& overlayBounds = area.selection.overlayBounds;
    const uint32_t overlayDpi = area.selection.overlayDpi;
    HWND window = area.overlayWindow;
    if (window == nullptr) return;
    const int32_t w = overlayBounds.width(), h = overlayBounds.height();
    if (w < 1 || h < 1) return;
    WindowDc screen(nullptr);
    if (!screen) return;
    if (!ensureBuffer(buffer, screen.get(), w, h)) return;
    OverlayPainter painter(area, buffer);
    HDC dc = buffer.dc.get();
#ifdef TALLYFRAME_HOVER_TIMING
    LARGE_INTEGER started{};
    QueryPerformanceCounter(&started);
#endif
    GdiFlush();
    const UiState state = area.shell.uiState();
    // The selection view paints every pixel and every mask byte itself.
    if (state != UiState::Selecting) {
        std::fill(buffer.bits, buffer.bits + static_cast<size_t>(w) * h, 0u);
        std::fill(buffer.mask.begin(), buffer.mask.end(), uint8_t{0});
    }

    if (state == UiState::Selecting) {
        const SelectionState& s = area.selection.drag;
        Rect prompt{0, 0, w, h};
        MONITORINFO info{};
        info.cbSize = sizeof info;
        HMONITOR m = MonitorFromPoint(s.current, MONITOR_DEFAULTTONULL);
        if (m != nullptr && GetMonitorInfoW(m, &info))
            prompt = {info.rcWork.left - overlayBounds.left, info.rcWork.top - overlayBounds.top,
                      info.rcWork.right - overlayBounds.left, info.rcWork.bottom - overlayBounds.top};
        painter.composeSelectionView(dc, s, prompt);
    } else {
        if (state == UiState::Capturing || state == UiState::Saving) {
            painter.drawCaptureView(dc);
            if (const std::optional<Rect> prompt = promptStripArea(painter.captureInOverlay(), {0, 0, w, h}, overlayDpi))
                painter.drawStrip(dc, state, *prompt);
        }
        GdiFlush();
        premultiplySpan(buffer.bits, buffer.mask.data(), static_cast<size_t>(w) * static_cast<size_t>(h), true);
    }
#ifdef TALLYFRAME_HOVER_TIMING
    LARGE_INTEGER composed{};
    QueryPerformanceCounter(&composed);
#endif

    POINT position{overlayBounds.left, overlayBounds.top};
    SIZE size{w, h};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(window, screen.get(), &position, &size, dc, &origin, 0, &blend, ULW_ALPHA);
#ifdef TALLYFRAME_HOVER_TIMING
    // A bench build's record of each redraw: the picture, then handing it to the system.
    LARGE_INTEGER shown{}, frequency{};
    QueryPerformanceCounter(&shown);
    QueryPerformanceFrequency(&frequency);
    if (frequency.QuadPart != 0) {
        if (FILE* f = std::fopen("hover_timing.txt", "a")) {
            std::fprintf(f, "redraw %dx%d compose_us=%lld present_us=%lld\n", w, h,
                         static_cast<long long>((composed.QuadPart - started.QuadPart) * 1000000 / frequency.QuadPart),
                         static_cast<long long>((shown.QuadPart - composed.QuadPart) * 1000000 / frequency.QuadPart));
            std::fclose(f);
        }
    }
#endif
}

}  // namespace tf
