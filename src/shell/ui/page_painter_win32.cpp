#include "shell/ui/page_painter_win32.h"

#include "core/app/geometry.h"
#include "core/texts/bilingual.h"
#include "core/texts/capture_messages.h"
#include "core/texts/page_texts.h"
#include "core/texts/texts.h"
#include "ground/dpi.h"
#include "shell/ui/palette.h"
#include "shell/ui/renderer_win32.h"

namespace tf {
namespace {

void drawPageText(ID2D1RenderTarget* t, std::wstring_view text, const PageText& line, COLORREF colour,
                  unsigned flags) {
    drawText(t, text, rectF(line.box), line.size, line.weight, colour, flags);
}

void paintHome(const MainPageView& view, ID2D1RenderTarget* t, const MainPageLayout& l) {
    const UiLanguage lang = view.language;
    drawPageText(t, tr(lang, texts::homeTitle), l.homeTitle, palette::titleText, kTextCentred);
    drawPageText(t, tr(lang, texts::homeSubtitle), l.homeSubtitle, palette::bodyText, kTextCentred);
    drawPageText(t, tr(lang, texts::homeHint), l.hint, palette::bodyText, kTextCentred);
}

void paintResult(const MainPageView& view, ID2D1RenderTarget* t, const MainPageLayout& l) {
    const UiLanguage lang = view.language;
    const std::wstring& savedImagePath = *view.savedImagePath;
    drawPageText(t, tr(lang, texts::resultTitle), l.resultTitle, palette::success, kTextLeft);
    if (view.subtitle == ResultSubtitle::NeverScrolled) {
        // The subtitle would say it scrolled; say why it did not and what works.
        drawPageText(t, tr(lang, texts::pageNeverMovedHint), l.neverScrolledHint, palette::bodyText,
                     DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_NOPREFIX);
    } else if (view.stoppedAtLimit != CaptureLimit::None) {
        // Longer than a subtitle: it takes the two lines the hint above has.
        drawPageText(t, captureLimitResultText(view.stoppedAtLimit, view.frameLimit, lang), l.neverScrolledHint,
                     palette::bodyText, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_NOPREFIX);
    } else if (view.stats.partCount > 1) {
        drawPageText(t, splitPartsResultText(view.stats.partCount, view.stats.partLength, lang), l.neverScrolledHint,
                     palette::bodyText, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_NOPREFIX);
    } else if (view.stats.length > static_cast<uint64_t>(kViewerSafeImageLength)) {
        // Splitting is off, or the image would have been cut into parts.
        drawPageText(t, tallImageResultText(static_cast<int64_t>(view.stats.length), lang), l.neverScrolledHint,
                     palette::bodyText, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_NOPREFIX);
    } else {
        const BilingualText& subtitle =
            view.subtitle == ResultSubtitle::PersonScrolled ? texts::manualResultSubtitle : texts::resultSubtitle;
        drawPageText(t, tr(lang, subtitle), l.resultSubtitle, palette::bodyText, kTextCentred);
    }
    constexpr unsigned kCentredEllipsis = kTextCentred | DT_END_ELLIPSIS;
    drawPageText(t, fileNameOf(savedImagePath), l.savedName, palette::accent, kCentredEllipsis);
    const CaptureStats& s = view.stats;
    drawPageText(t, resultStatisticsLine(s.width, s.height, s.frameCount, s.stitchMs + s.saveMs, englishUi(lang)),
                 l.statistics, palette::bodyText, kCentredEllipsis);
    const std::wstring savedTo = std::wstring(tr(lang, texts::savedToPrefix)) + parentFolderOf(savedImagePath);
    drawPageText(t, savedTo, l.savedFolder, palette::faintText, kCentredEllipsis);
}

// The in-window settings pages are reached only through the hidden
// navigation controls; they show their page title on the page background.
void paintInWindowSettingsHeader(const MainPageView& view, ID2D1RenderTarget* t, float W, UiState state) {
    const UiLanguage lang = view.language;
    const wchar_t* title = state == UiState::SettingsHelp    ? tr(lang, texts::helpNavigation)
                           : state == UiState::SettingsAbout ? tr(lang, texts::aboutNavigation)
                                                             : tr(lang, texts::settingsButton);
    drawPageText(t, title, inWindowSettingsTitle(W, static_cast<float>(view.settingsScroll)), palette::titleText,
                 kTextCentred);
}

RECT pixelRect(const RectF& r, UINT dpi) {
    auto px = [dpi](float v) { return fractionalDipsToPixels(v, dpi); };
    return {px(r.left), px(r.top), px(r.right), px(r.bottom)};
}

}  // namespace

void paintMainPage(const MainPageView& view, HWND window, HDC hdc) {
    RECT client{};
    GetClientRect(window, &client);
    const UINT dpi = windowDpi(window);
    const auto [W, H] = dipSize(client, dpi);
    DcDraw draw(window, hdc, client);
    if (!draw) return;
    ID2D1DCRenderTarget* t = draw.target();
    const UiState state = view.shown;
    const bool resultMode = view.resultWithPath && view.savedImagePath != nullptr;
    const MainPageLayout layout = computeMainPageLayout(W, H, resultMode);
    t->Clear(D2D1::ColorF(GetRValue(palette::pageBackground) / 255.0f, GetGValue(palette::pageBackground) / 255.0f,
                          GetBValue(palette::pageBackground) / 255.0f));
    if (isSettingsPage(state)) paintInWindowSettingsHeader(view, t, W, state);
    else if (resultMode) paintResult(view, t, layout);
    else paintHome(view, t, layout);
    draw.end();
    if (resultMode) drawCachedIcon(hdc, IconId::Check, pixelRect(layout.resultCheck, dpi), palette::success);
}

}  // namespace tf
