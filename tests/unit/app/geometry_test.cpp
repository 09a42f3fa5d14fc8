#include <gtest/gtest.h>

#include <ostream>

#include "ground/dpi.h"
#include "core/app/geometry.h"

namespace tf {

static void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
static void PrintTo(const RectF& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
static void PrintTo(const Size& s, std::ostream* os) { *os << s.width << " x " << s.height; }
static void PrintTo(const PageText& t, std::ostream* os) {
    PrintTo(t.box, os);
    *os << " " << t.size << "/" << t.weight;
}

namespace {

constexpr UiState kHome = UiState::Home;
constexpr UiState kResult = UiState::Result;
constexpr UiState kGeneral = UiState::SettingsGeneral;

TEST(WindowSize, DefaultPerStateAndDpi) {
    struct Case { UiState state; uint32_t dpi; Size want; };
    const Case cases[] = {
        {kHome, 96, {620, 380}},     {kHome, 120, {775, 475}},    {kHome, 144, {930, 570}},
        {kHome, 168, {1085, 665}},   {kHome, 0, {620, 380}},      {UiState::Selecting, 120, {775, 475}},
        {UiState::Capturing, 96, {620, 380}}, {UiState::Saving, 144, {930, 570}},
        {kResult, 96, {660, 450}},   {kResult, 120, {825, 563}},  {kResult, 144, {990, 675}},
        {kResult, 192, {1320, 900}}, {UiState::Failed, 120, {825, 563}},
        {kGeneral, 96, {620, 460}},  {kGeneral, 120, {775, 575}}, {UiState::SettingsHelp, 120, {775, 575}},
        {UiState::SettingsAbout, 96, {620, 460}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(defaultWindowSizeForState(c.state, c.dpi), c.want)
            << uiStateName(c.state) << " at " << c.dpi;
}

TEST(WindowSize, FittedToWorkArea) {
    struct Case { UiState state; uint32_t dpi; Rect work; Size want; };
    const Case cases[] = {
        {kHome, 96, {0, 0, 1920, 1080}, {620, 380}},
        {kHome, 144, {0, 0, 1920, 1080}, {930, 570}},
        {kHome, 144, {0, 0, 2560, 1440}, {930, 570}},
        {kResult, 144, {0, 0, 1920, 1080}, {990, 675}},
        {kResult, 144, {0, 0, 2560, 1440}, {990, 675}},
        {kGeneral, 192, {0, 0, 1920, 1040}, {1240, 920}},
        {kHome, 96, {0, 0, 760, 600}, {620, 380}},
        {kHome, 96, {0, 0, 600, 400}, {568, 368}},       // 32 DIPs kept free
        {kHome, 96, {0, 0, 300, 200}, {320, 240}},       // never below 320 × 240
        {kHome, 96, {-1920, -200, -1320, 200}, {568, 368}},  // monitor left of and above the primary
        {kHome, 0, {0, 0, 600, 400}, {568, 368}},
        {kResult, 144, {0, 0, 900, 600}, {852, 552}},    // 600 - 32 = 568 DIPs, 400 - 32 = 368 DIPs
    };
    for (const Case& c : cases)
        EXPECT_EQ(windowSizeForWorkArea(c.state, c.dpi, c.work), c.want)
            << uiStateName(c.state) << " at " << c.dpi << " on " << c.work.width() << "x" << c.work.height();
}

TEST(WindowSize, MinimumTrackSize) {
    EXPECT_EQ(minimumTrackSize(kResult, true, 96), (Size{560, 400}));
    EXPECT_EQ(minimumTrackSize(kResult, false, 96), (Size{520, 340}));
    EXPECT_EQ(minimumTrackSize(UiState::Failed, true, 96), (Size{520, 340}));
    EXPECT_EQ(minimumTrackSize(kHome, false, 144), (Size{780, 510}));
    EXPECT_EQ(minimumTrackSize(kResult, true, 120), (Size{700, 500}));
}

TEST(StateChangeResize, CarriesTheUsersEnlargementAlong) {
    const Rect work{0, 0, 1920, 1040};
    // Home enlarged to 1.5 times 620 × 380.
    Rect r{100, 100, 1030, 670};
    const UiState walk[] = {kHome, UiState::Selecting, UiState::Capturing, UiState::Saving};
    for (int i = 1; i < 4; ++i) {
        r = resizeForStateChange(true, walk[i - 1], walk[i], false, 96, r, work);
        EXPECT_EQ(r, (Rect{100, 100, 1030, 670})) << i;
    }
    r = resizeForStateChange(true, UiState::Saving, kResult, true, 96, r, work);
    // 990 × 675 around the old centre: x 100 - 30, y 100 - 52 (truncated).
    EXPECT_EQ(r, (Rect{70, 48, 1060, 723}));
}

TEST(StateChangeResize, Table) {
    struct Case {
        const char* name;
        bool changed;
        UiState from, to;
        bool saved;
        uint32_t dpi;
        Rect window, work, want;
    };
    const Case cases[] = {
        // The carried size is cut to the work area and the window pushed into it.
        {"too big", true, kHome, kResult, true, 96, {20, 10, 1260, 690}, {0, 0, 1280, 720}, {0, 0, 1280, 720}},
        // A switch to the same state refits without the user's resizing.
        {"same state", false, kHome, kHome, false, 96, {100, 100, 1030, 670}, {0, 0, 1920, 1040},
         {255, 195, 875, 575}},
        // Monitor left of the primary; the top edge keeps 16 DIPs below the work area's top.
        {"negative", true, kHome, kGeneral, false, 96, {-1900, -50, -1280, 330}, {-1920, 0, 0, 1040},
         {-1900, 16, -1280, 476}},
        // A shrunken window grows to the result page's minimum, which needs a saved image.
        {"minimum saved", true, UiState::Saving, kResult, true, 96, {100, 100, 620, 440}, {0, 0, 1920, 1040},
         {80, 69, 640, 472}},
        {"minimum failed", true, UiState::Saving, UiState::Failed, false, 96, {100, 100, 620, 440},
         {0, 0, 1920, 1040}, {83, 69, 637, 472}},
        // At 144 DPI the margin is 24 pixels.
        {"margin 144", true, kHome, kResult, true, 144, {0, 0, 930, 570}, {0, 0, 2560, 1400},
         {0, 24, 990, 699}},
        {"right edge", false, kResult, kResult, true, 96, {1800, 500, 2460, 950}, {0, 0, 1920, 1040},
         {1260, 500, 1920, 950}},
        {"bottom edge", false, kResult, kResult, true, 96, {100, 900, 760, 1350}, {0, 0, 1920, 1040},
         {100, 590, 760, 1040}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resizeForStateChange(c.changed, c.from, c.to, c.saved, c.dpi, c.window, c.work), c.want)
            << c.name;
}

TEST(MainPageLayout, Examples) {
    MainPageLayout home = computeMainPageLayout(620, 340, false);
    EXPECT_EQ(home.startButton, (RectF{180, 170, 440, 224}));
    EXPECT_EQ(home.hintLine, (RectF{24, 240, 596, 268}));
    EXPECT_EQ(home.settingsButton, (RectF{568, 16, 600, 48}));
    EXPECT_EQ(home.firstResultAction, RectF{});
    EXPECT_EQ(home.secondResultAction, RectF{});
    EXPECT_EQ(home.folderRow, RectF{});

    MainPageLayout result = computeMainPageLayout(660, 410, true);
    EXPECT_EQ(result.firstResultAction, (RectF{124, 254, 320, 306}));
    EXPECT_EQ(result.secondResultAction, (RectF{340, 254, 536, 306}));
    EXPECT_EQ(result.settingsButton.left, 608);
    EXPECT_EQ(result.folderRow, (RectF{250, 326, 410, 362}));
    EXPECT_EQ(result.startButton, RectF{});
    EXPECT_EQ(result.hintLine, RectF{});

    EXPECT_EQ(computeMainPageLayout(520, 300, false).startButton, (RectF{130, 150, 390, 204}));
    EXPECT_EQ(computeMainPageLayout(760, 460, false).startButton, (RectF{250, 230, 510, 284}));
    MainPageLayout small = computeMainPageLayout(560, 360, true);
    EXPECT_EQ(small.firstResultAction, (RectF{74, 229, 270, 281}));
    EXPECT_EQ(small.secondResultAction, (RectF{290, 229, 486, 281}));
    EXPECT_EQ(small.folderRow, (RectF{200, 301, 360, 337}));
}

// The page texts stack top to bottom without overlapping and around the
// buttons, in windows from the minimum to large.
TEST(MainPageLayout, TextsStackAroundTheButtons) {
    struct Case { float w, h; };
    for (const Case c : {Case{520, 300}, Case{620, 340}, Case{760, 460}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        const MainPageLayout home = computeMainPageLayout(c.w, c.h, false);
        EXPECT_LE(home.homeTitle.box.bottom, home.homeSubtitle.box.top);
        EXPECT_LE(home.homeSubtitle.box.bottom, home.startButton.top);
        EXPECT_LE(home.startButton.bottom, home.hint.box.top);
        EXPECT_EQ(home.hint.box, home.hintLine);
        EXPECT_GT(home.homeTitle.size, home.homeSubtitle.size);
        EXPECT_EQ(home.resultTitle, PageText{});
    }
    struct Result { float w, h; };
    for (const Result c : {Result{560, 360}, Result{660, 410}, Result{900, 600}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        const MainPageLayout r = computeMainPageLayout(c.w, c.h, true);
        const PageText* order[] = {&r.resultTitle, &r.resultSubtitle, &r.savedName, &r.statistics, &r.savedFolder};
        for (size_t i = 1; i < std::size(order); ++i) EXPECT_LE(order[i - 1]->box.bottom, order[i]->box.top) << i;
        EXPECT_LE(r.savedFolder.box.bottom, r.firstResultAction.top);
        // The never-scrolled hint takes the subtitle's place with room for two lines.
        EXPECT_LE(r.resultTitle.box.bottom, r.neverScrolledHint.box.top);
        EXPECT_LE(r.neverScrolledHint.box.bottom, r.savedName.box.top);
        EXPECT_GT(r.neverScrolledHint.box.bottom - r.neverScrolledHint.box.top, 2 * r.neverScrolledHint.size);
        // The check mark sits before the title, inside its height.
        EXPECT_LT(r.resultCheck.right, r.resultTitle.box.left);
        EXPECT_GE(r.resultCheck.top, r.resultTitle.box.top);
        EXPECT_LE(r.resultCheck.bottom, r.resultTitle.box.bottom);
        EXPECT_EQ(r.resultCheck.right - r.resultCheck.left, r.resultCheck.bottom - r.resultCheck.top);
        EXPECT_EQ(r.homeTitle, PageText{});
    }
}

TEST(MainPageLayout, InWindowSettingsTitleScrollsWithThePage) {
    const PageText top = inWindowSettingsTitle(620, 0), scrolled = inWindowSettingsTitle(620, 48);
    EXPECT_EQ(top.box, (RectF{40, 16, 580, 60}));
    EXPECT_EQ(scrolled.box.top, top.box.top - 48);
    EXPECT_EQ(scrolled.box.bottom, top.box.bottom - 48);
}

TEST(MainPageLayout, HalvesRoundAwayFromZero) {
    // (521 - 260) / 2 = 130.5; y = 0.5 keeps its fraction.
    EXPECT_EQ(computeMainPageLayout(521, 341, false).startButton, (RectF{131, 170.5f, 391, 224.5f}));
    // (259 - 260) / 2 = -0.5.
    EXPECT_EQ(computeMainPageLayout(259, 340, false).startButton.left, -1);
    EXPECT_EQ(computeMainPageLayout(413, 410, true).firstResultAction.left, 1);
}

TEST(MainControls, PixelsAt144Dpi) {
    // 40, 260 and 54 DIPs are 60, 390 and 81 pixels at 144 DPI.
    EXPECT_EQ(dipsToPixels(40, 144), 60);
    EXPECT_EQ(dipsToPixels(260, 144), 390);
    EXPECT_EQ(dipsToPixels(54, 144), 81);
    const MainControlsLayout l = layoutMainControls({930, 510}, 144, kHome, false, UiLanguage::English);
    EXPECT_EQ(l.start.rect, (Rect{270, 255, 660, 336}));
    EXPECT_EQ(l.settings.rect, (Rect{852, 24, 900, 72}));
}

TEST(MainControls, ResultPageAndFolderButtonWidth) {
    const MainControlsLayout en = layoutMainControls({660, 410}, 96, kResult, true, UiLanguage::English);
    EXPECT_EQ(en.openImage.rect, (Rect{124, 254, 320, 306}));
    EXPECT_EQ(en.captureAnother.rect, (Rect{340, 254, 536, 306}));
    // Open containing folder, Copy image and Review, centred together with 8-DIP gaps.
    EXPECT_EQ(en.openFolder.rect, (Rect{82, 326, 322, 362}));
    EXPECT_EQ(en.copyImage.rect, (Rect{330, 326, 460, 362}));
    EXPECT_EQ(en.review.rect, (Rect{468, 326, 578, 362}));
    EXPECT_EQ(en.settings.rect, (Rect{608, 16, 640, 48}));
    const MainControlsLayout zh =
        layoutMainControls({660, 410}, 96, kResult, true, UiLanguage::ChineseSimplified);
    EXPECT_EQ(zh.openFolder.rect, (Rect{137, 326, 297, 362}));
    EXPECT_EQ(zh.copyImage.rect, (Rect{305, 326, 425, 362}));
    EXPECT_EQ(zh.review.rect, (Rect{433, 326, 523, 362}));
    // At 144 DPI the same DIPs scale by 1.5.
    const MainControlsLayout big = layoutMainControls({990, 615}, 144, kResult, true, UiLanguage::English);
    EXPECT_EQ(big.copyImage.rect, (Rect{495, 489, 690, 543}));
    EXPECT_EQ(big.review.rect, (Rect{702, 489, 867, 543}));
    // A fractional top (y = 0.5) is truncated before scaling.
    const MainControlsLayout odd = layoutMainControls({621, 341}, 96, kHome, false, UiLanguage::English);
    EXPECT_EQ(odd.start.rect, (Rect{181, 170, 441, 224}));
}

TEST(MainControls, VisibilityPerState) {
    struct Case { UiState state; bool saved; bool start, settings, result; };
    const Case cases[] = {
        {kHome, false, true, true, false},           {kHome, true, true, true, false},
        {UiState::Failed, true, true, true, false},  {kResult, false, true, true, false},
        {kResult, true, false, true, true},          {UiState::Selecting, false, false, false, false},
        {UiState::Capturing, true, false, false, false}, {UiState::Saving, true, false, false, false},
        {kGeneral, false, false, false, false},      {UiState::SettingsHelp, true, false, false, false},
        {UiState::SettingsAbout, false, false, false, false},
    };
    for (const Case& c : cases) {
        const MainControlsLayout l = layoutMainControls({620, 340}, 96, c.state, c.saved, UiLanguage::English);
        EXPECT_EQ(l.start.visible, c.start) << uiStateName(c.state) << c.saved;
        EXPECT_EQ(l.settings.visible, c.settings) << uiStateName(c.state) << c.saved;
        EXPECT_EQ(l.openImage.visible, c.result) << uiStateName(c.state) << c.saved;
        EXPECT_EQ(l.captureAnother.visible, c.result) << uiStateName(c.state) << c.saved;
        EXPECT_EQ(l.openFolder.visible, c.result) << uiStateName(c.state) << c.saved;
        EXPECT_EQ(l.copyImage.visible, c.result) << uiStateName(c.state) << c.saved;
        EXPECT_EQ(l.review.visible, c.result) << uiStateName(c.state) << c.saved;
    }
}

TEST(PageScroll, OneWheelNotchStaysBetweenTopAndLimit) {
    struct Case { const char* what; int32_t offset; int wheelDelta; int32_t limit; int32_t want; };
    const Case cases[] = {
        {"down from the top", 0, -120, 200, 48},
        {"up towards the top", 100, 120, 200, 52},
        {"up at the top", 0, 120, 200, 0},
        {"up past the top", 30, 120, 200, 0},
        {"down onto the limit", 180, -120, 200, 200},
        {"down at the limit", 200, -120, 200, 200},
        {"a fine notch still moves a full step", 0, -1, 200, 48},
        {"a page that fits its window", 0, -120, 0, 0},
        {"a window taller than the page", 0, -120, -60, 0},
        {"an offset left beyond a window grown taller", 150, 120, 40, 40},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scrollOffsetAfterWheel<int32_t>(c.offset, c.wheelDelta, c.limit), c.want) << c.what;
        EXPECT_EQ(scrollOffsetAfterWheel<float>(static_cast<float>(c.offset), c.wheelDelta, static_cast<float>(c.limit)),
                  static_cast<float>(c.want))
            << c.what << " (fractional page)";
    }
    EXPECT_EQ(scrollOffsetAfterWheel(10.5f, -120, 40.25f), 40.25f);
}

}  // namespace
}  // namespace tf
