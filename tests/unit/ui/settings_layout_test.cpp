#include <gtest/gtest.h>

#include <ostream>

#include "ui/settings_layout.h"

namespace tf {

static void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

TEST(SettingsLayout, Examples) {
    struct Case {
        float w, h;
        float margin, right, titleTop, folderTop, languageTop, openAfterTop, loggingTop, feedbackTop;
    };
    const Case cases[] = {
        {620, 420, 50, 570, 16, 140, 204, 264, 324, 380},
        {540, 360, 20, 520, 8, 114, 168, 220, 272, 324},
        {760, 520, 50, 710, 66, 190, 254, 314, 374, 430},
        {390, 300, 20, 370, 8, 114, 168, 220, 272, 324},     // narrow and short: margin and spread at their minimum
        {600, 390, 40, 560, 12, 127, 186, 242, 298, 352},    // half-way: t = 0.5
        {1000, 900, 50, 950, 256, 380, 444, 504, 564, 620},  // oy = 240
    };
    for (const Case& c : cases) {
        const SettingsLayout l = computeSettingsLayout(c.w, c.h);
        EXPECT_EQ(l.margin, c.margin) << c.w << "x" << c.h;
        EXPECT_EQ(l.right, c.right) << c.w << "x" << c.h;
        EXPECT_EQ(l.headerTitle.top, c.titleTop) << c.w << "x" << c.h;
        EXPECT_EQ(l.folderRowTop, c.folderTop) << c.w << "x" << c.h;
        EXPECT_EQ(l.languageRowTop, c.languageTop) << c.w << "x" << c.h;
        EXPECT_EQ(l.openAfterRowTop, c.openAfterTop) << c.w << "x" << c.h;
        EXPECT_EQ(l.loggingRowTop, c.loggingTop) << c.w << "x" << c.h;
        EXPECT_EQ(l.feedbackRowTop, c.feedbackTop) << c.w << "x" << c.h;
        EXPECT_EQ(l.labelLeft, c.margin);
        EXPECT_EQ(l.labelRight, c.right - 170);
    }
    const SettingsLayout l = computeSettingsLayout(620, 420);
    EXPECT_EQ(l.headerTitle, (RectF{50, 16, 570, 54}));
    EXPECT_EQ(l.headerSubtitle, (RectF{50, 54, 570, 82}));
    EXPECT_EQ(l.folderLabelTop, 88);
    EXPECT_EQ(l.folderDescriptionTop, 114);
}

TEST(SettingsLayout, ControlsAt96Dpi) {
    const SettingsControlsLayout c = layoutSettingsControls({620, 420}, 96, UiState::Home, UiLanguage::English);
    EXPECT_EQ(c.folderBox.rect, (Rect{50, 140, 436, 182}));  // folder box right edge 436
    EXPECT_EQ(c.chooseFolder.rect, (Rect{448, 140, 570, 182}));
    EXPECT_EQ(c.language.rect, (Rect{410, 204, 570, 246}));
    EXPECT_EQ(c.openAfter.rect, (Rect{522, 271, 570, 297}));
    EXPECT_EQ(c.logging.rect, (Rect{522, 331, 570, 357}));
    EXPECT_EQ(c.feedback.rect, (Rect{50, 380, 122, 412}));
    EXPECT_TRUE(c.folderBox.visible && c.chooseFolder.visible && c.language.visible && c.openAfter.visible &&
                c.logging.visible && c.feedback.visible);
    EXPECT_EQ(layoutSettingsControls({620, 420}, 96, UiState::Home, UiLanguage::ChineseSimplified).feedback.rect,
              (Rect{50, 380, 114, 412}));
}

TEST(SettingsLayout, ControlsAt144DpiAndFractions) {
    // 930 × 630 pixels at 144 DPI are 620 × 420 DIPs.
    const SettingsControlsLayout c = layoutSettingsControls({930, 630}, 144, UiState::SettingsGeneral, UiLanguage::English);
    EXPECT_EQ(c.folderBox.rect, (Rect{75, 210, 654, 273}));
    EXPECT_EQ(c.chooseFolder.rect, (Rect{672, 210, 855, 273}));
    // 561 DIPs wide: m = 20.5, R = 540.5; values are truncated before scaling.
    const SettingsControlsLayout f = layoutSettingsControls({561, 360}, 96, UiState::Home, UiLanguage::English);
    EXPECT_EQ(f.folderBox.rect, (Rect{20, 114, 406, 156}));
    EXPECT_EQ(f.chooseFolder.rect, (Rect{418, 114, 540, 156}));
}

TEST(SettingsLayout, ScrollModeRowSitsOneRowBelowTheLastAtEveryDpi) {
    struct Case {
        int32_t w, h;  // client pixels
        uint32_t dpi;
        Rect expected;
    } cases[] = {
        {620, 420, 96, {522, 447, 570, 473}},     // t = 1: 64 + 376 + 7
        {540, 360, 96, {472, 383, 520, 409}},     // t = 0: 376 + 7
        {620, 580, 96, {522, 527, 570, 553}},     // oy = 80, the opening size's client
        {930, 630, 144, {783, 671, 855, 710}},    // 620 × 420 DIPs; 447 × 1.5 rounds up
        {1240, 1160, 192, {1044, 1054, 1140, 1106}},  // 620 × 580 DIPs
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.dpi);
        const SettingsControlsLayout l = layoutSettingsControls({c.w, c.h}, c.dpi, UiState::Home, UiLanguage::English);
        EXPECT_EQ(l.scrollMode.rect, c.expected);
        EXPECT_TRUE(l.scrollMode.visible);
        // Right-aligned with the other switches, below every other control.
        EXPECT_EQ(l.scrollMode.rect.left, l.logging.rect.left);
        EXPECT_EQ(l.scrollMode.rect.right, l.logging.rect.right);
        EXPECT_GE(l.scrollMode.rect.top, l.feedback.rect.bottom);
    }
    // The opening size's client (580 DIPs) holds the row and its description.
    const SettingsLayout l = computeSettingsLayout(620, 580);
    EXPECT_LE(l.scrollModeRowTop + 46, 580);
    // The rows of the first release keep their places.
    EXPECT_EQ(computeSettingsLayout(620, 420).feedbackRowTop, 380);
}

TEST(SettingsLayout, HiddenOnHelpAndAboutPages) {
    for (UiState s : {UiState::SettingsHelp, UiState::SettingsAbout}) {
        const SettingsControlsLayout c = layoutSettingsControls({620, 420}, 96, s, UiLanguage::English);
        EXPECT_FALSE(c.folderBox.visible || c.chooseFolder.visible || c.language.visible || c.openAfter.visible ||
                     c.logging.visible || c.feedback.visible || c.scrollMode.visible)
            << uiStateName(s);
    }
}

}  // namespace
}  // namespace tf
