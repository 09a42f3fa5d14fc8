#include "shell/review/review_paint_win32.h"

#include <array>
#include <string>

#include "core/texts/seam_texts.h"
#include "core/texts/texts.h"
#include "ground/dpi.h"
#include "shell/review/review_window_win32.h"
#include "shell/ui/palette.h"
#include "shell/ui/renderer_win32.h"

namespace tf {
namespace {

constexpr float kToolbarHeight = 84, kMargin = 16, kButtonTop = 12, kButtonHeight = 36;
constexpr float kSaveWidth = 150, kCutWidth = 170, kButtonGap = 12;

RECT pixels(float l, float t, float r, float b, uint32_t dpi) {
    return {fractionalDipsToPixels(l, dpi), fractionalDipsToPixels(t, dpi), fractionalDipsToPixels(r, dpi),
            fractionalDipsToPixels(b, dpi)};
}

}  // namespace

ReviewToolbarLayout reviewToolbarLayout(int32_t clientWidth, uint32_t dpi) {
    const float W = static_cast<float>(clientWidth) * 96.0f / static_cast<float>(effectiveDpi(dpi));
    const float saveLeft = W - kMargin - kSaveWidth;
    const float cutLeft = saveLeft - kButtonGap - kCutWidth;
    ReviewToolbarLayout l;
    l.height = dipsToPixels(static_cast<int32_t>(kToolbarHeight), dpi);
    l.save = pixels(saveLeft, kButtonTop, saveLeft + kSaveWidth, kButtonTop + kButtonHeight, dpi);
    l.cut = pixels(cutLeft, kButtonTop, cutLeft + kCutWidth, kButtonTop + kButtonHeight, dpi);
    return l;
}

COLORREF seamKindColour(SeamKind kind) {
    switch (kind) {
        case SeamKind::Fallback: return rgbHex(0xD92D20);
        case SeamKind::ThinEvidence: return rgbHex(0xF79009);
        case SeamKind::PanelsPastedOnce: return rgbHex(0x7F56D9);
        case SeamKind::Solid: break;
    }
    return rgbHex(0x12B76A);
}

void ReviewWindow::paintToolbar(HDC hdc) {
    RECT client{};
    GetClientRect(frame_, &client);
    const ReviewToolbarLayout l = reviewToolbarLayout(client.right, dpi_);
    const RECT bar{0, 0, client.right, l.height};
    DcDraw draw(frame_, hdc, bar);
    if (!draw) return;
    ID2D1DCRenderTarget* t = draw.target();
    const UiLanguage lang = language();
    const float W = static_cast<float>(client.right) * 96.0f / static_cast<float>(dpi_);
    const float textRight = static_cast<float>(l.cut.left) * 96.0f / static_cast<float>(dpi_) - kButtonGap;
    fillRect(t, D2D1::RectF(0, 0, W, kToolbarHeight), palette::pageBackground);
    const TrimRect& kept = model_->rect();
    const ReviewFigures figures{image_->width(), image_->height(), kept.width(), kept.height(), model_->seams().size(),
                                static_cast<int32_t>(view_->scale() * 100.0 + 0.5)};
    drawText(t, reviewStatusLine(figures, lang), D2D1::RectF(kMargin, 8, textRight, 30), 14, 600, palette::titleText,
             kTextLeft | DT_END_ELLIPSIS);
    const std::wstring hint = image_->complete() ? std::wstring(tr(lang, texts::keysHintText))
                                                 : std::wstring(tr(lang, texts::reviewLoadingText));
    drawText(t, hint, D2D1::RectF(kMargin, 30, textRight, 50), 12, 400, palette::bodyText, kTextLeft | DT_END_ELLIPSIS);
    // The legend names only the kinds this capture has, weakest first.
    std::array<bool, kSeamKindCount> present{};
    for (const ReviewSeam& s : model_->seams()) present[static_cast<size_t>(s.kind)] = true;
    float x = kMargin;
    for (int32_t k = 0; k < kSeamKindCount; ++k) {
        if (!present[static_cast<size_t>(k)]) continue;
        const auto kind = static_cast<SeamKind>(k);
        fillRoundedRect(t, D2D1::RectF(x, 61, x + 12, 73), 2, seamKindColour(kind));
        const wchar_t* name = seamKindName(kind, lang);
        const float width = measureText(name, 12, 400).width;
        drawText(t, name, D2D1::RectF(x + 18, 56, x + 18 + width + 4, 78), 12, 400, palette::titleText, kTextLeft);
        x += 18 + width + 22;
    }
    drawLine(t, D2D1::Point2F(0, kToolbarHeight - 0.5f), D2D1::Point2F(W, kToolbarHeight - 0.5f), palette::border, 1);
}

void ReviewWindow::drawButton(const DRAWITEMSTRUCT& item) {
    DcDraw draw(frame_, item.hDC, item.rcItem);
    if (!draw) return;
    ID2D1DCRenderTarget* t = draw.target();
    const float w = static_cast<float>(item.rcItem.right - item.rcItem.left) * 96.0f / static_cast<float>(dpi_);
    const float h = static_cast<float>(item.rcItem.bottom - item.rcItem.top) * 96.0f / static_cast<float>(dpi_);
    const bool primary = item.hwndItem == saveButton_;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    fillRect(t, D2D1::RectF(0, 0, w, h), palette::pageBackground);
    const UiLanguage lang = language();
    const wchar_t* label = primary ? tr(lang, texts::saveTrimmedButton) : tr(lang, texts::cutAtSeamCommand);
    const float drop = pressed ? 1.0f : 0.0f;
    if (primary) {
        fillRoundedRect(t, D2D1::RectF(0, 0, w, h), 8,
                        disabled ? palette::disabled : pressed ? palette::accentPressed : palette::accent);
        drawText(t, label, D2D1::RectF(0, drop, w, h + drop), 14, 600, palette::white, kTextCentred);
    } else {
        fillRoundedRect(t, D2D1::RectF(0, 0, w, h), 8, pressed ? palette::tint : palette::white);
        strokeRoundedRect(t, D2D1::RectF(0, 0, w, h), 8, disabled ? palette::disabled : palette::accent, 1);
        drawText(t, label, D2D1::RectF(0, drop, w, h + drop), 14, 600, disabled ? palette::faintText : palette::accent,
                 kTextCentred);
    }
}

}  // namespace tf
