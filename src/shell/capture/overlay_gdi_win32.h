#pragma once
// What the overlay's pictures are drawn with: GDI text and shapes on the
// overlay's DIB, premultiplied alpha, the back buffer, and the words of the
// prompt strip. Only the overlay drawing uses it.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/app/ui_state.h"
#include "ground/rect.h"
#include "platform/win32/win32_rect.h"
#include "shell/capture/capture_area_win32.h"

namespace tf {

COLORREF rgb(uint32_t hex);

// The dimming of the selection view.
inline constexpr uint32_t kDimColour = 0x181818;
inline constexpr uint8_t kDimAlpha = 143;

int32_t textWidth(HDC dc, HGDIOBJ font, const std::wstring& text);
void drawText(HDC dc, HGDIOBJ font, uint32_t colour, const std::wstring& text, RECT rc, UINT flags);
// A filled rounded rectangle, outlined in `*outline` when it is given.
void roundRect(HDC dc, const Rect& r, int32_t diameter, uint32_t fill, uint32_t* outline);
uint32_t premultiplied(uint32_t colour, uint32_t alpha);
// Merges `count` mask alphas into the colour pixels as premultiplied BGRA.
void premultiplySpan(uint32_t* bits, const uint8_t* mask, size_t count, bool blackIsClear);
Rect intersection(const Rect& a, const Rect& b);

// The overlay's back buffer: freed, or made `w` × `h` (false when it could not be).
void releaseBuffer(OverlayBuffer& buffer);
bool ensureBuffer(OverlayBuffer& buffer, HDC screen, int32_t w, int32_t h);

// The prompt strip's title, and its second line (empty when there is none).
std::wstring stripTitle(const CaptureArea& area, UiState mode, bool manual, bool warning);
std::wstring stripStatus(const CaptureArea& area, UiState mode, bool manual, uint64_t elapsed);

}  // namespace tf
