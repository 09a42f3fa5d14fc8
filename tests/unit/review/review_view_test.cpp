#include <gtest/gtest.h>

#include <cmath>

#include "core/review/review_view.h"

namespace tf {
namespace {

TEST(ReviewView, FitsAcrossTheStitchAtEveryDpi) {
    const struct {
        const char* name;
        int32_t imageW, imageH;
        bool sideways;
        int32_t viewW, viewH;
        uint32_t dpi;
        double scale;
        int64_t total;  // the scroll bar's length
    } cases[] = {
        {"a tall capture, narrower window", 1920, 70000, false, 960, 700, 96, 0.5, 35000},
        {"the same at 144 dpi", 1920, 70000, false, 1440, 1050, 144, 0.75, 52500},
        {"a narrow capture is enlarged to the width", 400, 3000, false, 800, 600, 96, 2.0, 6000},
        {"a sideways capture fits to the height", 9000, 600, true, 1000, 300, 96, 0.5, 4500},
        {"a tiny window keeps the lowest zoom", 1920, 70000, false, 10, 10, 96, kMinZoom, 2188},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReviewView v(c.imageW, c.imageH, c.sideways);
        v.setViewport(c.viewW, c.viewH, c.dpi);
        EXPECT_TRUE(v.fitted());
        EXPECT_DOUBLE_EQ(v.scale(), c.scale);
        EXPECT_EQ(v.scrollBar().total, c.total);
        EXPECT_EQ(v.scrollBar().page, c.sideways ? c.viewW : c.viewH);
        EXPECT_EQ(v.scrollBar().position, 0);
    }
}

TEST(ReviewView, AFittedViewFollowsTheWindowAndStaysAtItsPlace) {
    ReviewView v(1000, 20000, false);
    v.setViewport(500, 400, 96);
    v.scrollTo(5000);  // image row 10000 at the top
    v.setViewport(1000, 400, 96);
    EXPECT_DOUBLE_EQ(v.scale(), 1.0);
    EXPECT_EQ(v.scrollBar().position, 10000);
    EXPECT_EQ(v.visibleRows(), (Span64{10000, 10400}));
    v.actualSize();
    v.setViewport(500, 400, 96);  // not fitted: the zoom stays
    EXPECT_DOUBLE_EQ(v.scale(), 1.0);
}

TEST(ReviewView, CtrlWheelZoomsAroundThePointer) {
    for (const bool sideways : {false, true}) {
        SCOPED_TRACE(sideways);
        ReviewView v(sideways ? 30000 : 1200, sideways ? 1200 : 30000, sideways);
        v.setViewport(600, 600, 120);
        v.scrollTo(3000);
        const double px = 250, py = 430;
        const double ix = v.imageX(px), iy = v.imageY(py);
        v.zoomAt(120, px, py);
        EXPECT_FALSE(v.fitted());
        EXPECT_DOUBLE_EQ(v.scale(), 0.5 * kZoomStep);
        EXPECT_NEAR(v.windowX(ix), px, 0.5);  // the scroll is whole pixels
        EXPECT_NEAR(v.windowY(iy), py, 0.5);
        v.zoomAt(-240, px, py);
        EXPECT_DOUBLE_EQ(v.scale(), 0.5 / kZoomStep);
        v.fit();
        EXPECT_DOUBLE_EQ(v.scale(), 0.5);
        EXPECT_TRUE(v.fitted());
        v.actualSize();
        EXPECT_DOUBLE_EQ(v.scale(), 1.0);
        for (int i = 0; i < 40; ++i) v.zoomAt(120, px, py);
        EXPECT_DOUBLE_EQ(v.scale(), kMaxZoom);
        for (int i = 0; i < 80; ++i) v.zoomAt(-120, px, py);
        EXPECT_DOUBLE_EQ(v.scale(), kMinZoom);
    }
}

TEST(ReviewView, ScrollingStaysInsideTheImage) {
    const struct {
        const char* name;
        uint32_t dpi;
        void (*act)(ReviewView&);
        int64_t position;
    } cases[] = {
        {"a notch down, three lines", 96, [](ReviewView& v) { v.scrollByWheel(-120, 3); }, 60},
        {"the same at 144 dpi", 144, [](ReviewView& v) { v.scrollByWheel(-120, 3); }, 90},
        {"a notch up from the top", 96, [](ReviewView& v) { v.scrollByWheel(120, 3); }, 0},
        {"half a notch", 96, [](ReviewView& v) { v.scrollByWheel(-60, 3); }, 30},
        {"a screen per notch", 96, [](ReviewView& v) { v.scrollByWheel(-120, kWheelPageScroll); }, 460},
        {"page down", 96, [](ReviewView& v) { v.page(true); }, 460},
        {"page down twice, up once", 144, [](ReviewView& v) { v.page(true); v.page(true); v.page(false); }, 440},
        {"end", 96, [](ReviewView& v) { v.end(); }, 9500},
        {"end, then page down", 96, [](ReviewView& v) { v.end(); v.page(true); }, 9500},
        {"end, then home", 96, [](ReviewView& v) { v.end(); v.home(); }, 0},
        {"the thumb past the end", 96, [](ReviewView& v) { v.scrollTo(99999); }, 9500},
        {"the thumb before the start", 96, [](ReviewView& v) { v.scrollTo(-5); }, 0},
        {"a seam brought to the middle", 96, [](ReviewView& v) { v.centreOn(2000); }, 1750},
        {"a seam near the top", 96, [](ReviewView& v) { v.centreOn(100); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReviewView v(800, 10000, false);
        v.setViewport(800, 500, c.dpi);
        c.act(v);
        EXPECT_EQ(v.scrollBar().position, c.position);
    }
}

TEST(ReviewView, ASmallImageIsCentredAndDoesNotScroll) {
    ReviewView v(400, 300, false);
    v.setViewport(800, 1000, 96);  // fitted: 800 × 600 in a 1000-row view
    EXPECT_DOUBLE_EQ(v.windowY(0), 200.0);
    EXPECT_DOUBLE_EQ(v.windowX(0), 0.0);
    v.end();
    EXPECT_EQ(v.scrollBar().position, 0);
    EXPECT_EQ(v.visibleRows(), (Span64{0, 300}));
    EXPECT_DOUBLE_EQ(v.imageY(v.windowY(123.25)), 123.25);
}

TEST(ReviewView, OnlyTheVisibleRowsAreAskedFor) {
    const struct {
        const char* name;
        double zoomFrom;  // 0: fitted
        int64_t scroll;
        Span64 rows;
        Span64 columns;
    } cases[] = {
        {"fitted at the top", 0, 0, {0, 1400}, {0, 1920}},
        {"fitted further down", 0, 7000, {14000, 15400}, {0, 1920}},
        {"fitted at the end", 0, 99999999, {68600, 70000}, {0, 1920}},
        {"an odd scroll position", 0, 7001, {14002, 15402}, {0, 1920}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReviewView v(1920, 70000, false);
        v.setViewport(960, 700, 96);
        v.scrollTo(c.scroll);
        EXPECT_EQ(v.visibleRows(), c.rows);
        EXPECT_EQ(v.visibleColumns(), c.columns);
    }
    ReviewView v(1920, 70000, false);
    v.setViewport(960, 700, 96);
    v.actualSize();  // 100 % around the middle of the view
    EXPECT_EQ(v.visibleColumns(), (Span64{480, 1440}));
    EXPECT_EQ(v.visibleRows().end - v.visibleRows().first, 700);
}

TEST(ReviewView, TheCacheBandsCoverTheViewWithOneToSpareEachSide) {
    for (const uint32_t dpi : {96u, 144u, 192u}) {
        for (const bool sideways : {false, true}) {
            SCOPED_TRACE(std::to_string(dpi) + (sideways ? " sideways" : ""));
            ReviewView v(sideways ? 70000 : 1920, sideways ? 1920 : 70000, sideways);
            v.setViewport(sideways ? 1500 : 1000, sideways ? 1000 : 1500, dpi);
            for (const int64_t at : {int64_t{0}, int64_t{511}, int64_t{512}, int64_t{20000}, int64_t{99999999}}) {
                v.scrollTo(at);
                const Span64 bands = v.cacheBands();
                const Span64 shown = sideways ? v.visibleColumns() : v.visibleRows();
                ASSERT_LT(bands.first, bands.end);
                EXPECT_LE(v.band(bands.first).imagePositions.first, shown.first);
                EXPECT_GE(v.band(bands.end - 1).imagePositions.end, shown.end);
                EXPECT_LE(bands.end - bands.first, 1 + (1500 + kCacheBandPixels - 1) / kCacheBandPixels + 2);
                // Neighbouring bands meet without a gap, and none reaches past the image.
                for (int64_t b = bands.first; b + 1 < bands.end; ++b)
                    EXPECT_EQ(v.band(b).windowPixels.end, v.band(b + 1).windowPixels.first);
                EXPECT_LE(v.band(bands.end - 1).imagePositions.end, 70000);
                EXPECT_EQ(v.band(bands.first).acrossWindowPixels, (Span64{0, 512}));
            }
        }
    }
    // A new scale is a new band: the key tells them apart.
    ReviewView v(1920, 70000, false);
    v.setViewport(960, 700, 96);
    const CacheBand fitted = v.band(3);
    EXPECT_EQ(fitted.windowPixels, (Span64{1536, 2048}));
    EXPECT_EQ(fitted.imagePositions, (Span64{3072, 4096}));
    v.zoomAt(120, 0, 0);
    EXPECT_NE(v.band(3), fitted);
}

// At the deepest zoom of a wide image the tiles across cover the columns in
// view and a few more: the cache stays near a fitted view's size instead of
// holding whole scaled rows (8 x 1920 columns of 4 bytes a row).
TEST(ReviewView, TilesAcrossCoverTheViewAtAnyZoom) {
    for (const bool sideways : {false, true}) {
        SCOPED_TRACE(sideways ? "sideways" : "downward");
        ReviewView v(sideways ? 70000 : 1920, sideways ? 1920 : 70000, sideways);
        v.setViewport(sideways ? 1500 : 1000, sideways ? 1000 : 1500, 96);
        Span64 across = v.cacheTilesAcross();
        EXPECT_EQ(across, (Span64{0, 2}));  // fitted: the scaled image is the view's 1000 pixels
        while (v.scale() < kMaxZoom) v.zoomAt(kWheelDeltaNotch, 500, 500);
        for (const int64_t at : {int64_t{0}, int64_t{700}, int64_t{6000}, int64_t{99999999}}) {
            v.scrollAcrossTo(at);
            across = v.cacheTilesAcross();
            const Span64 shown = sideways ? v.visibleRows() : v.visibleColumns();
            ASSERT_LT(across.first, across.end);
            EXPECT_LE(v.band(0, across.first).acrossImagePositions.first, shown.first);
            EXPECT_GE(v.band(0, across.end - 1).acrossImagePositions.end, shown.end);
            EXPECT_LE(across.end - across.first, 1 + (1000 + kCacheBandPixels - 1) / kCacheBandPixels + 2);
            for (int64_t t = across.first; t + 1 < across.end; ++t)
                EXPECT_EQ(v.band(0, t).acrossWindowPixels.end, v.band(0, t + 1).acrossWindowPixels.first);
            EXPECT_LE(v.band(0, across.end - 1).acrossImagePositions.end, 1920);
        }
    }
}

TEST(ReviewView, SnappingDistanceIsEightDipsOnTheScreen) {
    EXPECT_EQ(snapDistanceInImage(96, 1.0), 8);
    EXPECT_EQ(snapDistanceInImage(144, 1.0), 12);
    EXPECT_EQ(snapDistanceInImage(96, 0.5), 16);
    EXPECT_EQ(snapDistanceInImage(192, 4.0), 4);
    EXPECT_EQ(snapDistanceInImage(0, 1.0), 8);  // no DPI reported: 96
    EXPECT_EQ(snapDistanceInImage(96, 0.0), 0);
}

}  // namespace
}  // namespace tf

namespace tf {
namespace {

// A zoom wider than the window scrolls across too, to both edges of the image.
TEST(ReviewView, AZoomWiderThanTheWindowScrollsAcross) {
    const struct {
        const char* name;
        bool sideways;
        uint32_t dpi;
        void (*act)(ReviewView&);
        ScrollBarState cross;
    } cases[] = {
        {"fitted: nothing to scroll", false, 96, [](ReviewView&) {}, {800, 800, 0}},
        {"fitted sideways", true, 96, [](ReviewView&) {}, {600, 600, 0}},
        {"100 %, centred", false, 96, [](ReviewView& v) { v.actualSize(); }, {1600, 800, 400}},
        {"100 %, to the left edge", false, 96, [](ReviewView& v) { v.actualSize(); v.scrollAcrossTo(-50); }, {1600, 800, 0}},
        {"100 %, to the right edge", false, 96, [](ReviewView& v) { v.actualSize(); v.scrollAcrossTo(5000); },
         {1600, 800, 800}},
        {"a tilt notch towards the start, three lines", false, 96,
         [](ReviewView& v) { v.actualSize(); v.scrollAcrossByWheel(120, 3); }, {1600, 800, 340}},
        {"the same at 144 dpi", false, 144, [](ReviewView& v) { v.actualSize(); v.scrollAcrossByWheel(120, 3); },
         {1600, 800, 310}},
        {"a screen per notch onwards", false, 96,
         [](ReviewView& v) { v.actualSize(); v.scrollAcrossByWheel(-120, kWheelPageScroll); }, {1600, 800, 800}},
        {"sideways at 100 %, rows across", true, 96, [](ReviewView& v) { v.actualSize(); v.scrollAcrossTo(100); },
         {1200, 600, 100}},
        {"fit again: back to the edge", false, 96,
         [](ReviewView& v) { v.actualSize(); v.scrollAcrossTo(700); v.fit(); }, {800, 800, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReviewView v(c.sideways ? 20000 : 1600, c.sideways ? 1200 : 20000, c.sideways);
        v.setViewport(800, 600, c.dpi);
        c.act(v);
        EXPECT_EQ(v.crossScrollBar(), c.cross);
        // The columns (rows) shown follow the cross scroll.
        const Span64 shown = c.sideways ? v.visibleRows() : v.visibleColumns();
        const double scale = v.scale();
        EXPECT_EQ(shown.first, static_cast<int64_t>(std::floor(c.cross.position / scale)));
        EXPECT_LE(shown.end, c.sideways ? 1200 : 1600);
    }
}

}  // namespace
}  // namespace tf
