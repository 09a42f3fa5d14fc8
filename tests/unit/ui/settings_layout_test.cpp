#include <gtest/gtest.h>

#include <ostream>

#include "core/ui/settings_layout.h"

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

// The window is taller than the classic page by the added rows; these sizes
// give the classic rows the 620 × 420 page.
constexpr int32_t kAdded = static_cast<int32_t>(kAddedSettingsRowsHeight);

TEST(SettingsLayout, ControlsAt96Dpi) {
    const SettingsControlsLayout c = layoutSettingsControls({620, 420 + kAdded}, 96, UiState::Home, UiLanguage::English);
    EXPECT_EQ(c.folderBox.rect, (Rect{50, 140, 436, 182}));  // folder box right edge 436
    EXPECT_EQ(c.chooseFolder.rect, (Rect{448, 140, 570, 182}));
    EXPECT_EQ(c.language.rect, (Rect{410, 204, 570, 246}));
    EXPECT_EQ(c.openAfter.rect, (Rect{522, 271, 570, 297}));
    EXPECT_EQ(c.logging.rect, (Rect{522, 331, 570, 357}));
    // The added rows follow the logging row at its spacing; the feedback row goes below them.
    EXPECT_EQ(c.addedRows[0].rect, (Rect{522, 391, 570, 417}));  // the copy-after switch
    EXPECT_EQ(c.addedRows[1].rect, (Rect{370, 444, 570, 486}));  // the chord control
    EXPECT_EQ(c.addedRows[2].rect, (Rect{522, 511, 570, 537}));  // the scroll-mode switch
    EXPECT_EQ(c.feedback.rect, (Rect{50, 560, 122, 592}));
    EXPECT_TRUE(c.folderBox.visible && c.chooseFolder.visible && c.language.visible && c.openAfter.visible &&
                c.logging.visible && c.feedback.visible);
    EXPECT_EQ(layoutSettingsControls({620, 420 + kAdded}, 96, UiState::Home, UiLanguage::ChineseSimplified).feedback.rect,
              (Rect{50, 560, 114, 592}));
}

TEST(SettingsLayout, ControlsAt144DpiAndFractions) {
    // 930 × 630 pixels at 144 DPI are 620 × 420 DIPs.
    const SettingsControlsLayout c =
        layoutSettingsControls({930, 630 + kAdded * 3 / 2}, 144, UiState::SettingsGeneral, UiLanguage::English);
    EXPECT_EQ(c.folderBox.rect, (Rect{75, 210, 654, 273}));
    EXPECT_EQ(c.chooseFolder.rect, (Rect{672, 210, 855, 273}));
    // 561 DIPs wide: m = 20.5, R = 540.5; values are truncated before scaling.
    const SettingsControlsLayout f = layoutSettingsControls({561, 360 + kAdded}, 96, UiState::Home, UiLanguage::English);
    EXPECT_EQ(f.folderBox.rect, (Rect{20, 114, 406, 156}));
    EXPECT_EQ(f.chooseFolder.rect, (Rect{418, 114, 540, 156}));
}

TEST(SettingsLayout, ScrollModeRowIsTheLastAddedRowAtEveryDpi) {
    ASSERT_EQ(kAddedSettingsRows[kAddedSettingsRowCount - 1].control, ControlId::ScrollMode);
    struct Case {
        int32_t w, h;  // client pixels: the classic 620 × 420 page plus the added rows
        uint32_t dpi;
        Rect expected;
    } cases[] = {
        {620, 420 + kAdded, 96, {522, 511, 570, 537}},            // logging 324 + 3 × 60 + 7
        {930, (420 + kAdded) * 3 / 2, 144, {783, 767, 855, 806}},  // the same DIPs × 1.5
        {1240, (420 + kAdded) * 2, 192, {1044, 1022, 1140, 1074}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.dpi);
        const SettingsControlsLayout l = layoutSettingsControls({c.w, c.h}, c.dpi, UiState::Home, UiLanguage::English);
        const ControlPlacement& row = l.addedRows[kAddedSettingsRowCount - 1];
        EXPECT_EQ(row.rect, c.expected);
        EXPECT_TRUE(row.visible);
        // A switch like the others, below the chord row and above the feedback link.
        EXPECT_EQ(row.rect.left, l.logging.rect.left);
        EXPECT_EQ(row.rect.right, l.logging.rect.right);
        EXPECT_GE(row.rect.top, l.addedRows[kAddedSettingsRowCount - 2].rect.bottom);
        EXPECT_LE(row.rect.bottom, l.feedback.rect.top);
    }
}

TEST(SettingsLayout, HiddenOnHelpAndAboutPages) {
    for (UiState s : {UiState::SettingsHelp, UiState::SettingsAbout}) {
        const SettingsControlsLayout c = layoutSettingsControls({620, 420}, 96, s, UiLanguage::English);
        EXPECT_FALSE(c.folderBox.visible || c.chooseFolder.visible || c.language.visible || c.openAfter.visible ||
                     c.logging.visible || c.feedback.visible)
            << uiStateName(s);
        for (const ControlPlacement& p : c.addedRows) EXPECT_FALSE(p.visible) << uiStateName(s);
    }
}

TEST(SettingsLayout, AddedRowsKeepTheClassicRowsAndScrollWhenShort) {
    struct Case { float w, h; };
    for (const Case c : {Case{620, 420}, Case{540, 360}, Case{760, 520}, Case{600, 390}}) {
        const SettingsLayout classic = computeSettingsLayout(c.w, c.h);
        const SettingsLayout page = computeSettingsPageLayout(c.w, c.h + kAddedSettingsRowsHeight, 0);
        EXPECT_EQ(page.folderRowTop, classic.folderRowTop) << c.w << "x" << c.h;
        EXPECT_EQ(page.loggingRowTop, classic.loggingRowTop) << c.w << "x" << c.h;
        const float pitch = page.loggingRowTop - page.openAfterRowTop;
        for (size_t i = 0; i < kAddedSettingsRowCount; ++i) {
            EXPECT_EQ(page.addedRowTops[i], classic.loggingRowTop + pitch * static_cast<float>(i + 1)) << i;
        }
        EXPECT_EQ(page.feedbackRowTop, classic.feedbackRowTop + pitch * static_cast<float>(kAddedSettingsRowCount));
    }
    // A window shorter than the squeezed rows scrolls by exactly what is missing.
    const float minimum = 364 + 52 * static_cast<float>(kAddedSettingsRowCount);
    EXPECT_EQ(settingsPageScrollLimit(minimum), 0);
    EXPECT_EQ(settingsPageScrollLimit(minimum + 100), 0);
    EXPECT_EQ(settingsPageScrollLimit(minimum - 68), 68);
    const float shortHeight = minimum - 68;
    const SettingsLayout top = computeSettingsPageLayout(620, shortHeight, 0);
    const SettingsLayout scrolled = computeSettingsPageLayout(620, shortHeight, 68);
    EXPECT_EQ(scrolled.folderRowTop, top.folderRowTop - 68);
    EXPECT_EQ(scrolled.headerTitle.top, top.headerTitle.top - 68);
    EXPECT_EQ(scrolled.addedRowTops.back(), top.addedRowTops.back() - 68);
    EXPECT_GT(top.feedbackRowTop + 32, shortHeight);        // cut off before scrolling
    EXPECT_LE(scrolled.feedbackRowTop + 32, shortHeight);   // the last row fits once scrolled to the end
}

}  // namespace
}  // namespace tf
