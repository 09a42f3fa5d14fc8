// The renderer under Xvfb: text layouts in the UI font, shapes on a DC, every
// shipped icon rasterised with its tint, and the icon cache's keys.
#include "shell/ui/renderer_win32.h"

#include <gtest/gtest.h>

#include <type_traits>

#include "shell/ui/palette.h"
#include "ui_test_support_win32.h"

namespace {

struct Dib {
    Dib(int w, int h) : width(w), height(h) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0));
        dc.reset(CreateCompatibleDC(nullptr));
        selected = tf::SelectedObject(dc.get(), bitmap.get());
    }
    uint32_t at(int x, int y) const { return bits[y * width + x]; }
    int width, height;
    uint32_t* bits = nullptr;
    tf::UniqueBitmap bitmap;
    tf::UniqueMemoryDc dc;
    tf::SelectedObject selected;
};

// Reads a premultiplied DIB made by the rasteriser.
std::vector<uint32_t> pixelsOf(HBITMAP bitmap, int w, int h) {
    DIBSECTION section{};
    EXPECT_EQ(GetObjectW(bitmap, sizeof(section), &section), static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmWidth, w);
    EXPECT_EQ(section.dsBm.bmHeight, h);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    const auto* p = static_cast<const uint32_t*>(section.dsBm.bmBits);
    return std::vector<uint32_t>(p, p + size_t(w) * h);
}

class Renderer : public ::testing::Test {
protected:
    void SetUp() override {
        tf::setSvgSourceForTests(&tf::test::iconDocumentFromSources);
        tf::clearIconCache();
    }
    void TearDown() override { tf::releaseRenderer(); }
};

TEST_F(Renderer, TextIsMeasuredInTheUiFontAndGrowsWithLengthAndSize) {
    ASSERT_TRUE(tf::ensureTextRenderer());
    const auto shortText = tf::measureText(L"Open", 16, 600);
    const auto longText = tf::measureText(L"Open containing folder", 16, 600);
    const auto bigger = tf::measureText(L"Open", 32, 600);
    const auto chinese = tf::measureText(L"开始截长图", 16, 600);
    EXPECT_GT(shortText.width, 10);
    EXPECT_GT(shortText.height, 10);
    EXPECT_GT(longText.width, shortText.width * 3);
    EXPECT_NEAR(bigger.width, shortText.width * 2, shortText.width * 0.3);
    EXPECT_GT(chinese.width, 5 * 12);  // five full-width characters
    EXPECT_EQ(tf::measureText(L"", 16, 400).width, 0);
    EXPECT_TRUE(tf::createTextFormat(14, 400, tf::kTextCentred | DT_END_ELLIPSIS));
    EXPECT_FALSE(tf::createTextFormat(0, 400, tf::kTextLeft));
}

TEST_F(Renderer, WeightsFallIntoFourBuckets) {
    const std::pair<int, int> cases[] = {{100, 400}, {400, 400}, {450, 400}, {500, 500}, {599, 500},
                                         {600, 600}, {650, 600}, {700, 700}, {900, 700}};
    for (const auto& [in, out] : cases) EXPECT_EQ(tf::bucketFontWeight(in), out) << in;
}

TEST_F(Renderer, ShapesAndTextReachTheDeviceContext) {
    Dib dib(200, 60);
    const RECT all{0, 0, 200, 60};
    {
        const tf::DcDraw draw(nullptr, dib.dc.get(), all);
        ASSERT_TRUE(draw);
        ID2D1DCRenderTarget* t = draw.target();
        tf::fillRect(t, D2D1::RectF(0, 0, 200, 60), tf::palette::white);
        tf::fillRoundedRect(t, D2D1::RectF(0, 0, 100, 60), 8, tf::palette::accent);
        tf::drawText(t, L"Settings", D2D1::RectF(100, 0, 200, 60), 16, 600, tf::palette::titleText, tf::kTextCentred);
    }  // the pass ends with the scope
    GdiFlush();
    EXPECT_EQ(dib.at(50, 30) & 0xFFFFFF, 0x3566D6u);  // BGRA in memory: 0xRRGGBB in the word
    EXPECT_EQ(dib.at(1, 1) & 0xFFFFFF, 0xFFFFFFu);    // outside the rounded corner
    int dark = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 100; x < 200; ++x) dark += (dib.at(x, y) & 0xFF) < 0x80;
    EXPECT_GT(dark, 40);  // the label was drawn
}

TEST_F(Renderer, ADrawPassEndsOnceAndTheNextOneDrawsAgain) {
    static_assert(!std::is_copy_constructible_v<tf::DcDraw> && !std::is_copy_assignable_v<tf::DcDraw>);
    Dib dib(20, 20);
    const RECT all{0, 0, 20, 20};
    tf::DcDraw first(nullptr, dib.dc.get(), all);
    ASSERT_TRUE(first);
    tf::fillRect(first.target(), D2D1::RectF(0, 0, 20, 20), tf::palette::accent);
    first.end();
    EXPECT_FALSE(first);
    first.end();  // a second end is nothing
    GdiFlush();
    EXPECT_EQ(dib.at(10, 10) & 0xFFFFFF, 0x3566D6u);  // drawn by the time end() returned
    const tf::DcDraw second(nullptr, dib.dc.get(), all);
    ASSERT_TRUE(second);  // the shared target begins again
    tf::fillRect(second.target(), D2D1::RectF(0, 0, 20, 20), tf::palette::white);
}

TEST_F(Renderer, EveryShippedIconRasterisesTintedAndOpaqueWhereItDraws) {
    for (int id = static_cast<int>(tf::kFirstIcon); id <= static_cast<int>(tf::kLastIcon); ++id) {
        const COLORREF tint = RGB(0x20, 0x90, 0x40);
        const tf::UniqueBitmap bitmap = tf::rasterizeSvgIcon(static_cast<tf::IconId>(id), 32, 32, tint);
        ASSERT_TRUE(bitmap) << id;
        const auto pixels = pixelsOf(bitmap.get(), 32, 32);
        int covered = 0, solid = 0;
        for (uint32_t p : pixels) {
            const uint32_t a = p >> 24;
            covered += a > 0;
            if (a == 255) {
                ++solid;
                const auto icon = static_cast<tf::IconId>(id);
                if (icon != tf::IconId::AppMark && icon != tf::IconId::PublisherBadge && icon != tf::IconId::Sliders) {
                    EXPECT_EQ(p & 0xFFFFFF, 0x209040u) << id;
                }
            }
            // Premultiplied: no channel exceeds alpha.
            EXPECT_LE((p >> 16) & 0xFF, a);
            EXPECT_LE(p & 0xFF, a);
        }
        EXPECT_GT(covered, 20) << id;
        EXPECT_GT(solid, 0) << id;
        EXPECT_LT(covered, 32 * 32) << id;  // nothing fills the whole square but the badge
    }
}

TEST_F(Renderer, RotationAndScaleMoveTheGlyph) {
    const tf::UniqueBitmap still = tf::rasterizeSvgIcon(tf::IconId::Status, 64, 64, RGB(0, 0, 255));
    const tf::UniqueBitmap turned = tf::rasterizeSvgIcon(tf::IconId::Status, 64, 64, RGB(0, 0, 255), 90, 1);
    const tf::UniqueBitmap small = tf::rasterizeSvgIcon(tf::IconId::Status, 64, 64, RGB(0, 0, 255), 0, 0.5f);
    ASSERT_TRUE(still && turned && small);
    const auto a = pixelsOf(still.get(), 64, 64), b = pixelsOf(turned.get(), 64, 64), c = pixelsOf(small.get(), 64, 64);
    EXPECT_NE(a, b);
    EXPECT_GT(a[6 * 64 + 32] >> 24, 0u);  // on the ring, 26 pixels above the centre
    EXPECT_EQ(c[6 * 64 + 32] >> 24, 0u);  // at half size the ring ends 14 pixels out
}

TEST_F(Renderer, IconCacheKeysOnIdSizeAndColourAndEmptiesWhole) {
    Dib dib(64, 64);
    EXPECT_TRUE(tf::drawCachedIcon(dib.dc.get(), tf::IconId::Gear, RECT{0, 0, 24, 24}, RGB(1, 2, 3)));
    EXPECT_TRUE(tf::drawCachedIcon(dib.dc.get(), tf::IconId::Gear, RECT{10, 10, 34, 34}, RGB(1, 2, 3)));
    EXPECT_EQ(tf::iconCacheSize(), 1u);  // same size and colour: reused
    EXPECT_TRUE(tf::drawCachedIcon(dib.dc.get(), tf::IconId::Gear, RECT{0, 0, 24, 24}, RGB(9, 9, 9)));
    EXPECT_TRUE(tf::drawCachedIcon(dib.dc.get(), tf::IconId::Gear, RECT{0, 0, 36, 36}, RGB(1, 2, 3)));
    EXPECT_EQ(tf::iconCacheSize(), 3u);
    EXPECT_FALSE(tf::drawCachedIcon(dib.dc.get(), tf::IconId::Gear, RECT{0, 0, 0, 24}, RGB(1, 2, 3)));
    EXPECT_FALSE(tf::drawCachedIcon(dib.dc.get(), static_cast<tf::IconId>(299), RECT{0, 0, 24, 24}, RGB(1, 2, 3)));  // no such document
    EXPECT_EQ(tf::iconCacheSize(), 3u);  // failures are not cached
    tf::clearIconCache();
    EXPECT_EQ(tf::iconCacheSize(), 0u);
    EXPECT_FALSE(tf::rasterizeSvgIcon(tf::IconId::Gear, 0, 10, 0));
}

}  // namespace
