#include "shell/capture/overlay_gdi_win32.h"

#include <cstdio>

#include "core/texts/texts.h"
#include "platform/win32/win32_handles.h"
#include "shell/capture/capture_globals_win32.h"
#include "shell/capture/screen_grab_win32.h"
#include "shell/ui/renderer_win32.h"

namespace tf {

COLORREF rgb(uint32_t hex) { return RGB((hex >> 16) & 0xFF, (hex >> 8) & 0xFF, hex & 0xFF); }

int32_t textWidth(HDC dc, HGDIOBJ font, const std::wstring& text) {
    SelectedObject sel(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}
void drawText(HDC dc, HGDIOBJ font, uint32_t colour, const std::wstring& text, RECT rc, UINT flags) {
    SelectedObject sel(dc, font);
    SetTextColor(dc, rgb(colour));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, flags);
}
void roundRect(HDC dc, const Rect& r, int32_t diameter, uint32_t fill, uint32_t* outline) {
    UniqueGdiObject brush(CreateSolidBrush(rgb(fill)));
    UniqueGdiObject pen(outline != nullptr ? CreatePen(PS_SOLID, 1, rgb(*outline)) : nullptr);
    SelectedObject b(dc, brush.get());
    SelectedObject p(dc, pen ? pen.get() : GetStockObject(NULL_PEN));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, diameter, diameter);
}

// A pixel as UpdateLayeredWindow takes it: each colour times the alpha.
uint32_t premultiplied(uint32_t colour, uint32_t alpha) {
    const uint32_t r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
    return alpha << 24 | (r * alpha / 255) << 16 | (g * alpha / 255) << 8 | (b * alpha / 255);
}

// GDI's colours and the mask's alphas into premultiplied pixels, in place;
// pure black is the transparent colour of the capture views. Most of a
// picture is long runs of one colour and alpha: a run repeats the last result
// instead of working it out again.
void premultiplySpan(uint32_t* bits, const uint8_t* mask, size_t count, bool blackIsClear) {
    uint32_t lastColour = 0, lastAlpha = 0, lastResult = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t colour = bits[i] & 0xFFFFFFu;
        const uint32_t alpha = mask[i];
        if (i == 0 || colour != lastColour || alpha != lastAlpha) {
            lastColour = colour;
            lastAlpha = alpha;
            lastResult = premultiplied(colour, blackIsClear && colour == 0 ? 0 : alpha);
        }
        bits[i] = lastResult;
    }
}

Rect intersection(const Rect& a, const Rect& b) {
    const Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return r.right > r.left && r.bottom > r.top ? r : Rect{};
}

// The buffer is made again only when the overlay's size changes: a redraw
// per mouse move must not allocate a screen-sized DIB each time.
void releaseBuffer(OverlayBuffer& buffer) {
    buffer.selected.restore();
    buffer.dib.reset();
    buffer.dc.reset();
    buffer.bits = nullptr;
    buffer.width = buffer.height = 0;
    buffer.mask.clear();
    buffer.mask.shrink_to_fit();
}

bool ensureBuffer(OverlayBuffer& buffer, HDC screen, int32_t w, int32_t h) {
    if (buffer.dc && buffer.width == w && buffer.height == h) return true;
    releaseBuffer(buffer);
    UniqueMemoryDc dc(CreateCompatibleDC(screen));
    if (!dc) return false;
    BITMAPINFO info = topDownDib32(w, h);
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || bits == nullptr) return false;
    SelectedObject selected(dc.get(), dib.get());
    if (!selected) return false;
    buffer.dc = std::move(dc);
    buffer.dib = std::move(dib);
    buffer.selected = std::move(selected);
    buffer.bits = static_cast<uint32_t*>(bits);
    buffer.width = w;
    buffer.height = h;
    buffer.mask.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    return true;
}

std::wstring stripTitle(const CaptureArea& area, UiState mode, bool manual, bool warning) {
    const UiLanguage lang = area.shell.settings().language;
    if (mode == UiState::Selecting) return tr(lang, texts::selectingTitle);
    if (warning) return tr(lang, texts::scrolledTooFarWarning);
    if (manual) return tr(lang, texts::manualCapturingTitle);
    if (mode == UiState::Capturing) return tr(lang, texts::capturingTitle);
    return tr(lang, texts::savingTitle);
}

// The progress line: the stage while saving; the frames and height while
// capturing, with the time an automatic capture has taken so far.
std::wstring stripStatus(const CaptureArea& area, UiState mode, bool manual, uint64_t elapsed) {
    const UiLanguage lang = area.shell.settings().language;
    wchar_t buf[96] = {};
    if (mode == UiState::Selecting) {
        return tr(lang, area.selection.direction == ScrollDirection::Right ? texts::selectingRightStatus
                                                                           : texts::selectingDownStatus);
    }
    if (mode == UiState::Saving) {
        const int32_t stage = area.shell.saveStage();
        const wchar_t* stageText = stage == 0   ? tr(lang, texts::mergingStage)
                                   : stage == 1 ? tr(lang, texts::encodingStage)
                                                : tr(lang, texts::writingStage);
        std::swprintf(buf, 96, tr(lang, texts::savingStatus),
                      static_cast<unsigned>(captureProgress(area).frameCount), stageText);
        return buf;
    }
    if (mode == UiState::Capturing && !manual) {
        std::swprintf(buf, 96, tr(lang, texts::autoCapturingStatus),
                      static_cast<unsigned>(captureProgress(area).frameCount),
                      static_cast<unsigned long long>(captureProgress(area).heightPx),
                      static_cast<unsigned long long>(elapsed / 1000));
        return buf;
    }
    if (mode == UiState::Capturing) {
        std::swprintf(buf, 96, tr(lang, texts::capturingStatus),
                      static_cast<unsigned>(captureProgress(area).frameCount),
                      static_cast<unsigned long long>(captureProgress(area).heightPx));
        return buf;
    }
    return {};
}

}  // namespace tf
