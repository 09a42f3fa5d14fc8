// The image part of the review window: the visible rows drawn from the
// scaled cache, the parts trimmed away dimmed, the four edges with their
// handles, the pointer's drags and the scroll bars.

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "core/texts/texts.h"
#include "ground/dpi.h"
#include "platform/win32/uia_core_win32.h"
#include "shell/review/review_paint_win32.h"
#include "shell/review/review_window_win32.h"
#include "shell/ui/palette.h"
#include "platform/win32/win32_paint.h"

namespace tf {
namespace {

constexpr int32_t kEdgeGrabDips = 6;
constexpr int32_t kHandleLongDips = 36, kHandleShortDips = 8;
constexpr BYTE kDimAlpha = 0x78;

void fillSolid(HDC dc, const RECT& r, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// A dark veil over `r`, from a one-pixel premultiplied bitmap stretched by AlphaBlend.
void dim(HDC dc, const RECT& r) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 1, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap pixel(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!source || !pixel || bits == nullptr) return;
    *static_cast<uint32_t*>(bits) = static_cast<uint32_t>(kDimAlpha) << 24;
    SelectedObject selected(source.get(), pixel.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source.get(), 0, 0, 1, 1, blend);
}

int32_t px(double v) { return static_cast<int32_t>(std::lround(v)); }

}  // namespace

LRESULT CALLBACK ReviewWindow::canvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<ReviewWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->model_ == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->onCanvas(window, message, wParam, lParam);
}

LRESULT ReviewWindow::onCanvas(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: paintWindow(window, [&](HDC dc) { paintCanvas(dc); }); return 0;
        case WM_SIZE: viewportChanged(); return 0;
        case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTARROWS;
        case WM_KEYDOWN:
            applyCommand(reviewCommandFor(static_cast<uint32_t>(wParam), (GetKeyState(VK_CONTROL) & 0x8000) != 0,
                                          (GetKeyState(VK_SHIFT) & 0x8000) != 0));
            return 0;
        case WM_VSCROLL: onScroll(wParam, SB_VERT); return 0;
        case WM_HSCROLL: onScroll(wParam, SB_HORZ); return 0;
        case WM_MOUSEWHEEL: onWheel(wParam, lParam, false); return 0;
        case WM_MOUSEHWHEEL: onWheel(wParam, lParam, true); return 0;
        case WM_LBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: onPointer(message, lParam); return 0;
        case WM_CAPTURECHANGED:
            if (model_->dragging()) model_->endDrag();
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                POINT p{};
                GetCursorPos(&p);
                ScreenToClient(window, &p);
                const std::optional<TrimEdge> edge = edgeNear(p.x, p.y);
                if (edge) {
                    const bool rows = *edge == TrimEdge::Top || *edge == TrimEdge::Bottom;
                    SetCursor(LoadCursorW(nullptr, rows ? IDC_SIZENS : IDC_SIZEWE));
                    return TRUE;
                }
            }
            break;
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == kUiaRootObjectId) {
                return answerReviewAutomation(window, wParam, lParam,
                                              {imageName(), L"ReviewImage", kUiaImageControlTypeId, false});
            }
            break;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int32_t ReviewWindow::gutter() const { return dipsToPixels(kSeamGutterDips, dpi_); }

// The canvas pixels the view covers: all but the strip of the marks.
RECT ReviewWindow::imageArea() const {
    RECT client{};
    GetClientRect(canvas_, &client);
    if (sideways_) client.top = std::min<LONG>(client.bottom, gutter());
    else client.left = std::min<LONG>(client.right, gutter());
    return client;
}

void ReviewWindow::viewportChanged() {
    if (canvas_ == nullptr || view_ == nullptr) return;
    const RECT a = imageArea();
    view_->setViewport(a.right - a.left, a.bottom - a.top, dpi_);
    refresh();
}

void ReviewWindow::paintCanvas(HDC hdc) {
    RECT client{};
    GetClientRect(canvas_, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    // One off-screen frame per paint: the bands, the veil and the edges
    // reach the screen together.
    UniqueMemoryDc buffer(CreateCompatibleDC(hdc));
    UniqueBitmap surface(CreateCompatibleBitmap(hdc, client.right, client.bottom));
    if (!buffer || !surface) return;
    SelectedObject selected(buffer.get(), surface.get());
    fillSolid(buffer.get(), client, kCanvasBackground);
    drawBands(buffer.get());
    drawTrim(buffer.get());
    BitBlt(hdc, 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
}

void ReviewWindow::drawBands(HDC dc) {
    const RECT area = imageArea();
    const Span64 bands = view_->cacheBands(), across = view_->cacheTilesAcross();
    cache_.keepOnly(bands, across, view_->scale());
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    if (!source) return;
    // The scaled image's origin in canvas pixels.
    const int32_t ox = area.left + px(view_->windowX(0)), oy = area.top + px(view_->windowY(0));
    bool waiting = false;
    HRGN clip = CreateRectRgnIndirect(&area);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
    for (int64_t i = bands.first; i < bands.end; ++i) {
        for (int64_t j = across.first; j < across.end; ++j) {
            const CacheBand key = view_->band(i, j);
            const auto along = static_cast<int32_t>(key.windowPixels.first);
            const auto side = static_cast<int32_t>(key.acrossWindowPixels.first);
            const int32_t x = sideways_ ? ox + along : ox + side, y = sideways_ ? oy + side : oy + along;
            const CachedBand* band = cache_.band(key, *image_, sideways_);
            if (band == nullptr) {
                waiting = true;
                continue;
            }
            SelectedObject bitmap(source.get(), band->dib.get());
            BitBlt(dc, x, y, band->width, band->height, source.get(), 0, 0, SRCCOPY);
        }
    }
    SelectClipRgn(dc, nullptr);
    if (waiting) {
        RECT text = area;
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, palette::bodyText);
        DrawTextW(dc, tr(language(), texts::reviewLoadingText), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void ReviewWindow::drawTrim(HDC dc) {
    const RECT area = imageArea();
    const TrimRect& k = model_->rect();
    auto wx = [&](double ix) { return area.left + px(view_->windowX(ix)); };
    auto wy = [&](double iy) { return area.top + px(view_->windowY(iy)); };
    const RECT image{wx(0), wy(0), wx(image_->width()), wy(image_->height())};
    const RECT kept{wx(k.left), wy(k.top), wx(k.right), wy(k.bottom)};
    dim(dc, {image.left, image.top, image.right, kept.top});
    dim(dc, {image.left, kept.bottom, image.right, image.bottom});
    dim(dc, {image.left, kept.top, kept.left, kept.bottom});
    dim(dc, {kept.right, kept.top, image.right, kept.bottom});
    const int32_t line = std::max(dipsToPixels(2, dpi_), 1);
    fillSolid(dc, {kept.left, kept.top - line / 2, kept.right, kept.top + (line + 1) / 2}, palette::accent);
    fillSolid(dc, {kept.left, kept.bottom - line / 2, kept.right, kept.bottom + (line + 1) / 2}, palette::accent);
    fillSolid(dc, {kept.left - line / 2, kept.top, kept.left + (line + 1) / 2, kept.bottom}, palette::accent);
    fillSolid(dc, {kept.right - line / 2, kept.top, kept.right + (line + 1) / 2, kept.bottom}, palette::accent);
    // A handle in the middle of each edge's visible part; the selected one is filled.
    const int32_t longSide = dipsToPixels(kHandleLongDips, dpi_), shortSide = dipsToPixels(kHandleShortDips, dpi_);
    const int32_t midX = (std::max(kept.left, area.left) + std::min(kept.right, area.right)) / 2;
    const int32_t midY = (std::max(kept.top, area.top) + std::min(kept.bottom, area.bottom)) / 2;
    const struct {
        TrimEdge edge;
        POINT at;
        bool across;
    } handles[] = {{TrimEdge::Top, {midX, kept.top}, true},
                   {TrimEdge::Bottom, {midX, kept.bottom}, true},
                   {TrimEdge::Left, {kept.left, midY}, false},
                   {TrimEdge::Right, {kept.right, midY}, false}};
    for (const auto& h : handles) {
        const int32_t hw = h.across ? longSide : shortSide, hh = h.across ? shortSide : longSide;
        const RECT r{h.at.x - hw / 2, h.at.y - hh / 2, h.at.x - hw / 2 + hw, h.at.y - hh / 2 + hh};
        fillSolid(dc, r, palette::accent);
        if (h.edge != model_->selected()) fillSolid(dc, {r.left + line, r.top + line, r.right - line, r.bottom - line}, palette::white);
    }
    if (currentSeam_ && *currentSeam_ < model_->seams().size()) {
        const int32_t at = model_->seams()[*currentSeam_].position;
        const COLORREF c = seamKindColour(model_->seams()[*currentSeam_].kind);
        if (sideways_) fillSolid(dc, {wx(at), image.top, wx(at) + 1, image.bottom}, c);
        else fillSolid(dc, {image.left, wy(at), image.right, wy(at) + 1}, c);
    }
}

namespace {

void setScrollBar(HWND window, int bar, const ScrollBarState& s) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = static_cast<int>(std::clamp<int64_t>(s.total - 1, 0, INT32_MAX));
    info.nPage = static_cast<UINT>(std::clamp<int64_t>(s.page, 0, INT32_MAX));
    info.nPos = static_cast<int>(std::clamp<int64_t>(s.position, 0, INT32_MAX));
    SetScrollInfo(window, bar, &info, TRUE);
}

}  // namespace

// The bar along the stitch always; the one across it shows only while a zoom
// is wider than the window (the system hides a bar whose page covers its range).
void ReviewWindow::updateScrollBar() {
    if (canvas_ == nullptr) return;
    setScrollBar(canvas_, sideways_ ? SB_HORZ : SB_VERT, view_->scrollBar());
    setScrollBar(canvas_, sideways_ ? SB_VERT : SB_HORZ, view_->crossScrollBar());
}

void ReviewWindow::onScroll(WPARAM wParam, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(canvas_, bar, &info);
    const bool along = (bar == SB_HORZ) == sideways_;
    const int32_t line = dipsToPixels(kWheelLineDips, dpi_);
    const int64_t page = std::max<int64_t>(static_cast<int64_t>(info.nPage) - dipsToPixels(kPageOverlapDips, dpi_), 1);
    int64_t to = info.nPos;
    switch (LOWORD(wParam)) {
        case SB_LINEUP: to -= line; break;
        case SB_LINEDOWN: to += line; break;
        case SB_PAGEUP: to -= page; break;
        case SB_PAGEDOWN: to += page; break;
        case SB_TOP: to = 0; break;
        case SB_BOTTOM: to = info.nMax; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: to = info.nTrackPos; break;
        default: return;
    }
    if (along) view_->scrollTo(to);
    else view_->scrollAcrossTo(to);
    refresh();
}

void ReviewWindow::onWheel(WPARAM wParam, LPARAM lParam, bool sidewaysWheel) {
    const int32_t delta = GET_WHEEL_DELTA_WPARAM(wParam);
    const WORD keys = GET_KEYSTATE_WPARAM(wParam);
    if ((keys & MK_CONTROL) != 0 && !sidewaysWheel) {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(canvas_, &p);
        const RECT a = imageArea();
        view_->zoomAt(delta, p.x - a.left, p.y - a.top);
        refresh();
        return;
    }
    UINT lines = 3;
    SystemParametersInfoW(sidewaysWheel ? SPI_GETWHEELSCROLLCHARS : SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    // The tilt wheel's positive delta goes right; the view counts towards the start.
    const int32_t towardsStart = sidewaysWheel ? -delta : delta;
    // The tilt wheel moves what lies left and right: along a sideways image,
    // across a downward one. Shift turns the wheel across, as in other viewers.
    const bool across = sidewaysWheel ? !sideways_ : (keys & MK_SHIFT) != 0;
    if (across) view_->scrollAcrossByWheel(towardsStart, lines);
    else view_->scrollByWheel(towardsStart, lines);
    refresh();
}

std::optional<TrimEdge> ReviewWindow::edgeNear(int32_t x, int32_t y) const {
    const RECT area = imageArea();
    const TrimRect& k = model_->rect();
    const double l = area.left + view_->windowX(k.left), r = area.left + view_->windowX(k.right);
    const double t = area.top + view_->windowY(k.top), b = area.top + view_->windowY(k.bottom);
    const double grab = dipsToPixels(kEdgeGrabDips, dpi_);
    const bool withinX = x >= l - grab && x <= r + grab, withinY = y >= t - grab && y <= b + grab;
    if (withinX && std::abs(y - t) <= grab) return TrimEdge::Top;
    if (withinX && std::abs(y - b) <= grab) return TrimEdge::Bottom;
    if (withinY && std::abs(x - l) <= grab) return TrimEdge::Left;
    if (withinY && std::abs(x - r) <= grab) return TrimEdge::Right;
    return std::nullopt;
}

int32_t ReviewWindow::imagePositionAt(TrimEdge edge, int32_t x, int32_t y) const {
    const RECT area = imageArea();
    const bool rows = edge == TrimEdge::Top || edge == TrimEdge::Bottom;
    const double at = rows ? view_->imageY(y - area.top) : view_->imageX(x - area.left);
    return static_cast<int32_t>(std::lround(at));
}

void ReviewWindow::onPointer(UINT message, LPARAM lParam) {
    const int32_t x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    if (message == WM_LBUTTONDOWN) {
        SetFocus(canvas_);
        const std::optional<TrimEdge> edge = edgeNear(x, y);
        if (!edge) return;
        model_->select(*edge);
        model_->beginDrag(*edge);
        SetCapture(canvas_);
    } else if (!model_->dragging()) {
        return;
    } else if (message == WM_MOUSEMOVE) {
        const TrimEdge edge = model_->selected();
        model_->dragTo(imagePositionAt(edge, x, y), snapDistanceInImage(dpi_, view_->scale()));
    } else {
        model_->endDrag();
        ReleaseCapture();
    }
    refresh();
}

void ReviewWindow::keepEdgeInView(TrimEdge edge) {
    const TrimRect& k = model_->rect();
    const bool rows = edge == TrimEdge::Top || edge == TrimEdge::Bottom;
    if (rows == sideways_) return;  // an edge along the stitch is always in view
    const int32_t at = edge == TrimEdge::Top ? k.top : edge == TrimEdge::Bottom ? k.bottom : edge == TrimEdge::Left ? k.left : k.right;
    const Span64 shown = sideways_ ? view_->visibleColumns() : view_->visibleRows();
    if (at < shown.first || at > shown.end) view_->centreOn(at);
}

}  // namespace tf
