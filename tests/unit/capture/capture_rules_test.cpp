#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "ground/dpi.h"
#include "core/capture/capture_rules.h"

namespace tf {
namespace {

TEST(MulDiv, RoundsHalvesAwayFromZeroLikeWin32) {
    struct Case { int32_t a, b, c, want; };
    const Case cases[] = {
        {32, 96, 96, 32},  {32, 120, 96, 40},  {32, 144, 96, 48},  {450, 120, 96, 563},  // 562.5 rounds up
        {-450, 120, 96, -563}, {450, -120, 96, -563}, {450, 120, -96, -563}, {-450, -120, 96, 563},
        {1, 1, 3, 0},      {2, 1, 3, 1},       {5, 1, 0, -1},      {std::numeric_limits<int32_t>::max(), 2, 1, -1},
        {120, 3, 5, 72},   {120, 3, 7, 51},    {120, 3, 100, 4},
    };
    for (const Case& c : cases) EXPECT_EQ(mulDiv(c.a, c.b, c.c), c.want) << c.a << "*" << c.b << "/" << c.c;
}

TEST(CaptureMayStart, OnlyOnTheCapturingPageAndNotWhileSaving) {
    struct Case { UiState page; bool saving; bool starts; };
    const Case cases[] = {
        {UiState::Capturing, false, true}, {UiState::Capturing, true, false}, {UiState::Selecting, false, false},
        {UiState::Saving, false, false},   {UiState::Home, false, false},     {UiState::Failed, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(captureMayStart(c.page, c.saving), c.starts) << static_cast<int>(c.page) << " saving=" << c.saving;
}

TEST(MinimumSelection, ScalesWithDpi) {
    EXPECT_EQ(minimumSelectionSize(96), 32);
    EXPECT_EQ(minimumSelectionSize(120), 40);
    EXPECT_EQ(minimumSelectionSize(144), 48);
    EXPECT_EQ(minimumSelectionSize(0), 32);
    // At 144 DPI a 47-pixel-high drag is discarded and a 48-pixel one kept.
    EXPECT_FALSE(selectionLargeEnough(Rect{0, 0, 100, 47}, 144));
    EXPECT_TRUE(selectionLargeEnough(Rect{0, 0, 100, 48}, 144));
    EXPECT_FALSE(selectionLargeEnough(Rect{0, 0, 31, 100}, 96));
    EXPECT_TRUE(selectionLargeEnough(Rect{-1000, -500, -968, -468}, 96));
    EXPECT_TRUE(selectionLargeEnough(Rect{std::numeric_limits<int32_t>::min(), 0, std::numeric_limits<int32_t>::max(), 40}, 96));
}

TEST(MinimumSelection, DragDirectionDoesNotMatter) {
    const Rect want{-400, -300, -100, 20};
    EXPECT_EQ(normalizedSelection({-400, -300}, {-100, 20}), want);
    EXPECT_EQ(normalizedSelection({-100, 20}, {-400, -300}), want);
    EXPECT_EQ(normalizedSelection({-400, 20}, {-100, -300}), want);
}

TEST(MinimumSelection, ClampIncludesBothEdges) {
    const Rect work{-1920, 0, 0, 1040};
    EXPECT_EQ(clampPointToRect({100, 1080}, work), (Point{0, 1040}));
    EXPECT_EQ(clampPointToRect({-3000, -5}, work), (Point{-1920, 0}));
    EXPECT_EQ(clampPointToRect({-5, 500}, work), (Point{-5, 500}));
}

TEST(WheelDelta, ByWheelLines) {
    struct Case { uint32_t lines; int32_t delta; };
    const Case cases[] = {
        {0, 0},     {1, -120},  {2, -120},  {3, -120},  {4, -90},   {5, -72},  {6, -60},
        {7, -51},   {11, -33},  {12, -30},  {100, -30}, {kWheelPageScroll, -30},
        {0x7FFFFFFFu, -30}, {0x80000000u, -30}, {0xFFFFFFFEu, -30},
    };
    for (const Case& c : cases) EXPECT_EQ(wheelDeltaForLines(c.lines), c.delta) << c.lines;
}

TEST(WheelDelta, ProbeLimits) {
    struct Case { int32_t delta, still, probes; };
    const Case cases[] = {
        {-120, 3, 24}, {-90, 3, 24}, {-72, 3, 24}, {-60, 3, 24}, {-51, 4, 24}, {-30, 5, 24},
        {-1, 121, 242}, {0, 121, 242}, {-13, 11, 24}, {-12, 11, 24}, {-11, 12, 24},
        {std::numeric_limits<int32_t>::min(), 3, 24},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(stillProbeLimit(c.delta), c.still) << c.delta;
        EXPECT_EQ(probeLimit(stillProbeLimit(c.delta)), c.probes) << c.delta;
    }
}

PixelImage stripes(int32_t w, int32_t h, int32_t shift) {
    PixelImage img(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) img.at(x, y) = ((y + shift) / 4) % 2 ? 0xFF202020u : 0xFFE0E0E0u;
    return img;
}

TEST(FramesNearlyIdentical, EqualShiftedAndResized) {
    const PixelImage a = stripes(300, 400, 0);
    EXPECT_TRUE(framesNearlyIdentical(a, a));
    EXPECT_FALSE(framesNearlyIdentical(a, stripes(300, 400, 4)));
    // Only the common area is compared, each image with its own row length.
    EXPECT_TRUE(framesNearlyIdentical(a, stripes(320, 420, 0)));
    EXPECT_TRUE(framesNearlyIdentical(stripes(320, 420, 0), a));
    EXPECT_FALSE(framesNearlyIdentical(a, stripes(320, 420, 4)));
}

TEST(FramesNearlyIdentical, IgnoresTheFourthByteAndSmallNoise) {
    PixelImage a(100, 100, 0xFF808080u);
    PixelImage b(100, 100, 0x00818181u);  // 3 per pixel in R + G + B: not below 3
    EXPECT_FALSE(framesNearlyIdentical(a, b));
    PixelImage c(100, 100, 0x00818180u);  // 2 per pixel
    EXPECT_TRUE(framesNearlyIdentical(a, c));
}

TEST(FramesNearlyIdentical, SampledRowsOnly) {
    // 640 rows: every tenth row is sampled, so a change on row 5 goes unseen
    // while one on row 10 is counted.
    PixelImage a(64, 640, 0xFF000000u);
    PixelImage b = a;
    for (int32_t x = 0; x < 64; ++x) b.at(x, 5) = 0xFFFFFFFFu;
    EXPECT_TRUE(framesNearlyIdentical(a, b));
    for (int32_t x = 0; x < 64; ++x) b.at(x, 10) = 0xFFFFFFFFu;
    // 64 of 4096 samples differ by 765: average 11.
    EXPECT_FALSE(framesNearlyIdentical(a, b));
}

TEST(FramesNearlyIdentical, OneRowAndEmptyImages) {
    const PixelImage row(50, 1, 0xFF123456u);
    EXPECT_TRUE(framesNearlyIdentical(row, row));
    EXPECT_FALSE(framesNearlyIdentical(row, PixelImage(50, 1, 0xFF000000u)));
    EXPECT_TRUE(framesNearlyIdentical(row, PixelImage(50, 300, 0xFF123456u)));
    EXPECT_FALSE(framesNearlyIdentical(row, PixelImage()));
    EXPECT_FALSE(framesNearlyIdentical(PixelImage(), PixelImage()));
    EXPECT_FALSE(framesNearlyIdentical(PixelImage(0, 10), PixelImage(0, 10)));
}

TEST(KeepScrolling, OverlapLimitRoundsHalfUp) {
    EXPECT_EQ(keepScrollingOverlapLimit(520), 338);
    EXPECT_EQ(keepScrollingOverlapLimit(10), 7);  // 6.5
    EXPECT_EQ(keepScrollingOverlapLimit(1), 1);   // 0.65
    EXPECT_EQ(keepScrollingOverlapLimit(0), 0);
}

TEST(FinishRequest, FirstRequestWins) {
    FinishLatch latch;
    EXPECT_FALSE(latch.requested());
    EXPECT_TRUE(latch.request());
    EXPECT_FALSE(latch.request());
    EXPECT_TRUE(latch.requested());
    latch.clear();
    EXPECT_FALSE(latch.requested());
    EXPECT_TRUE(latch.request());
}

}  // namespace
}  // namespace tf
