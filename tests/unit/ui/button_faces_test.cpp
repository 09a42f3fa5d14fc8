#include <gtest/gtest.h>

#include <ostream>

#include "core/ui/button_faces.h"
#include "ground/dpi.h"

namespace tf {

static void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

bool inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom && inner.left < inner.right && inner.top < inner.bottom;
}

// The buttons of both windows at the sizes their layouts give them (DIPs).
struct Sized {
    ControlId control;
    int32_t w, h;
};
constexpr Sized kSizedButtons[] = {
    {ControlId::StartCapture, 260, 54},  {ControlId::OpenImage, 196, 52},      {ControlId::CaptureAnother, 196, 52},
    {ControlId::Settings, 32, 32},       {ControlId::OpenFolder, 160, 36},     {ControlId::CopyImage, 120, 36},     {ControlId::Review, 90, 36},
    {ControlId::Minimize, 32, 32},       {ControlId::Close, 32, 32},           {ControlId::CloseSettings, 32, 32},
    {ControlId::GeneralNavigation, 32, 32}, {ControlId::HelpNavigation, 32, 32}, {ControlId::AboutNavigation, 32, 32},
    {ControlId::CaptureFolderBox, 386, 42}, {ControlId::ChooseFolder, 122, 42}, {ControlId::Language, 160, 42},
    {ControlId::CaptureHotkey, 200, 42}, {ControlId::OpenAfterCapture, 48, 26}, {ControlId::CaptureLogging, 48, 26},
    {ControlId::CopyAfterCapture, 48, 26}, {ControlId::ScrollMode, 48, 26},   {ControlId::ProductHome, 120, 24},
    {ControlId::ProductSite, 120, 24},   {ControlId::Feedback, 72, 32},        {ControlId::PublisherSite, 120, 24},
    {ControlId::AboutProduct, 120, 24},  {ControlId::CheckUpdates, 180, 40},   {ControlId::StartFromTop, 48, 26},
    {ControlId::CaptureSideways, 48, 26}, {ControlId::ReviewAfterCapture, 48, 26}, {ControlId::SplitTallImages, 160, 42},
};

TEST(ButtonFaces, EveryOwnerDrawnControlHasOneStyleAndOthersNone) {
    size_t styled = 0;
    for (int32_t n = 0; n <= kMaxControlId; ++n) {
        const auto id = static_cast<ControlId>(n);
        if (const std::optional<ButtonStyle> s = buttonStyleOf(id)) {
            ++styled;
            EXPECT_EQ(s->control, id) << n;
            const bool labelled = s->face != ButtonFace::IconOnly && s->face != ButtonFace::Switch;
            EXPECT_EQ(labelled, s->label != ButtonLabel::None) << n;
            if (s->label == ButtonLabel::Text || s->label == ButtonLabel::CopiedOrText) {
                EXPECT_TRUE(s->text.english != nullptr && s->text.chinese != nullptr) << n;
            }
            if (labelled) {
                EXPECT_GT(s->textSize, 0) << n;
            }
            EXPECT_EQ(s->placement == IconPlacement::None, s->icon == IconId{}) << n;
        }
    }
    EXPECT_EQ(styled, std::size(kSizedButtons));
    EXPECT_FALSE(buttonStyleOf(ControlId::None));
}

TEST(ButtonFaces, LabelsAndIconsStayInsideTheirButtonsAtEveryDpi) {
    for (const uint32_t dpi : {96u, 120u, 144u, 192u}) {
        for (const Sized& b : kSizedButtons) {
            SCOPED_TRACE(testing::Message() << "control " << idNumber(b.control) << " at " << dpi);
            const ButtonStyle s = *buttonStyleOf(b.control);
            const Rect item{100, 50, 100 + dipsToPixels(b.w, dpi), 50 + dipsToPixels(b.h, dpi)};
            const float w = static_cast<float>(b.w), h = static_cast<float>(b.h);
            for (const bool pressed : {false, true}) {
                const RectF box = buttonLabelBox(s, w, h, pressed);
                EXPECT_GE(box.left, 0);
                EXPECT_LE(box.right, w);
                EXPECT_LT(box.left, box.right);
                if (s.placement == IconPlacement::BesideLabel) {
                    const IconAndLabel g = iconBesideLabel(s, item, w, h, w / 2, pressed, dpi);
                    EXPECT_TRUE(inside(g.icon, item));
                    EXPECT_LT(g.icon.right, item.left + fractionalDipsToPixels(g.labelLeft, dpi));
                } else if (s.placement != IconPlacement::None) {
                    EXPECT_TRUE(inside(buttonIconRect(s, item, w, dpi, pressed), item));
                }
            }
            const RectF ring = buttonFocusRing(s, w, h);
            EXPECT_TRUE(ring.left > 0 && ring.top > 0 && ring.right < w && ring.bottom < h);
        }
    }
}

TEST(ButtonFaces, PressingMovesTheLabelAndTheNavigationIconDownOneDip) {
    const ButtonStyle start = *buttonStyleOf(ControlId::StartCapture);
    const RectF up = buttonLabelBox(start, 260, 54, false), down = buttonLabelBox(start, 260, 54, true);
    EXPECT_EQ(down.top, up.top + 1);
    EXPECT_EQ(down.bottom, up.bottom + 1);
    // The read-only folder field never moves.
    const ButtonStyle folder = *buttonStyleOf(ControlId::CaptureFolderBox);
    EXPECT_EQ(buttonLabelBox(folder, 386, 42, true), buttonLabelBox(folder, 386, 42, false));

    const Rect item{0, 0, 48, 48};  // 32 DIPs at 144 DPI
    const ButtonStyle help = *buttonStyleOf(ControlId::HelpNavigation);
    const Rect rest = buttonIconRect(help, item, 32, 144, false), pressed = buttonIconRect(help, item, 32, 144, true);
    EXPECT_EQ(rest, (Rect{10, 10, 37, 37}));  // 18 DIPs are 27 pixels, centred
    EXPECT_EQ(pressed.top, rest.top + dipsToPixels(1, 144));
    const ButtonStyle gear = *buttonStyleOf(ControlId::Settings);
    EXPECT_EQ(buttonIconRect(gear, item, 32, 144, true), rest);
}

TEST(ButtonFaces, IconBesideLabelCentresTheGroup) {
    const ButtonStyle start = *buttonStyleOf(ControlId::StartCapture);
    // 260 DIPs wide, a label of 150: icon 24 + gap 10 + 150 = 184, so 38 DIPs each side.
    const IconAndLabel g = iconBesideLabel(start, {0, 0, 260, 54}, 260, 54, 150, false, 96);
    EXPECT_EQ(g.icon, (Rect{38, 15, 62, 39}));
    EXPECT_EQ(g.labelLeft, 72);
    EXPECT_EQ(260 - (g.labelLeft + 150), 38);
    // Pressed, the icon moves down with the label.
    EXPECT_EQ(iconBesideLabel(start, {0, 0, 260, 54}, 260, 54, 150, true, 96).icon.top, 16);
}

TEST(ButtonFaces, AnchoredIconsKeepTheirDistanceFromTheirEdge) {
    const ButtonStyle language = *buttonStyleOf(ControlId::Language);
    for (const int32_t w : {160, 200}) {
        const Rect r = buttonIconRect(language, {10, 20, 10 + w, 62}, static_cast<float>(w), 96, false);
        EXPECT_EQ(10 + w - r.right, 14) << w;  // the chevron ends 14 DIPs before the right edge
        EXPECT_EQ(r.top, 20 + 13);
    }
    const ButtonStyle folder = *buttonStyleOf(ControlId::OpenFolder);
    EXPECT_EQ(buttonIconRect(folder, {200, 300, 440, 354}, 160, 144, false), (Rect{209, 315, 239, 345}));
}

TEST(ButtonFaces, SwitchKnobSitsInsideTheTrackOnTheSideOfItsState) {
    for (const bool on : {false, true}) {
        const SwitchFace f = switchFace(on);
        EXPECT_TRUE(f.knob.left > f.track.left && f.knob.right < f.track.right && f.knob.top > f.track.top &&
                    f.knob.bottom < f.track.bottom);
        const float middle = (f.track.left + f.track.right) / 2;
        EXPECT_EQ(on, f.knob.left > middle);
        EXPECT_EQ(f.trackRadius * 2, f.track.bottom - f.track.top);  // a pill
    }
    EXPECT_EQ(switchFace(false).knob.left - switchFace(false).track.left,
              switchFace(true).track.right - switchFace(true).knob.right);  // mirrored
}

}  // namespace
}  // namespace tf
