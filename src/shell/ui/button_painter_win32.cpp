// The owner-drawn buttons of both windows, each drawn by the routine of its
// face from its row of the style table (core/ui/button_faces.h).

#include <optional>
#include <string>

#include "core/texts/bilingual.h"
#include "core/texts/capture_messages.h"
#include "core/texts/texts.h"
#include "core/ui/button_faces.h"
#include "core/ui/setting_switches.h"
#include "shell/ui/page_painter_win32.h"
#include "shell/ui/palette.h"
#include "shell/ui/renderer_win32.h"
#include "platform/win32/win32_rect.h"

namespace tf {
namespace {

struct ButtonLook {
    bool pressed, disabled, focused, hot;
    bool selected;  // a navigation button of the page shown
    float w, h;
    UINT dpi;
    Rect item;  // pixels
    D2D1_RECT_F whole() const { return D2D1::RectF(0, 0, w, h); }
};

// An icon is drawn after the render target has ended, straight onto the DC.
struct IconDraw {
    IconId icon;
    Rect rect;
    COLORREF colour;
};
using PendingIcon = std::optional<IconDraw>;

std::wstring windowText(HWND w) {
    const int n = GetWindowTextLengthW(w);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(w, s.data(), n + 1)));
    return s;
}

std::wstring labelOf(const ButtonView& view, const ButtonStyle& s, HWND control) {
    const UiLanguage lang = view.settings.language;
    switch (s.label) {
        case ButtonLabel::Text: return tr(lang, s.text);
        case ButtonLabel::CopiedOrText: return view.copiedNotice ? tr(lang, texts::copiedButton) : tr(lang, s.text);
        case ButtonLabel::CaptureFolder: return view.settings.captureFolder;
        case ButtonLabel::LanguageName: return englishUi(lang) ? L"English" : L"简体中文";
        case ButtonLabel::SplitHeight: return splitHeightName(view.settings.splitHeightPx, lang);
        case ButtonLabel::HotkeyChord: return view.chordText;
        case ButtonLabel::WindowText: return windowText(control);
        case ButtonLabel::None: break;
    }
    return {};
}

unsigned labelFlags(const ButtonStyle& s) {
    return (s.align == LabelAlign::Centred ? kTextCentred : kTextLeft) | (s.ellipsis ? DT_END_ELLIPSIS : 0u);
}

D2D1_RECT_F labelBox(const ButtonStyle& s, const ButtonLook& b) { return rectF(buttonLabelBox(s, b.w, b.h, b.pressed)); }

void focusRing(ID2D1RenderTarget* t, const ButtonStyle& s, const ButtonLook& b) {
    if (b.focused) strokeRoundedRect(t, rectF(buttonFocusRing(s, b.w, b.h)), s.focusRadius, palette::focusRing, 2);
}

void hairline(ID2D1RenderTarget* t, const ButtonLook& b, COLORREF colour) {
    strokeRoundedRect(t, b.whole(), kButtonRadius, colour, 96.0f / b.dpi);
}

COLORREF iconColour(const ButtonStyle& s, const ButtonLook& b) {
    switch (s.tone) {
        case IconTone::White: return palette::white;
        case IconTone::Accent: return palette::accent;
        case IconTone::Body: return palette::bodyText;
        case IconTone::Quiet: return palette::quietIcon;
        case IconTone::HotAccent:
            return b.pressed ? palette::accentPressed : (b.selected || b.hot) ? palette::accent : palette::bodyText;
    }
    return palette::bodyText;
}

PendingIcon placedIcon(const ButtonStyle& s, const ButtonLook& b) {
    if (s.placement == IconPlacement::None) return std::nullopt;
    return IconDraw{s.icon, buttonIconRect(s, b.item, b.w, b.dpi, b.pressed), iconColour(s, b)};
}

PendingIcon paintPrimary(ID2D1RenderTarget* t, const ButtonStyle& s, const ButtonLook& b, const std::wstring& label) {
    const COLORREF fill = b.disabled  ? palette::disabled
                          : b.pressed ? palette::accentPressed
                          : b.hot     ? palette::accentHot
                                      : palette::accent;
    fillRoundedRect(t, b.whole(), kButtonRadius, fill);
    focusRing(t, s, b);
    if (s.placement != IconPlacement::BesideLabel) {
        drawText(t, label, labelBox(s, b), s.textSize, s.textWeight, palette::white, labelFlags(s));
        return std::nullopt;
    }
    const float labelWidth = measureText(label, s.textSize, s.textWeight).width;
    const IconAndLabel group = iconBesideLabel(s, b.item, b.w, b.h, labelWidth, b.pressed, b.dpi);
    D2D1_RECT_F box = labelBox(s, b);
    box.left = group.labelLeft;
    drawText(t, label, box, s.textSize, s.textWeight, palette::white, labelFlags(s));
    return IconDraw{s.icon, group.icon, iconColour(s, b)};
}

PendingIcon paintOutlined(ID2D1RenderTarget* t, const ButtonStyle& s, const ButtonLook& b, const std::wstring& label) {
    fillRoundedRect(t, b.whole(), kButtonRadius, (b.pressed || b.hot) ? palette::tint : palette::white);
    hairline(t, b, palette::accent);
    focusRing(t, s, b);
    drawText(t, label, labelBox(s, b), s.textSize, s.textWeight, palette::accent, labelFlags(s));
    return std::nullopt;
}

PendingIcon paintIconOnly(ID2D1RenderTarget* t, const ButtonStyle& s, const ButtonLook& b, bool ringSuppressed) {
    if (b.selected || b.pressed || b.hot) fillRoundedRect(t, b.whole(), kTintRadius, palette::tint);
    if (!(s.ringSuppressible && ringSuppressed)) focusRing(t, s, b);
    return placedIcon(s, b);
}

PendingIcon paintQuietAction(ID2D1RenderTarget* t, const ButtonStyle& s, const ButtonLook& b,
                             const std::wstring& label) {
    focusRing(t, s, b);
    drawText(t, label, labelBox(s, b), s.textSize, s.textWeight, b.pressed ? palette::accentPressed : palette::accent,
             labelFlags(s));
    return placedIcon(s, b);
}

PendingIcon paintFolderField(ID2D1RenderTarget* t, const ButtonStyle& s, const ButtonLook& b,
                             const std::wstring& label) {
    fillRoundedRect(t, b.whole(), kButtonRadius, palette::white);
    hairline(t, b, palette::border);
    drawText(t, label, labelBox(s, b), s.textSize, s.textWeight, palette::titleText, labelFlags(s));
    return placedIcon(s, b);
}

// The chord control is "active" while it records the next chord.
PendingIcon paintField(ID2D1RenderTarget* t, const ButtonStyle& s, const ButtonLook& b, const std::wstring& label,
                       bool recording) {
    const bool active = s.label == ButtonLabel::HotkeyChord && recording;
    const COLORREF rest = s.restsOnPage ? palette::pageBackground : palette::white;
    fillRoundedRect(t, b.whole(), kButtonRadius, (active || b.pressed || b.hot) ? palette::tint : rest);
    hairline(t, b, active ? palette::accent : palette::border);
    drawText(t, label, labelBox(s, b), s.textSize, active ? 400 : s.textWeight,
             active ? palette::accent : palette::titleText, labelFlags(s));
    focusRing(t, s, b);
    return placedIcon(s, b);
}

PendingIcon paintSwitch(ID2D1RenderTarget* t, const ButtonLook& b, bool on) {
    const SwitchFace f = switchFace(on);
    fillRoundedRect(t, rectF(f.track), f.trackRadius, on ? palette::accent : palette::disabled);
    fillRoundedRect(t, rectF(f.knob), f.knobRadius, palette::white);
    if (b.focused) strokeRoundedRect(t, rectF(f.focusRing), f.focusRadius, palette::focusRing, 2);
    return std::nullopt;
}

PendingIcon paintLink(ID2D1RenderTarget* t, const ButtonStyle& s, const ButtonLook& b, const std::wstring& label) {
    const COLORREF c = b.pressed ? palette::accentPressed : b.hot ? palette::accentHot : palette::accent;
    drawText(t, label, labelBox(s, b), s.textSize, s.textWeight, c, labelFlags(s));
    focusRing(t, s, b);
    return std::nullopt;
}

// The navigation button of the page shown; the general page's also while the
// settings window shows the main window's home page behind it.
bool navigationSelected(const ButtonView& view, ControlId control) {
    const UiState state = view.state;
    const bool inSettings = view.inSettingsWindow;
    switch (control) {
        case ControlId::GeneralNavigation:
            return state == UiState::SettingsGeneral ||
                   (inSettings && state != UiState::SettingsHelp && state != UiState::SettingsAbout);
        case ControlId::HelpNavigation: return state == UiState::SettingsHelp;
        case ControlId::AboutNavigation: return state == UiState::SettingsAbout;
        default: return false;
    }
}

PendingIcon paintFace(const ButtonView& view, ID2D1RenderTarget* t, const ButtonStyle& s, const ButtonLook& b,
                      const DRAWITEMSTRUCT& item) {
    // The main window keeps a hidden choose-folder slot that draws as bare page.
    if (s.control == ControlId::ChooseFolder && !view.inSettingsWindow) return std::nullopt;
    const std::wstring label = labelOf(view, s, item.hwndItem);
    switch (s.face) {
        case ButtonFace::Primary: return paintPrimary(t, s, b, label);
        case ButtonFace::Outlined: return paintOutlined(t, s, b, label);
        case ButtonFace::IconOnly: return paintIconOnly(t, s, b, view.settingsRingSuppressed);
        case ButtonFace::QuietAction: return paintQuietAction(t, s, b, label);
        case ButtonFace::FolderField: return paintFolderField(t, s, b, label);
        case ButtonFace::Field: return paintField(t, s, b, label, view.recordingChord);
        case ButtonFace::Switch: return paintSwitch(t, b, switchIsOn(view.settings, s.control));
        case ButtonFace::Link: return paintLink(t, s, b, label);
    }
    return std::nullopt;
}

}  // namespace

void paintOwnerButton(const ButtonView& view, HWND window, const DRAWITEMSTRUCT& item) {
    const UINT dpi = windowDpi(window);
    const RECT& rc = item.rcItem;
    const ControlId control = static_cast<ControlId>(item.CtlID);
    ButtonLook b{};
    b.pressed = (item.itemState & ODS_SELECTED) != 0;
    b.disabled = (item.itemState & ODS_DISABLED) != 0;
    b.focused = (item.itemState & ODS_FOCUS) != 0;
    b.hot = (item.itemState & ODS_HOTLIGHT) != 0 || (item.hwndItem != nullptr && item.hwndItem == view.hover);
    b.selected = navigationSelected(view, control);
    b.w = (rc.right - rc.left) * 96.0f / dpi;
    b.h = (rc.bottom - rc.top) * 96.0f / dpi;
    b.dpi = dpi;
    b.item = toRect(rc);
    DcDraw draw(window, item.hDC, rc);
    if (!draw) return;
    ID2D1DCRenderTarget* t = draw.target();
    fillRect(t, b.whole(), palette::pageBackground);
    const std::optional<ButtonStyle> style = buttonStyleOf(control);
    const PendingIcon icon = style ? paintFace(view, t, *style, b, item) : std::nullopt;
    draw.end();
    if (icon) drawCachedIcon(item.hDC, icon->icon, toRECT(icon->rect), icon->colour);
}

}  // namespace tf
