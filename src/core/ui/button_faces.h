#pragma once
// How every owner-drawn button of both windows looks: one style row per
// control (its face, label and icon), and the boxes inside a button that the
// painter draws into. Pure functions over DIPs and item pixels, so that the
// painter keeps no numbers of its own.

#include <cstdint>
#include <optional>

#include "core/app/control_ids.h"
#include "core/texts/texts.h"
#include "ground/rect.h"

namespace tf {

// The kinds of button face; each is drawn by one routine of the painter.
enum class ButtonFace {
    Primary,      // accent fill, white label; with an icon before the label when it has one
    Outlined,     // white fill, accent hairline and label
    IconOnly,     // a square icon, tinted on hover (caption buttons, gear, page navigation)
    QuietAction,  // accent label with an icon on its left, no fill (under the result's actions)
    FolderField,  // the settings window's read-only field showing the capture folder
    Field,        // white or page-coloured fill in a grey hairline: choose folder, language, chord
    Switch,       // a track with a knob
    Link,         // accent text only
};

// Where a label's text comes from: a fixed text, or what the control shows now.
enum class ButtonLabel {
    None,
    Text,            // `text` of the style row
    CopiedOrText,    // "Copied" for a moment after copying, else `text`
    CaptureFolder,   // the folder of the settings
    LanguageName,    // the name of the language in use, in that language
    SplitHeight,     // the part height chosen, or Off
    HotkeyChord,     // the chord, or the recording prompt
    WindowText,      // the control's own window text (the links)
};

enum class LabelAlign { Left, Centred };

// How an icon sits in its button.
enum class IconPlacement {
    None,
    BesideLabel,  // `side` DIPs square, a gap of `gap` and the label centred together
    Centred,      // `side` DIPs square in the middle; `pressedDrop` moves it one DIP down when pressed
    AtLeft,       // `side` DIPs square at (`left`, `top`) from the top left
    AtRight,      // `side` DIPs square, `left` DIPs in from the right edge, `top` down
};

enum class IconTone {
    White,
    Accent,
    Body,
    Quiet,      // the caption buttons' grey, never tinted
    HotAccent,  // body colour at rest, accent when hot or selected, darker when pressed
};

struct ButtonStyle {
    ControlId control = ControlId::None;
    ButtonFace face = ButtonFace::Link;
    ButtonLabel label = ButtonLabel::None;
    BilingualText text{};
    float textSize = 0;
    int textWeight = 400;
    LabelAlign align = LabelAlign::Left;
    float textLeft = 0;   // label box inset from the left …
    float textRight = 0;  // … and from the right
    IconId icon{};
    IconPlacement placement = IconPlacement::None;
    IconTone tone = IconTone::Accent;
    int32_t side = 0;
    int32_t left = 0, top = 0;
    float gap = 0;
    bool pressedDrop = false;
    float focusInset = 1;   // the focus ring's inset and corner radius
    float focusRadius = 7;
    bool restsOnPage = false;  // a Field whose resting fill is the page colour, not white
    bool ellipsis = false;     // a label too long for its box ends in an ellipsis
    bool ringSuppressible = false;  // the gear hides its ring after the settings window hands focus back
};

// The style row of a control; nothing for a control that is not owner-drawn.
std::optional<ButtonStyle> buttonStyleOf(ControlId control);

// Every button's corner radius, and the radii of the quiet hover tint.
inline constexpr float kButtonRadius = 8;
inline constexpr float kTintRadius = 7;

// The label's box of a button `width` × `height` DIPs; pressed buttons move
// their label one DIP down (the folder field never does).
RectF buttonLabelBox(const ButtonStyle& style, float width, float height, bool pressed);

// The focus ring of a button `width` × `height` DIPs.
RectF buttonFocusRing(const ButtonStyle& style, float width, float height);

// The icon's rectangle in item pixels for the Centred, AtLeft and AtRight
// placements; `item` is the button's rectangle, `widthDips` its width.
Rect buttonIconRect(const ButtonStyle& style, const Rect& item, float widthDips, uint32_t dpi, bool pressed);

// A primary button with an icon: the icon, a gap and the label centred as
// one group. `labelLeft` is where the label starts (DIPs); `icon` is in item pixels.
struct IconAndLabel {
    float labelLeft = 0;
    Rect icon;
    bool operator==(const IconAndLabel&) const = default;
};
IconAndLabel iconBesideLabel(const ButtonStyle& style, const Rect& item, float width, float height, float labelWidth,
                             bool pressed, uint32_t dpi);

// A switch: its track, its knob (left when off, right when on) and its focus ring, in DIPs.
struct SwitchFace {
    RectF track;
    float trackRadius = 0;
    RectF knob;
    float knobRadius = 0;
    RectF focusRing;
    float focusRadius = 0;
    bool operator==(const SwitchFace&) const = default;
};
SwitchFace switchFace(bool on);

}  // namespace tf
