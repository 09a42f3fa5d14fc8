#pragma once
// The drawing layer of every owner-drawn surface: text and shapes through a
// Direct2D render target bound to the caller's DC, and the SVG icons turned
// into tinted premultiplied bitmaps, cached per (id, pixel size, colour) and
// blended with AlphaBlend. GUI thread only; failures draw nothing.

#include <windows.h>
#include <d2d1_1.h>
#include <dwrite.h>

#include <cstddef>
#include <string_view>

#include "core/app/control_ids.h"
#include "core/ui/svg_icon.h"
#include "ground/rect.h"
#include "platform/win32/win32_handles.h"

namespace tf {

// Text flags reuse the DrawText constants: DT_CENTER, DT_RIGHT, DT_VCENTER,
// DT_BOTTOM, DT_END_ELLIPSIS; DT_SINGLELINE is accepted (text does not wrap
// unless DT_WORDBREAK is given).
inline constexpr unsigned kTextLeft = DT_SINGLELINE | DT_VCENTER;                // 36
inline constexpr unsigned kTextCentred = DT_SINGLELINE | DT_VCENTER | DT_CENTER;  // 37

inline constexpr wchar_t kUiFontFamily[] = L"Microsoft YaHei UI";

// 700 and above -> 700, 600s -> 600, 500s -> 500, anything lower -> 400.
int bucketFontWeight(int weight);

// 0x00BBGGRR from the #RRGGBB written in the palette.
constexpr COLORREF rgbHex(uint32_t rrggbb) {
    return RGB((rrggbb >> 16) & 0xFF, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF);
}

// A client rectangle's width and height in DIPs, as the painters lay out.
struct DipSize {
    float width = 0;
    float height = 0;
};
inline DipSize dipSize(const RECT& client, UINT dpi) {
    return {client.right * 96.0f / dpi, client.bottom * 96.0f / dpi};
}
inline D2D1_RECT_F rectF(const RectF& r) { return D2D1::RectF(r.left, r.top, r.right, r.bottom); }

bool ensureTextRenderer();
// One drawing pass of the shared DC render target on `hdc` over `pixelRect`
// at the window's DPI: begun when made, ended when it goes or at end(), so
// that GDI can draw on the DC afterwards. Empty when anything failed.
class DcDraw {
public:
    DcDraw(HWND window, HDC hdc, const RECT& pixelRect);
    ~DcDraw() { end(); }
    DcDraw(const DcDraw&) = delete;
    DcDraw& operator=(const DcDraw&) = delete;
    ID2D1DCRenderTarget* target() const { return target_; }
    explicit operator bool() const { return target_ != nullptr; }
    // Ends the pass (once); a lost device is dropped and made again next time.
    void end();

private:
    ID2D1DCRenderTarget* target_ = nullptr;
};

ComPtr<IDWriteTextFormat> createTextFormat(float sizeDips, int weight, unsigned flags);
void drawText(ID2D1RenderTarget* target, std::wstring_view text, const D2D1_RECT_F& rect, float sizeDips, int weight,
              COLORREF colour, unsigned flags);
struct TextExtent {
    float width = 0, height = 0;
};
TextExtent measureText(std::wstring_view text, float sizeDips, int weight);

void fillRect(ID2D1RenderTarget* target, const D2D1_RECT_F& rect, COLORREF colour);
void fillRoundedRect(ID2D1RenderTarget* target, const D2D1_RECT_F& rect, float radius, COLORREF colour,
                     float opacity = 1.0f);
// The stroke lies entirely inside `rect`.
void strokeRoundedRect(ID2D1RenderTarget* target, const D2D1_RECT_F& rect, float radius, COLORREF colour,
                       float strokeWidth);
void drawLine(ID2D1RenderTarget* target, D2D1_POINT_2F a, D2D1_POINT_2F b, COLORREF colour, float width);

// A 32-bit premultiplied top-down DIB section of the icon.
// Empty for a size below 1, a missing or malformed document, or a failed draw.
UniqueBitmap rasterizeSvgIcon(IconId icon, int width, int height, COLORREF colour, float angleDegrees = 0,
                              float scale = 1);
UniqueBitmap rasterizeSvgDocument(const SvgDocument& document, int width, int height, COLORREF colour,
                                  float angleDegrees = 0, float scale = 1);
// The icon's document text from the executable's RCDATA; empty when missing.
std::string_view svgResourceText(IconId icon);
// Test suites have no resources: they hand the documents in by resource number.
void setSvgSourceForTests(std::string_view (*source)(int));

// Blends the cached icon at the rectangle's top-left with its pixel size.
bool drawCachedIcon(HDC hdc, IconId icon, const RECT& pixelRect, COLORREF colour);
void clearIconCache();
size_t iconCacheSize();

// Drops every device object (main window destruction).
void releaseRenderer();

// The window's DPI; 96 when unknown. DIP conversions are in ground/dpi.h.
UINT windowDpi(HWND window);

}  // namespace tf
