#include "shell/ui/page_painter_win32.h"

#include <cmath>

#include "shell/app/app_globals_win32.h"
#include "shell/app/commands_win32.h"
#include "shell/app/control_table_win32.h"
#include "shell/app/copy_and_hotkey_win32.h"
#include "ground/dpi.h"
#include "core/app/geometry.h"
#include "shell/app/app_window_win32.h"
#include "shell/app/page_driver_win32.h"
#include "shell/capture/capture_globals_win32.h"
#include "core/texts/texts.h"
#include "core/texts/bilingual.h"
#include "shell/ui/button_proc_win32.h"
#include "core/texts/page_texts.h"
#include "shell/ui/palette.h"
#include "shell/ui/renderer_win32.h"

namespace tf {
namespace {

D2D1_RECT_F rectF(float l, float t, float r, float b) { return D2D1::RectF(l, t, r, b); }
D2D1_RECT_F rectF(const RectF& r) { return D2D1::RectF(r.left, r.top, r.right, r.bottom); }

int px(UINT dpi, float dips) { return fractionalDipsToPixels(dips, dpi); }
int md(UINT dpi, int v) { return dipsToPixels(v, dpi); }

RECT offsetRect(const RECT& base, int l, int t, int r, int b) {
    return {base.left + l, base.top + t, base.left + r, base.top + b};
}

// A square icon of `sideDips` centred in the item, `dy` pixels lower.
RECT centredIcon(const RECT& rc, UINT dpi, int sideDips, int dy = 0) {
    const int side = dipsToPixels(sideDips, dpi);
    const int ox = ((rc.right - rc.left) - side) / 2, oy = ((rc.bottom - rc.top) - side) / 2 + dy;
    return offsetRect(rc, ox, oy, ox + side, oy + side);
}

std::wstring windowText(HWND w) {
    const int n = GetWindowTextLengthW(w);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(w, s.data(), n + 1)));
    return s;
}

void paintHome(const Application& app, ID2D1RenderTarget* t, float W, float y, const MainPageLayout& layout) {
    const UiLanguage lang = app.settings.language;
    drawText(t, tr(lang, texts::homeTitle), rectF(40, y + 56, W - 40, y + 100), 30, 400,
             palette::titleText, kTextCentred);
    drawText(t, tr(lang, texts::homeSubtitle),
             rectF(40, y + 106, W - 40, y + 134), 15, 400, palette::bodyText, kTextCentred);
    drawText(t, tr(lang, texts::homeHint), rectF(layout.hintLine), 14, 400,
             palette::bodyText, kTextCentred);
}

void paintResult(const Application& app, ID2D1RenderTarget* t, float W, float x, float y) {
    const UiLanguage lang = app.settings.language;
    const std::wstring& savedImagePath = app.save.savedImagePath;
    drawText(t, tr(lang, texts::resultTitle), rectF(x + 240, y + 44, W - 30, y + 84), 30, 700,
             palette::success, kTextLeft);
    if (lastCaptureKind == CaptureKind::NeverScrolled) {
        // The subtitle would say it scrolled; say why it did not and what works.
        drawText(t, tr(lang, texts::pageNeverMovedHint), rectF(40, y + 84, W - 40, y + 124), 12, 400, palette::bodyText,
                 DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_NOPREFIX);
    } else {
        const BilingualText& subtitle =
            lastCaptureKind == CaptureKind::PersonScrolled ? texts::manualResultSubtitle : texts::resultSubtitle;
        drawText(t, tr(lang, subtitle), rectF(40, y + 88, W - 40, y + 120), 15, 400, palette::bodyText, kTextCentred);
    }
    constexpr unsigned kCentredEllipsis = 0x8025;
    drawText(t, fileNameOf(savedImagePath), rectF(50, y + 144, W - 50, y + 174), 18, 600, palette::accent,
             kCentredEllipsis);
    const CaptureStats& s = app.save.lastCaptureStats;
    drawText(t, resultStatisticsLine(s.width, s.height, s.frameCount, s.stitchMs + s.saveMs, englishUi(lang)),
             rectF(50, y + 178, W - 50, y + 206), 14, 400, palette::bodyText, kCentredEllipsis);
    const std::wstring savedTo = std::wstring(tr(lang, texts::savedToPrefix)) + parentFolderOf(savedImagePath);
    drawText(t, savedTo, rectF(50, y + 206, W - 50, y + 234), 13, 400, palette::faintText, kCentredEllipsis);
}

// The in-window settings pages are reached only through the hidden controls
// 20-22; they show their page title on the page background.
void paintInWindowSettingsHeader(const Application& app, ID2D1RenderTarget* t, float W, UiState state) {
    const UiLanguage lang = app.settings.language;
    const wchar_t* title = state == UiState::SettingsHelp    ? tr(lang, texts::helpNavigation)
                           : state == UiState::SettingsAbout ? tr(lang, texts::aboutNavigation)
                                                             : tr(lang, texts::settingsButton);
    drawText(t, title, rectF(40, 16.0f - settingsScrollOffset(app), W - 40, 60.0f - settingsScrollOffset(app)), 28, 400,
             palette::titleText, kTextCentred);
}

struct ButtonLook {
    bool pressed, disabled, focused, hot;
    float w, h, p;
    UINT dpi;
};

void focusRing(ID2D1RenderTarget* t, const ButtonLook& b, float inset, float radius) {
    if (b.focused) strokeRoundedRect(t, rectF(inset, inset, b.w - inset, b.h - inset), radius, palette::focusRing, 2);
}

COLORREF primaryFill(const ButtonLook& b) {
    return b.disabled ? palette::disabled : b.pressed ? palette::accentPressed : b.hot ? palette::accentHot : palette::accent;
}

// A primary button whose icon, a gap and the label are centred together;
// returns the icon's pixel rectangle, drawn after the target has ended.
RECT primaryButtonWithIcon(ID2D1RenderTarget* t, const ButtonLook& b, const RECT& rc, const std::wstring& label,
                           float textSize, float iconDips, float gap) {
    fillRoundedRect(t, D2D1::RectF(0, 0, b.w, b.h), 8, primaryFill(b));
    focusRing(t, b, 2, 7);
    const float textW = measureText(label, textSize, 600).width;
    const float x0 = (b.w - (textW + iconDips + gap)) / 2;
    drawText(t, label, D2D1::RectF(x0 + iconDips + gap, b.p, b.w, b.p + b.h), textSize, 600, palette::white, kTextLeft);
    const float iy = (b.h - iconDips) / 2 + b.p;
    return offsetRect(rc, px(b.dpi, x0), px(b.dpi, iy), px(b.dpi, x0 + iconDips), px(b.dpi, iy + iconDips));
}

void hairline(ID2D1RenderTarget* t, const ButtonLook& b, float radius, COLORREF colour) {
    strokeRoundedRect(t, rectF(0, 0, b.w, b.h), radius, colour, 96.0f / b.dpi);
}

}  // namespace

void paintMainPage(HWND window, HDC hdc) {
    const Application* found = applicationOf(window);
    if (found == nullptr) return;
    const Application& app = *found;
    RECT client{};
    GetClientRect(window, &client);
    const UINT dpi = windowDpi(window);
    const float W = client.right * 96.0f / dpi, H = client.bottom * 96.0f / dpi;
    DcDraw draw(window, hdc, client);
    if (!draw) return;
    ID2D1DCRenderTarget* t = draw.target();
    const UiState state = displayedMainState(app);
    const bool resultMode = inResultWithPath(app);
    const MainPageLayout layout = computeMainPageLayout(W, H, resultMode);
    const float y = (H - (resultMode ? 410 : 340)) / 2, x = (W - 660) / 2;
    t->Clear(D2D1::ColorF(GetRValue(palette::pageBackground) / 255.0f, GetGValue(palette::pageBackground) / 255.0f,
                          GetBValue(palette::pageBackground) / 255.0f));
    if (isSettingsPage(state)) paintInWindowSettingsHeader(app, t, W, state);
    else if (resultMode) paintResult(app, t, W, x, y);
    else paintHome(app, t, W, y, layout);
    draw.end();
    if (resultMode) {
        const RECT check{px(dpi, x + 198), px(dpi, y + 49), px(dpi, x + 226), px(dpi, y + 77)};
        drawCachedIcon(hdc, IconId::Check, check, palette::success);
    }
}

void paintOwnerButton(HWND window, const DRAWITEMSTRUCT& item) {
    const Application* found = applicationOf(window);
    if (found == nullptr) return;
    const Application& app = *found;
    const UiLanguage lang = app.settings.language;
    const HWND settingsWindow = app.settingsWindow;
    const UINT dpi = windowDpi(window);
    const RECT& rc = item.rcItem;
    ButtonLook b{};
    b.pressed = (item.itemState & ODS_SELECTED) != 0;
    b.disabled = (item.itemState & ODS_DISABLED) != 0;
    b.focused = (item.itemState & ODS_FOCUS) != 0;
    b.hot = (item.itemState & ODS_HOTLIGHT) != 0 || (item.hwndItem != nullptr && item.hwndItem == app.buttons.hover);
    b.w = (rc.right - rc.left) * 96.0f / dpi;
    b.h = (rc.bottom - rc.top) * 96.0f / dpi;
    b.p = b.pressed ? 1.0f : 0.0f;
    b.dpi = dpi;
    DcDraw draw(window, item.hDC, rc);
    if (!draw) return;
    ID2D1DCRenderTarget* t = draw.target();
    fillRect(t, rectF(0, 0, b.w, b.h), palette::pageBackground);
    const bool inSettings = window == settingsWindow && settingsWindow != nullptr;
    const float p = b.p;
    IconId iconId{};  // none
    RECT iconRect{};
    COLORREF iconColour = 0;
    const UiState state = currentUiState(app);

    const ControlId control = static_cast<ControlId>(item.CtlID);
    switch (control) {
        case ControlId::StartCapture:
            iconRect = primaryButtonWithIcon(t, b, rc, tr(lang, texts::startButton), 16, 24, 10);
            iconId = IconId::Selection;
            iconColour = palette::white;
            break;
        case ControlId::OpenImage:
            fillRoundedRect(t, rectF(0, 0, b.w, b.h), 8, primaryFill(b));
            focusRing(t, b, 2, 7);
            drawText(t, tr(lang, texts::openImageButton), rectF(0, p, b.w, p + b.h), 17, 600, palette::white, kTextCentred);
            break;
        case ControlId::CaptureAnother:
            fillRoundedRect(t, rectF(0, 0, b.w, b.h), 8, (b.pressed || b.hot) ? palette::tint : palette::white);
            strokeRoundedRect(t, rectF(0, 0, b.w, b.h), 8, palette::accent, 96.0f / dpi);
            focusRing(t, b, 2, 7);
            drawText(t, tr(lang, texts::captureAnotherButton), rectF(0, p, b.w, p + b.h), 17, 600, palette::accent,
                     kTextCentred);
            break;
        case ControlId::Settings: {
            if (b.pressed || b.hot) fillRoundedRect(t, rectF(0, 0, b.w, b.h), 7, palette::tint);
            if (b.focused && !app.buttons.settingsFocusRingSuppressed) focusRing(t, b, 1, 7);
            iconId = IconId::Gear;
            iconColour = b.pressed ? palette::accentPressed : b.hot ? palette::accent : palette::bodyText;
            iconRect = centredIcon(rc, dpi, 18);
            break;
        }
        case ControlId::OpenFolder:
            focusRing(t, b, 1, 7);
            drawText(t, tr(lang, texts::openFolderButton), rectF(30, p, b.w, p + b.h), 14, 400,
                     b.pressed ? palette::accentPressed : palette::accent, kTextLeft);
            iconId = IconId::Folder;
            iconColour = palette::accent;
            iconRect = offsetRect(rc, md(dpi, 6), md(dpi, 10), md(dpi, 26), md(dpi, 30));
            break;
        case ControlId::CopyImage:
            focusRing(t, b, 1, 7);
            drawText(t, copiedNoticeShown(app.copyAndHotkey) ? tr(lang, texts::copiedButton) : tr(lang, texts::copyImageButton),
                     rectF(30, p, b.w, p + b.h), 14, 400, b.pressed ? palette::accentPressed : palette::accent,
                     kTextLeft);
            iconId = IconId::Copy;
            iconColour = palette::accent;
            iconRect = offsetRect(rc, md(dpi, 6), md(dpi, 10), md(dpi, 26), md(dpi, 30));
            break;
        case ControlId::Minimize:
        case ControlId::Close:
        case ControlId::CloseSettings: {
            if (b.pressed || b.hot) fillRoundedRect(t, rectF(0, 0, b.w, b.h), 7, palette::tint);
            focusRing(t, b, 1, 7);
            iconId = control == ControlId::Minimize ? IconId::Minimize : IconId::Close;
            iconColour = palette::quietIcon;
            iconRect = centredIcon(rc, dpi, 16);
            break;
        }
        case ControlId::GeneralNavigation:
        case ControlId::HelpNavigation:
        case ControlId::AboutNavigation: {
            // Navigation between the settings pages: an icon, tinted when its
            // page is the one shown.
            const UiState page = control == ControlId::GeneralNavigation ? UiState::SettingsGeneral
                                 : control == ControlId::HelpNavigation  ? UiState::SettingsHelp
                                                                         : UiState::SettingsAbout;
            const bool selected = state == page || (page == UiState::SettingsGeneral && inSettings &&
                                                    state != UiState::SettingsHelp && state != UiState::SettingsAbout);
            if (selected || b.pressed || b.hot) fillRoundedRect(t, rectF(0, 0, b.w, b.h), 7, palette::tint);
            focusRing(t, b, 1, 7);
            iconId = control == ControlId::GeneralNavigation ? IconId::Sliders
                     : control == ControlId::HelpNavigation  ? IconId::Help
                                                             : IconId::Info;
            iconColour = b.pressed ? palette::accentPressed : (selected || b.hot) ? palette::accent : palette::bodyText;
            iconRect = centredIcon(rc, dpi, 18, b.pressed ? md(dpi, 1) : 0);
            break;
        }
        case ControlId::CaptureFolderBox:
            fillRoundedRect(t, rectF(0, 0, b.w, b.h), 8, palette::white);
            strokeRoundedRect(t, rectF(0, 0, b.w, b.h), 8, palette::border, 96.0f / dpi);
            drawText(t, app.settings.captureFolder, rectF(40, 0, b.w - 10, b.h), 13, 400, palette::titleText,
                     kTextLeft | DT_END_ELLIPSIS);
            iconId = IconId::Folder;
            iconColour = palette::bodyText;
            iconRect = offsetRect(rc, md(dpi, 14), md(dpi, 11), md(dpi, 30), md(dpi, 27));
            break;
        case ControlId::ChooseFolder:
            if (inSettings) {
                fillRoundedRect(t, rectF(0, 0, b.w, b.h), 8, (b.pressed || b.hot) ? palette::tint : palette::white);
                hairline(t, b, 8, palette::border);
                drawText(t, tr(lang, texts::chooseButton), rectF(0, p, b.w, p + b.h), 14, 400, palette::titleText, kTextCentred);
                focusRing(t, b, 1, 7);
            }
            break;
        case ControlId::Language: {
            fillRoundedRect(t, rectF(0, 0, b.w, b.h), 8, (b.pressed || b.hot) ? palette::tint : palette::pageBackground);
            hairline(t, b, 8, palette::border);
            drawText(t, englishUi(lang) ? L"English" : L"简体中文", rectF(14, p, b.w - 12, p + b.h), 14, 400,
                     palette::titleText, kTextLeft);
            focusRing(t, b, 1, 7);
            iconId = IconId::ChevronDown;
            iconColour = palette::bodyText;
            const int w = static_cast<int>(b.w);
            iconRect = offsetRect(rc, md(dpi, w - 30), md(dpi, 13), md(dpi, w - 14), md(dpi, 29));
            break;
        }
        case ControlId::CaptureHotkey: {
            const bool recording = recordingHotkey(app.copyAndHotkey);
            fillRoundedRect(t, rectF(0, 0, b.w, b.h), 8, (recording || b.pressed || b.hot) ? palette::tint : palette::white);
            hairline(t, b, 8, recording ? palette::accent : palette::border);
            drawText(t, hotkeyControlText(app), rectF(10, p, b.w - 10, p + b.h), 14, recording ? 400 : 500,
                     recording ? palette::accent : palette::titleText, kTextCentred | DT_END_ELLIPSIS);
            focusRing(t, b, 1, 7);
            break;
        }
        case ControlId::OpenAfterCapture:
        case ControlId::CaptureLogging:
        case ControlId::CopyAfterCapture:
        case ControlId::ScrollMode: {
            const bool on = switchIsOn(app.settings, control);
            fillRoundedRect(t, rectF(0, 0, 48, 26), 13, on ? palette::accent : palette::disabled);
            const float kx = on ? 25.0f : 3.0f;
            fillRoundedRect(t, rectF(kx, 3, kx + 20, 23), 10, palette::white);
            if (b.focused) strokeRoundedRect(t, rectF(1, 1, 47, 25), 12, palette::focusRing, 2);
            break;
        }
        case ControlId::ProductHome:
        case ControlId::ProductSite:
        case ControlId::Feedback:
        case ControlId::PublisherSite:
        case ControlId::AboutProduct: {
            const COLORREF c = b.pressed ? palette::accentPressed : b.hot ? palette::accentHot : palette::accent;
            const float size = control == ControlId::Feedback ? 12.0f : 13.0f;
            drawText(t, windowText(item.hwndItem), rectF(0, p, b.w, p + b.h), size, 400, c, kTextLeft);
            focusRing(t, b, 1, 5);
            break;
        }
        case ControlId::CheckUpdates:
            iconRect = primaryButtonWithIcon(t, b, rc, tr(lang, texts::updateCheckTitle), 14, 18, 10);
            iconId = IconId::Refresh;
            iconColour = palette::white;
            break;
        default: break;
    }
    draw.end();
    if (iconId != IconId{}) drawCachedIcon(item.hDC, iconId, iconRect, iconColour);
}

}  // namespace tf
