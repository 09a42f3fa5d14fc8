#include "core/ui/button_faces.h"

#include <iterator>

#include "ground/dpi.h"

namespace tf {
namespace {

using C = ControlId;
using F = ButtonFace;
using L = ButtonLabel;
using A = LabelAlign;
using P = IconPlacement;
using T = IconTone;

constexpr ButtonStyle primary(C control, const BilingualText& text, float size, IconId icon, int32_t side) {
    ButtonStyle s{control, F::Primary, L::Text, text, size, 600, A::Left};
    s.icon = icon;
    s.placement = P::BesideLabel;
    s.tone = T::White;
    s.side = side;
    s.gap = 10;
    s.focusInset = 2;
    return s;
}

constexpr ButtonStyle centredLabel(C control, F face, const BilingualText& text) {
    ButtonStyle s{control, face, L::Text, text, 17, 600, A::Centred};
    s.focusInset = 2;
    return s;
}

constexpr ButtonStyle iconOnly(C control, IconId icon, int32_t side, IconTone tone, bool pressedDrop) {
    ButtonStyle s{control, F::IconOnly};
    s.icon = icon;
    s.placement = P::Centred;
    s.tone = tone;
    s.side = side;
    s.pressedDrop = pressedDrop;
    return s;
}

constexpr ButtonStyle gear() {
    ButtonStyle s = iconOnly(C::Settings, IconId::Gear, 18, T::HotAccent, false);
    s.ringSuppressible = true;
    return s;
}

constexpr ButtonStyle quietAction(C control, ButtonLabel label, const BilingualText& text, IconId icon) {
    ButtonStyle s{control, F::QuietAction, label, text, 14, 400, A::Left, 30, 0, icon, P::AtLeft, T::Accent, 20, 6, 10};
    return s;
}

constexpr ButtonStyle field(C control, ButtonLabel label, const BilingualText& text, A align, float inLeft, float inRight) {
    return ButtonStyle{control, F::Field, label, text, 14, 400, align, inLeft, inRight};
}

constexpr ButtonStyle link(C control, float size) {
    ButtonStyle s{control, F::Link, L::WindowText, {}, size, 400, A::Left};
    s.focusRadius = 5;
    return s;
}

constexpr ButtonStyle captureFolderField() {
    ButtonStyle s{C::CaptureFolderBox, F::FolderField, L::CaptureFolder, {}, 13, 400, A::Left, 40, 10,
                  IconId::Folder, P::AtLeft, T::Body, 16, 14, 11};
    s.ellipsis = true;
    return s;
}

constexpr ButtonStyle languageField() {
    ButtonStyle s = field(C::Language, L::LanguageName, {}, A::Left, 14, 12);
    s.icon = IconId::ChevronDown;
    s.placement = P::AtRight;
    s.tone = T::Body;
    s.side = 16;
    s.left = 30;
    s.top = 13;
    s.restsOnPage = true;
    return s;
}

constexpr ButtonStyle splitField() {
    ButtonStyle s = languageField();
    s.control = C::SplitTallImages;
    s.label = L::SplitHeight;
    return s;
}

constexpr ButtonStyle chordField() {
    ButtonStyle s = field(C::CaptureHotkey, L::HotkeyChord, {}, A::Centred, 10, 10);
    s.textWeight = 500;
    s.ellipsis = true;
    return s;
}

constexpr ButtonStyle kButtonStyles[] = {
    primary(C::StartCapture, texts::startButton, 16, IconId::Selection, 24),
    centredLabel(C::OpenImage, F::Primary, texts::openImageButton),
    centredLabel(C::CaptureAnother, F::Outlined, texts::captureAnotherButton),
    gear(),
    quietAction(C::OpenFolder, L::Text, texts::openFolderButton, IconId::Folder),
    quietAction(C::CopyImage, L::CopiedOrText, texts::copyImageButton, IconId::Copy),
    quietAction(C::Review, L::Text, texts::reviewButton, IconId::Picture),
    iconOnly(C::Minimize, IconId::Minimize, 16, T::Quiet, false),
    iconOnly(C::Close, IconId::Close, 16, T::Quiet, false),
    iconOnly(C::CloseSettings, IconId::Close, 16, T::Quiet, false),
    iconOnly(C::GeneralNavigation, IconId::Sliders, 18, T::HotAccent, true),
    iconOnly(C::HelpNavigation, IconId::Help, 18, T::HotAccent, true),
    iconOnly(C::AboutNavigation, IconId::Info, 18, T::HotAccent, true),
    captureFolderField(),
    field(C::ChooseFolder, L::Text, texts::chooseButton, A::Centred, 0, 0),
    languageField(),
    splitField(),
    chordField(),
    ButtonStyle{C::OpenAfterCapture, F::Switch},
    ButtonStyle{C::CaptureLogging, F::Switch},
    ButtonStyle{C::CopyAfterCapture, F::Switch},
    ButtonStyle{C::ScrollMode, F::Switch},
    ButtonStyle{C::StartFromTop, F::Switch},
    ButtonStyle{C::CaptureSideways, F::Switch},
    ButtonStyle{C::ReviewAfterCapture, F::Switch},
    link(C::ProductHome, 13),
    link(C::ProductSite, 13),
    link(C::Feedback, 12),
    link(C::PublisherSite, 13),
    link(C::AboutProduct, 13),
    primary(C::CheckUpdates, texts::updateCheckTitle, 14, IconId::Refresh, 18),
};

Rect offsetBy(const Rect& base, int32_t l, int32_t t, int32_t r, int32_t b) {
    return {base.left + l, base.top + t, base.left + r, base.top + b};
}

}  // namespace

std::optional<ButtonStyle> buttonStyleOf(ControlId control) {
    for (const ButtonStyle& s : kButtonStyles) {
        if (s.control == control) return s;
    }
    return std::nullopt;
}

RectF buttonLabelBox(const ButtonStyle& style, float width, float height, bool pressed) {
    const float p = pressed && style.face != ButtonFace::FolderField ? 1.0f : 0.0f;
    return {style.textLeft, p, width - style.textRight, p + height};
}

RectF buttonFocusRing(const ButtonStyle& style, float width, float height) {
    const float inset = style.focusInset;
    return {inset, inset, width - inset, height - inset};
}

Rect buttonIconRect(const ButtonStyle& s, const Rect& item, float widthDips, uint32_t dpi, bool pressed) {
    auto d = [dpi](int32_t v) { return dipsToPixels(v, dpi); };
    switch (s.placement) {
        case IconPlacement::Centred: {
            const int32_t side = d(s.side);
            const int32_t drop = s.pressedDrop && pressed ? d(1) : 0;
            const int32_t ox = (item.width() - side) / 2, oy = (item.height() - side) / 2 + drop;
            return offsetBy(item, ox, oy, ox + side, oy + side);
        }
        case IconPlacement::AtLeft:
            return offsetBy(item, d(s.left), d(s.top), d(s.left + s.side), d(s.top + s.side));
        case IconPlacement::AtRight: {
            // The right edge counts from the width in whole DIPs.
            const int32_t x = static_cast<int32_t>(widthDips) - s.left;
            return offsetBy(item, d(x), d(s.top), d(x + s.side), d(s.top + s.side));
        }
        default: return {};
    }
}

IconAndLabel iconBesideLabel(const ButtonStyle& s, const Rect& item, float width, float height, float labelWidth,
                             bool pressed, uint32_t dpi) {
    const float side = static_cast<float>(s.side);
    const float x0 = (width - (labelWidth + side + s.gap)) / 2;
    const float iy = (height - side) / 2 + (pressed ? 1.0f : 0.0f);
    auto px = [dpi](float v) { return fractionalDipsToPixels(v, dpi); };
    return {x0 + side + s.gap, offsetBy(item, px(x0), px(iy), px(x0 + side), px(iy + side))};
}

SwitchFace switchFace(bool on) {
    const float knobLeft = on ? 25.0f : 3.0f;
    return {{0, 0, 48, 26}, 13, {knobLeft, 3, knobLeft + 20, 23}, 10, {1, 1, 47, 25}, 12};
}

}  // namespace tf
