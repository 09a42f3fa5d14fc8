#include <gtest/gtest.h>

#include <ostream>

#include "core/ui/settings_layout.h"
#include "ground/dpi.h"

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
        EXPECT_EQ(l.rowTops[0], c.languageTop) << c.w << "x" << c.h;
        EXPECT_EQ(l.rowTops[1], c.openAfterTop) << c.w << "x" << c.h;
        EXPECT_EQ(l.rowTops[2], c.loggingTop) << c.w << "x" << c.h;
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
    EXPECT_EQ(c.rows[0].rect, (Rect{410, 204, 570, 246}));
    EXPECT_EQ(c.rows[1].rect, (Rect{522, 271, 570, 297}));
    EXPECT_EQ(c.rows[2].rect, (Rect{522, 331, 570, 357}));
    // The added rows follow the logging row at its spacing; the feedback row goes below them.
    EXPECT_EQ(c.rows[3].rect, (Rect{522, 391, 570, 417}));  // the copy-after switch
    EXPECT_EQ(c.rows[4].rect, (Rect{370, 444, 570, 486}));  // the chord control
    EXPECT_EQ(c.rows[5].rect, (Rect{522, 511, 570, 537}));  // the scroll-mode switch
    EXPECT_EQ(c.rows[6].rect, (Rect{522, 571, 570, 597}));  // the start-from-top switch
    EXPECT_EQ(c.rows[7].rect, (Rect{522, 631, 570, 657}));  // the sideways switch
    EXPECT_EQ(c.rows[8].rect, (Rect{522, 691, 570, 717}));  // the review-after switch
    EXPECT_EQ(c.rows[9].rect, (Rect{410, 744, 570, 786}));  // the split-height dropdown, as the language one
    EXPECT_EQ(c.feedback.rect, (Rect{50, 800, 122, 832}));
    EXPECT_TRUE(c.folderBox.visible && c.chooseFolder.visible && c.feedback.visible);
    EXPECT_EQ(layoutSettingsControls({620, 420 + kAdded}, 96, UiState::Home, UiLanguage::ChineseSimplified).feedback.rect,
              (Rect{50, 800, 114, 832}));
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

TEST(SettingsLayout, TheLastAddedSwitchRowsAtEveryDpi) {
    ASSERT_EQ(kSettingsRows[kSettingsRowCount - 3].control, ControlId::CaptureSideways);
    ASSERT_EQ(kSettingsRows[kSettingsRowCount - 2].control, ControlId::ReviewAfterCapture);
    struct Case {
        int32_t w, h;  // client pixels: the classic 620 × 420 page plus the added rows
        uint32_t dpi;
        size_t row;
        Rect expected;
    } cases[] = {
        {620, 420 + kAdded, 96, kSettingsRowCount - 3, {522, 631, 570, 657}},  // logging 324 + 5 × 60 + 7
        {930, (420 + kAdded) * 3 / 2, 144, kSettingsRowCount - 3, {783, 947, 855, 986}},  // the same DIPs × 1.5
        {1240, (420 + kAdded) * 2, 192, kSettingsRowCount - 3, {1044, 1262, 1140, 1314}},
        {620, 420 + kAdded, 96, kSettingsRowCount - 2, {522, 691, 570, 717}},  // one pitch further
        {930, (420 + kAdded) * 3 / 2, 144, kSettingsRowCount - 2, {783, 1037, 855, 1076}},
        {1240, (420 + kAdded) * 2, 192, kSettingsRowCount - 2, {1044, 1382, 1140, 1434}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.dpi << ", row " << c.row);
        const SettingsControlsLayout l = layoutSettingsControls({c.w, c.h}, c.dpi, UiState::Home, UiLanguage::English);
        const ControlPlacement& row = l.rows[c.row];
        EXPECT_EQ(row.rect, c.expected);
        EXPECT_TRUE(row.visible);
        // A switch like the others, below the row before it and above the feedback link.
        EXPECT_EQ(row.rect.left, l.rows[2].rect.left);
        EXPECT_EQ(row.rect.right, l.rows[2].rect.right);
        EXPECT_GE(row.rect.top, l.rows[c.row - 1].rect.bottom);
        EXPECT_LE(row.rect.bottom, l.feedback.rect.top);
    }
}

TEST(SettingsLayout, HiddenOnHelpAndAboutPages) {
    for (UiState s : {UiState::SettingsHelp, UiState::SettingsAbout}) {
        const SettingsControlsLayout c = layoutSettingsControls({620, 420}, 96, s, UiLanguage::English);
        EXPECT_FALSE(c.folderBox.visible || c.chooseFolder.visible || c.feedback.visible)
            << uiStateName(s);
        for (const ControlPlacement& p : c.rows) EXPECT_FALSE(p.visible) << uiStateName(s);
    }
}

TEST(SettingsLayout, AddedRowsKeepTheClassicRowsAndScrollWhenShort) {
    struct Case { float w, h; };
    for (const Case c : {Case{620, 420}, Case{540, 360}, Case{760, 520}, Case{600, 390}}) {
        const SettingsLayout classic = computeSettingsLayout(c.w, c.h);
        const SettingsLayout page = computeSettingsPageLayout(c.w, c.h + kAddedSettingsRowsHeight, 0);
        EXPECT_EQ(page.folderRowTop, classic.folderRowTop) << c.w << "x" << c.h;
        EXPECT_EQ(page.rowTops[2], classic.rowTops[2]) << c.w << "x" << c.h;
        const float pitch = page.rowTops[2] - page.rowTops[1];
        for (size_t i = 0; i < kAddedSettingsRowCount; ++i) {
            EXPECT_EQ(page.rowTops[kClassicSettingsRowCount + i], classic.rowTops[2] + pitch * static_cast<float>(i + 1)) << i;
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
    EXPECT_EQ(scrolled.rowTops.back(), top.rowTops.back() - 68);
    EXPECT_GT(top.feedbackRowTop + 32, shortHeight);        // cut off before scrolling
    EXPECT_LE(scrolled.feedbackRowTop + 32, shortHeight);   // the last row fits once scrolled to the end
}

bool overlaps(const RectF& a, const RectF& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(SettingsLayout, OneTableOfRowsInTabOrderWithTheirControls) {
    EXPECT_EQ(kSettingsRows[0].control, ControlId::Language);
    for (size_t i = 0; i < kSettingsRowCount; ++i) {
        EXPECT_EQ(settingsRowOf(kSettingsRows[i].control), &kSettingsRows[i]);
        for (size_t j = i + 1; j < kSettingsRowCount; ++j) EXPECT_NE(kSettingsRows[i].control, kSettingsRows[j].control);
    }
    EXPECT_EQ(settingsRowOf(ControlId::CaptureFolderBox), nullptr);
    EXPECT_EQ(settingsRowOf(ControlId::Feedback), nullptr);
}

// Each row's label ends before its control, and the rows follow each other
// without overlapping, at narrow, classic and wide windows and at any DPI.
TEST(SettingsLayout, RowTextsClearTheirControlsAndEachOther) {
    struct Case { int32_t w, h; uint32_t dpi; };
    for (const Case c : {Case{540, 400, 96}, Case{620, 640, 96}, Case{760, 700, 96}, Case{930, 960, 144}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " at " << c.dpi);
        const float W = static_cast<float>(pixelsToDips(c.w, c.dpi)), H = static_cast<float>(pixelsToDips(c.h, c.dpi));
        const SettingsLayout l = computeSettingsPageLayout(W, H, 0);
        const SettingsControlsLayout controls = layoutSettingsControls({c.w, c.h}, c.dpi, UiState::Home,
                                                                       UiLanguage::English);
        float previousBottom = settingsFolderDescription(l).box.bottom;
        for (size_t i = 0; i < kSettingsRowCount; ++i) {
            const SettingsRowTexts t = settingsRowTexts(l, i);
            const float controlLeft = static_cast<float>(pixelsToDips(controls.rows[i].rect.left, c.dpi));
            EXPECT_LE(t.label.box.right, controlLeft) << i;
            // The drop-down's description may run under it: it is short and left-aligned.
            if (kSettingsRows[i].kind != SettingsRowControl::Dropdown) {
                EXPECT_LE(t.description.box.right, controlLeft) << i;
            }
            EXPECT_EQ(t.label.box.bottom, t.description.box.top) << i;
            EXPECT_GE(t.label.box.top, previousBottom) << i;
            EXPECT_GT(t.label.size, t.description.size) << i;
            previousBottom = t.description.box.bottom;
        }
        const PageText version = settingsVersionText(l);
        EXPECT_GE(version.box.top, previousBottom);
        EXPECT_EQ(version.box.right, l.right);
        EXPECT_LE(static_cast<float>(pixelsToDips(controls.feedback.rect.right, c.dpi)), version.box.left);
    }
}

TEST(SettingsLayout, HelpCardsShareTheWidthAndTheRowsFollowThem) {
    for (const uint32_t dpi : {96u, 144u}) {
        for (const float w : {540.0f, 620.0f, 900.0f}) {
            const SettingsLayout page = computeSettingsPageLayout(w, 640, 0);
            const SettingsHelpLayout h = computeSettingsHelpLayout(w, page.margin, dpi);
            EXPECT_EQ(h.cards.front().frame.left, page.margin);
            EXPECT_FLOAT_EQ(h.cards.back().frame.right, w - page.margin);
            for (size_t i = 0; i < h.cards.size(); ++i) {
                const HelpCard& card = h.cards[i];
                if (i > 0) {
                    EXPECT_FLOAT_EQ(card.frame.left - h.cards[i - 1].frame.right, 12);
                }
                for (const PageText* t : {&card.number, &card.title, &card.description}) {
                    EXPECT_TRUE(t->box.left > card.frame.left && t->box.right < card.frame.right &&
                                t->box.top > card.frame.top && t->box.bottom < card.frame.bottom);
                }
                EXPECT_LE(card.number.box.bottom, card.title.box.top);
                EXPECT_LE(card.title.box.bottom, card.description.box.top);
            }
            float top = h.cards.front().frame.bottom;
            for (const HelpRow& row : h.rows) {
                EXPECT_GE(row.text.box.top, top);
                top = row.text.box.bottom;
                // The hairline is the row's last pixel row.
                if (row.divider) {
                    EXPECT_NEAR(row.text.box.bottom - row.dividerY, 0.5f * 96.0f / static_cast<float>(dpi), 1e-4);
                }
            }
            EXPECT_FALSE(h.rows.back().divider);
            EXPECT_FLOAT_EQ(h.hairline * static_cast<float>(dpi), 96);
        }
    }
}

TEST(SettingsLayout, AboutPageStacksMarkAndLinesAboveTheUpdateButton) {
    const SettingsAboutLayout a = computeSettingsAboutLayout(620, 50);
    EXPECT_EQ((a.mark.left + a.mark.right) / 2, 310);
    const RectF* order[] = {&a.mark, &a.product.box, &a.tagline.box, &a.publisher.box, &a.rights.box};
    for (size_t i = 1; i < std::size(order); ++i) EXPECT_LE(order[i - 1]->bottom, order[i]->top) << i;
    const SettingsControlsLayout c = layoutSettingsControls({620, 640}, 96, UiState::SettingsAbout, UiLanguage::English);
    EXPECT_TRUE(c.checkUpdates.visible);
    EXPECT_GE(static_cast<float>(c.checkUpdates.rect.top), a.rights.box.bottom);
    EXPECT_EQ(c.checkUpdates.rect.left + c.checkUpdates.rect.right, 620);  // centred
    EXPECT_FALSE(layoutSettingsControls({620, 640}, 96, UiState::Home, UiLanguage::English).checkUpdates.visible);
}

TEST(SettingsLayout, NavigationSitsInTheTopRightCornerInOrder) {
    struct Case { int32_t w; uint32_t dpi; };
    for (const Case c : {Case{620, 96}, Case{540, 96}, Case{930, 144}, Case{1240, 192}}) {
        const SettingsControlsLayout l = layoutSettingsControls({c.w, 640}, c.dpi, UiState::SettingsHelp,
                                                                UiLanguage::English);
        EXPECT_EQ(c.w - l.navigation.back().rect.right, dipsToPixels(16, c.dpi)) << c.w;
        EXPECT_EQ(l.navigation.front().rect.top, dipsToPixels(12, c.dpi));
        for (size_t i = 0; i < l.navigation.size(); ++i) {
            EXPECT_TRUE(l.navigation[i].visible);
            EXPECT_EQ(l.navigation[i].rect.width(), dipsToPixels(32, c.dpi));
            if (i > 0) {
                EXPECT_EQ(l.navigation[i].rect.left - l.navigation[i - 1].rect.right, dipsToPixels(4, c.dpi));
            }
        }
        // Clear of the title, which spans the margins.
        const SettingsLayout page = computeSettingsPageLayout(static_cast<float>(pixelsToDips(c.w, c.dpi)), 640, 0);
        EXPECT_FALSE(overlaps(page.headerSubtitle, RectF{static_cast<float>(pixelsToDips(l.navigation[0].rect.left, c.dpi)),
                                                         12, static_cast<float>(c.w), 44}));
    }
}

TEST(SettingsLayout, WindowCentresOverTheMainWindowInsideTheWorkArea) {
    struct Case {
        Rect main, work;
        uint32_t dpi;
        Rect want;
    } cases[] = {
        {{650, 350, 1270, 730}, {0, 0, 1920, 1040}, 96, {650, 100, 1270, 980}},       // 620 × 880: 460 + the added rows
        {{975, 525, 1905, 1095}, {0, 0, 2880, 1560}, 144, {975, 150, 1905, 1470}},
        {{-300, 100, 320, 480}, {0, 0, 1920, 1040}, 96, {0, 0, 620, 880}},           // pushed into the work area
        {{650, 100, 1270, 480}, {0, 0, 1920, 500}, 96, {650, 0, 1270, 500}},          // as tall as a short work area
        {{650, 100, 1270, 480}, {0, 0, 1920, 300}, 96, {650, 0, 1270, 400}},          // never below the minimum
    };
    for (const Case& c : cases) EXPECT_EQ(settingsWindowRect(c.main, c.work, c.dpi), c.want) << c.main.left;
    EXPECT_EQ(settingsMinimumTrackSize(144).width, 810);
    EXPECT_EQ(settingsMinimumTrackSize(144).height, 600);
}

}  // namespace
}  // namespace tf
