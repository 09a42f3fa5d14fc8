#include "shell/ui/renderer_win32.h"

#include <wincodec.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace tf {
namespace {

struct IconCacheEntry {
    IconId icon;
    int width;
    int height;
    COLORREF colour;
    UniqueBitmap bitmap;
};

// The drawing layer's device objects and icon cache: one set for the process.
// They stay namespace-scope because every painter, the settings window's and
// the overlay's included, calls the drawing functions with nothing but a render
// target or a DC, and a Direct2D factory, a DirectWrite factory and the shared
// DC render target are meant to be made once and reused by every window.
struct RendererDevices {
    ComPtr<ID2D1Factory1> textFactory;
    ComPtr<IDWriteFactory> writeFactory;
    ComPtr<IDWriteRenderingParams> renderingParams;
    ComPtr<ID2D1DCRenderTarget> dcTarget;
    ComPtr<IWICImagingFactory> imagingFactory;
    std::vector<IconCacheEntry> iconCache;
    std::string_view (*svgSource)(int) = nullptr;  // the test suites' icon documents
};
RendererDevices devices;

D2D1_COLOR_F toColour(COLORREF c, float alpha = 1.0f) {
    return D2D1::ColorF(GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f, alpha);
}

template <typename T>
void dropComObject(ComPtr<T>& p) {
    // Cleared before it is released, so nothing reached from Release sees it.
    ComPtr<T> old;
    old.Swap(p);
}

bool ensureImagingFactory() {
    if (devices.imagingFactory) return true;
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(devices.imagingFactory.ReleaseAndGetAddressOf())));
}

D2D1_CAP_STYLE capStyle(SvgLineCap c) {
    switch (c) {
        case SvgLineCap::Round: return D2D1_CAP_STYLE_ROUND;
        case SvgLineCap::Square: return D2D1_CAP_STYLE_SQUARE;
        default: return D2D1_CAP_STYLE_FLAT;
    }
}

D2D1_LINE_JOIN lineJoin(SvgLineJoin j) {
    switch (j) {
        case SvgLineJoin::Round: return D2D1_LINE_JOIN_ROUND;
        case SvgLineJoin::Bevel: return D2D1_LINE_JOIN_BEVEL;
        default: return D2D1_LINE_JOIN_MITER;
    }
}

ComPtr<ID2D1PathGeometry> buildGeometry(const SvgShape& shape) {
    ComPtr<ID2D1PathGeometry> geometry;
    if (FAILED(devices.textFactory->CreatePathGeometry(&geometry))) return nullptr;
    ComPtr<ID2D1GeometrySink> sink;
    if (FAILED(geometry->Open(&sink))) return nullptr;
    sink->SetFillMode(shape.evenOdd ? D2D1_FILL_MODE_ALTERNATE : D2D1_FILL_MODE_WINDING);
    for (const SvgFigure& f : shape.figures) {
        sink->BeginFigure(D2D1::Point2F(f.start.x, f.start.y), D2D1_FIGURE_BEGIN_FILLED);
        for (const SvgSegment& s : f.segments) {
            if (s.cubic) {
                sink->AddBezier(D2D1::BezierSegment(D2D1::Point2F(s.c1.x, s.c1.y), D2D1::Point2F(s.c2.x, s.c2.y),
                                                    D2D1::Point2F(s.end.x, s.end.y)));
            } else {
                sink->AddLine(D2D1::Point2F(s.end.x, s.end.y));
            }
        }
        sink->EndFigure(f.closed ? D2D1_FIGURE_END_CLOSED : D2D1_FIGURE_END_OPEN);
    }
    if (FAILED(sink->Close())) return nullptr;
    return geometry;
}

// Draws the document scaled into a width × height box (uniformly, centred, as
// SVG's default aspect rule does), then scaled and rotated about the centre.
bool drawDocument(ID2D1RenderTarget* target, const SvgDocument& doc, int width, int height, COLORREF tint,
                  float angle, float scale) {
    const float fit = std::min(width / doc.viewWidth, height / doc.viewHeight);
    const float dx = (width - doc.viewWidth * fit) / 2 - doc.viewX * fit;
    const float dy = (height - doc.viewHeight * fit) / 2 - doc.viewY * fit;
    const D2D1_POINT_2F centre = D2D1::Point2F(width / 2.0f, height / 2.0f);
    const D2D1::Matrix3x2F toPixels = D2D1::Matrix3x2F::Scale(fit, fit) * D2D1::Matrix3x2F::Translation(dx, dy);
    target->SetTransform(toPixels * D2D1::Matrix3x2F::Scale(scale, scale, centre) *
                         D2D1::Matrix3x2F::Rotation(angle, centre));
    for (const SvgShape& shape : doc.shapes) {
        if (shape.figures.empty()) continue;
        ComPtr<ID2D1PathGeometry> geometry = buildGeometry(shape);
        if (!geometry) return false;
        auto paintColour = [&](const SvgPaint& p) { return p.kind == SvgPaint::Kind::CurrentColor ? tint : rgbHex(p.rgb); };
        if (shape.fill.kind != SvgPaint::Kind::None) {
            ComPtr<ID2D1SolidColorBrush> brush;
            if (FAILED(target->CreateSolidColorBrush(toColour(paintColour(shape.fill), shape.opacity), &brush))) return false;
            target->FillGeometry(geometry.Get(), brush.Get());
        }
        if (shape.stroke.kind != SvgPaint::Kind::None && shape.strokeWidth > 0) {
            ComPtr<ID2D1SolidColorBrush> brush;
            if (FAILED(target->CreateSolidColorBrush(toColour(paintColour(shape.stroke), shape.opacity), &brush))) {
                return false;
            }
            const D2D1_CAP_STYLE cap = capStyle(shape.lineCap);
            ComPtr<ID2D1StrokeStyle> style;
            const D2D1_STROKE_STYLE_PROPERTIES props = D2D1::StrokeStyleProperties(
                cap, cap, cap, lineJoin(shape.lineJoin), 4.0f, D2D1_DASH_STYLE_SOLID, 0.0f);
            if (FAILED(devices.textFactory->CreateStrokeStyle(props, nullptr, 0, &style))) return false;
            target->DrawGeometry(geometry.Get(), brush.Get(), shape.strokeWidth, style.Get());
        }
    }
    target->SetTransform(D2D1::Matrix3x2F::Identity());
    return true;
}

}  // namespace

int bucketFontWeight(int weight) {
    if (weight >= 700) return 700;
    if (weight >= 600) return 600;
    if (weight >= 500) return 500;
    return 400;
}

UINT windowDpi(HWND window) {
    const UINT d = window != nullptr ? GetDpiForWindow(window) : 0;
    return d == 0 ? 96 : d;
}


bool ensureTextRenderer() {
    if (!devices.textFactory) {
        D2D1_FACTORY_OPTIONS options{};
        if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory1), &options,
                                     reinterpret_cast<void**>(devices.textFactory.ReleaseAndGetAddressOf())))) {
            return false;
        }
    }
    if (!devices.writeFactory) {
        if (FAILED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                       reinterpret_cast<IUnknown**>(devices.writeFactory.ReleaseAndGetAddressOf())))) {
            return false;
        }
    }
    if (!devices.renderingParams) {
        if (FAILED(devices.writeFactory->CreateCustomRenderingParams(2.2f, 1.0f, 0.0f, DWRITE_PIXEL_GEOMETRY_FLAT,
                                                             DWRITE_RENDERING_MODE_NATURAL_SYMMETRIC,
                                                             devices.renderingParams.ReleaseAndGetAddressOf()))) {
            return false;
        }
    }
    if (!devices.dcTarget) {
        const D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
            D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
            0, 0, D2D1_RENDER_TARGET_USAGE_NONE, D2D1_FEATURE_LEVEL_DEFAULT);
        return SUCCEEDED(devices.textFactory->CreateDCRenderTarget(&props, devices.dcTarget.ReleaseAndGetAddressOf()));
    }
    return true;
}

DcDraw::DcDraw(HWND window, HDC hdc, const RECT& pixelRect) {
    if (!ensureTextRenderer()) return;
    if (FAILED(devices.dcTarget->BindDC(hdc, &pixelRect))) return;
    const float d = static_cast<float>(windowDpi(window));
    devices.dcTarget->SetDpi(d, d);
    devices.dcTarget->SetTransform(D2D1::Matrix3x2F::Identity());
    devices.dcTarget->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    // With ClearType level 0 in the parameters this renders grey-scale.
    devices.dcTarget->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_CLEARTYPE);
    devices.dcTarget->SetTextRenderingParams(devices.renderingParams.Get());
    devices.dcTarget->BeginDraw();
    target_ = devices.dcTarget.Get();
}

void DcDraw::end() {
    if (target_ == nullptr) return;
    target_ = nullptr;
    if (!devices.dcTarget) return;
    if (devices.dcTarget->EndDraw() == static_cast<HRESULT>(D2DERR_RECREATE_TARGET)) dropComObject(devices.dcTarget);
}

ComPtr<IDWriteTextFormat> createTextFormat(float sizeDips, int weight, unsigned flags) {
    if (!ensureTextRenderer() || !(sizeDips > 0)) return nullptr;
    ComPtr<IDWriteTextFormat> format;
    if (FAILED(devices.writeFactory->CreateTextFormat(kUiFontFamily, nullptr, static_cast<DWRITE_FONT_WEIGHT>(bucketFontWeight(weight)),
                                              DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, sizeDips, L"zh-CN",
                                              &format))) {
        return nullptr;
    }
    // Single lines never wrap; DT_WORDBREAK asks for a short wrapped block.
    format->SetWordWrapping((flags & DT_WORDBREAK) ? DWRITE_WORD_WRAPPING_WRAP : DWRITE_WORD_WRAPPING_NO_WRAP);
    if (flags & DT_CENTER) format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_CENTER);
    else if (flags & DT_RIGHT) format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_TRAILING);
    else format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
    if (flags & DT_VCENTER) format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    else if (flags & DT_BOTTOM) format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_FAR);
    else format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_NEAR);
    if (flags & DT_END_ELLIPSIS) {
        ComPtr<IDWriteInlineObject> sign;
        if (SUCCEEDED(devices.writeFactory->CreateEllipsisTrimmingSign(format.Get(), &sign))) {
            const DWRITE_TRIMMING trimming{DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
            format->SetTrimming(&trimming, sign.Get());
        }
    }
    return format;
}

void drawText(ID2D1RenderTarget* target, std::wstring_view text, const D2D1_RECT_F& rect, float sizeDips, int weight,
              COLORREF colour, unsigned flags) {
    if (target == nullptr || text.empty()) return;
    ComPtr<IDWriteTextFormat> format = createTextFormat(sizeDips, weight, flags);
    if (!format) return;
    ComPtr<ID2D1SolidColorBrush> brush;
    if (FAILED(target->CreateSolidColorBrush(toColour(colour), &brush))) return;
    target->DrawText(text.data(), static_cast<UINT32>(text.size()), format.Get(), rect, brush.Get(),
                     D2D1_DRAW_TEXT_OPTIONS_CLIP, DWRITE_MEASURING_MODE_NATURAL);
}

TextExtent measureText(std::wstring_view text, float sizeDips, int weight) {
    if (text.empty()) return {};
    ComPtr<IDWriteTextFormat> format = createTextFormat(sizeDips, weight, DT_SINGLELINE);
    if (!format) return {};
    ComPtr<IDWriteTextLayout> layout;
    if (FAILED(devices.writeFactory->CreateTextLayout(text.data(), static_cast<UINT32>(text.size()), format.Get(), 4096.0f,
                                              3 * sizeDips, &layout))) {
        return {};
    }
    DWRITE_TEXT_METRICS m{};
    if (FAILED(layout->GetMetrics(&m))) return {};
    return {m.widthIncludingTrailingWhitespace, m.height};
}

void fillRect(ID2D1RenderTarget* target, const D2D1_RECT_F& rect, COLORREF colour) {
    if (target == nullptr) return;
    ComPtr<ID2D1SolidColorBrush> brush;
    if (SUCCEEDED(target->CreateSolidColorBrush(toColour(colour), &brush))) target->FillRectangle(rect, brush.Get());
}

void fillRoundedRect(ID2D1RenderTarget* target, const D2D1_RECT_F& rect, float radius, COLORREF colour,
                     float opacity) {
    if (target == nullptr) return;
    ComPtr<ID2D1SolidColorBrush> brush;
    if (SUCCEEDED(target->CreateSolidColorBrush(toColour(colour, opacity), &brush))) {
        target->FillRoundedRectangle(D2D1::RoundedRect(rect, radius, radius), brush.Get());
    }
}

void strokeRoundedRect(ID2D1RenderTarget* target, const D2D1_RECT_F& rect, float radius, COLORREF colour,
                       float strokeWidth) {
    if (target == nullptr) return;
    ComPtr<ID2D1SolidColorBrush> brush;
    if (FAILED(target->CreateSolidColorBrush(toColour(colour), &brush))) return;
    const float h = strokeWidth / 2;
    const D2D1_RECT_F inner = D2D1::RectF(rect.left + h, rect.top + h, rect.right - h, rect.bottom - h);
    const float r = std::max(radius - h, 0.0f);
    target->DrawRoundedRectangle(D2D1::RoundedRect(inner, r, r), brush.Get(), strokeWidth);
}

void drawLine(ID2D1RenderTarget* target, D2D1_POINT_2F a, D2D1_POINT_2F b, COLORREF colour, float width) {
    if (target == nullptr) return;
    ComPtr<ID2D1SolidColorBrush> brush;
    if (SUCCEEDED(target->CreateSolidColorBrush(toColour(colour), &brush))) target->DrawLine(a, b, brush.Get(), width);
}

void setSvgSourceForTests(std::string_view (*source)(int)) { devices.svgSource = source; }

std::string_view svgResourceText(IconId icon) {
    const int resourceId = static_cast<int>(icon);
    if (devices.svgSource != nullptr) return devices.svgSource(resourceId);
    // The icons are resources of the executable itself.
    const HMODULE program = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(program, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
    if (info == nullptr) return {};
    HGLOBAL loaded = LoadResource(program, info);  // resources are never freed
    const DWORD size = SizeofResource(program, info);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) return {};
    return {static_cast<const char*>(bytes), size};
}

UniqueBitmap rasterizeSvgDocument(const SvgDocument& document, int width, int height, COLORREF colour,
                                  float angleDegrees, float scale) {
    if (width < 1 || height < 1 || width > 4096 || height > 4096) return {};
    if (!ensureTextRenderer() || !ensureImagingFactory()) return {};
    ComPtr<IWICBitmap> surface;
    if (FAILED(devices.imagingFactory->CreateBitmap(width, height, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad,
                                            &surface))) {
        return {};
    }
    const D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
        96.0f, 96.0f);
    ComPtr<ID2D1RenderTarget> target;
    if (FAILED(devices.textFactory->CreateWicBitmapRenderTarget(surface.Get(), &props, &target))) return {};
    target->BeginDraw();
    target->Clear(D2D1::ColorF(0, 0, 0, 0));
    const bool drawn = drawDocument(target.Get(), document, width, height, colour, angleDegrees, scale);
    if (FAILED(target->EndDraw()) || !drawn) return {};
    target.Reset();

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || bits == nullptr) return {};
    const UINT stride = static_cast<UINT>(width) * 4;
    if (FAILED(surface->CopyPixels(nullptr, stride, stride * static_cast<UINT>(height), static_cast<BYTE*>(bits)))) {
        return {};
    }
    GdiFlush();
    return dib;
}

UniqueBitmap rasterizeSvgIcon(IconId icon, int width, int height, COLORREF colour, float angleDegrees, float scale) {
    if (width < 1 || height < 1) return {};
    const std::string_view text = svgResourceText(icon);
    if (text.empty()) return {};
    const SvgParseResult parsed = parseSvgIcon(text);
    if (!parsed.document) return {};
    return rasterizeSvgDocument(*parsed.document, width, height, colour, angleDegrees, scale);
}

bool drawCachedIcon(HDC hdc, IconId icon, const RECT& pixelRect, COLORREF colour) {
    const int w = pixelRect.right - pixelRect.left, h = pixelRect.bottom - pixelRect.top;
    if (hdc == nullptr || w < 1 || h < 1) return false;
    HBITMAP bitmap = nullptr;
    for (const IconCacheEntry& e : devices.iconCache) {
        if (e.icon == icon && e.width == w && e.height == h && e.colour == colour) {
            bitmap = e.bitmap.get();
            break;
        }
    }
    if (bitmap == nullptr) {
        UniqueBitmap made = rasterizeSvgIcon(icon, w, h, colour);
        if (!made) return false;
        bitmap = made.get();
        devices.iconCache.push_back({icon, w, h, colour, std::move(made)});
    }
    UniqueMemoryDc memory(CreateCompatibleDC(hdc));
    if (!memory) return false;
    SelectedObject selected(memory.get(), bitmap);
    if (!selected) return false;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return AlphaBlend(hdc, pixelRect.left, pixelRect.top, w, h, memory.get(), 0, 0, w, h, blend) != FALSE;
}

void clearIconCache() { devices.iconCache.clear(); }

size_t iconCacheSize() { return devices.iconCache.size(); }

void releaseRenderer() {
    clearIconCache();
    dropComObject(devices.dcTarget);
    dropComObject(devices.renderingParams);
    dropComObject(devices.writeFactory);
    dropComObject(devices.imagingFactory);
    dropComObject(devices.textFactory);
}

}  // namespace tf
