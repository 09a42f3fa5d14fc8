#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <vector>

#include "core/capture/overlay_geometry.h"
#include "ground/dpi.h"

namespace tf {

static void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

TEST(CaptureIndicator, Examples) {
    struct Case {
        Rect capture, bounds;
        uint32_t dpi;
        IndicatorGeometry want;
    };
    const Case cases[] = {
        {{220, 90, 1700, 990}, {0, 0, 1920, 1080}, 96, {true, 1718, 410, 604, 4, 11, 2}},
        // Monitor left of and above the primary: the short area keeps the line inside its rows.
        {{-400, -300, -368, -268}, {-500, -500, 500, 500}, 96, {true, -350, -293, -272, 4, 11, 2}},
        {{0, 0, 40, 40}, {-200, -200, 400, 400}, 120, {true, 63, 9, 35, 5, 14, 3}},
        {{100, 100, 148, 148}, {0, 0, 600, 600}, 144, {true, 175, 111, 142, 6, 17, 3}},
        // No room on the right: the indicator goes left of the area.
        {{300, 90, 1900, 990}, {0, 0, 1920, 1080}, 96, {true, 282, 410, 604, 4, 11, 2}},
        // A tall area at 144 DPI: top at 320 DIPs below the area's top, 194 DIPs long.
        {{200, -1000, 1000, 400}, {0, -1080, 1920, 1080}, 144, {true, 1027, -520, -229, 6, 17, 3}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(captureIndicatorGeometry(c.capture, c.bounds, c.dpi), c.want)
            << c.capture.left << "," << c.capture.top << " at " << c.dpi;
    }
}

TEST(CaptureIndicator, HiddenWithoutRoom) {
    EXPECT_FALSE(captureIndicatorGeometry({0, 0, 20, 20}, {-100, -100, 200, 200}, 96).visible);  // too short
    EXPECT_FALSE(captureIndicatorGeometry({0, 0, 1920, 1080}, {0, 0, 1920, 1080}, 96).visible);  // whole work area
    // Touching both sides.
    EXPECT_FALSE(captureIndicatorGeometry({0, 200, 1920, 800}, {0, 0, 1920, 1080}, 96).visible);
    // 31 pixels free on either side, 32 needed at 96 DPI.
    EXPECT_FALSE(captureIndicatorGeometry({31, 200, 1889, 800}, {0, 0, 1920, 1080}, 96).visible);
    EXPECT_TRUE(captureIndicatorGeometry({31, 200, 1888, 800}, {0, 0, 1920, 1080}, 96).visible);
    // 28 rows is one short of the 29 the marks need at 96 DPI.
    EXPECT_FALSE(captureIndicatorGeometry({100, 100, 300, 128}, {0, 0, 600, 600}, 96).visible);
}

// Whatever it is shown beside, the indicator stays clear of the captured
// columns, inside the area's rows and on the monitor.
TEST(CaptureIndicator, NeverCoversTheCapturedPixels) {
    const Rect bounds{-1280, -200, 640, 880};
    int shown = 0;
    for (uint32_t dpi : {96u, 120u, 144u, 168u, 192u}) {
        for (int32_t left = -1280; left < 640; left += 97) {
            for (int32_t width : {1, 40, 61, 300, 1900}) {
                for (int32_t top : {-200, -150, 0, 500}) {
                    for (int32_t height : {20, 45, 60, 300, 1080}) {
                        const Rect c{left, top, std::min(left + width, 640), std::min(top + height, 880)};
                        const IndicatorGeometry g = captureIndicatorGeometry(c, bounds, dpi);
                        if (!g.visible) continue;
                        ++shown;
                        const int32_t reach = g.lineWidth + 1 + g.arrow;
                        EXPECT_TRUE(g.x - reach >= c.right || g.x + reach < c.left) << g.x;
                        EXPECT_GE(g.x - reach, bounds.left);
                        EXPECT_LT(g.x + reach, bounds.right);
                        EXPECT_GE(g.top - g.dot, c.top);
                        EXPECT_LE(g.bottom + g.lineWidth, c.bottom);
                        EXPECT_LT(g.top, g.bottom);
                    }
                }
            }
        }
    }
    EXPECT_GT(shown, 500);
}

TEST(PromptStrip, AreaExamples) {
    const Rect screen{0, 0, 1920, 1080};
    struct Case {
        Rect capture, bounds;
        uint32_t dpi;
        std::optional<Rect> area;
        Rect strip;
    };
    const Case cases[] = {
        {{220, 108, 1700, 990}, screen, 96, screen, {750, 24, 1170, 72}},            // room above: 108 ≥ 90
        {{220, 89, 1700, 990}, screen, 96, Rect{0, 974, 1920, 1080}, {750, 998, 1170, 1046}},  // 90 below
        {{220, 0, 1700, 900}, screen, 96, Rect{0, 884, 1920, 1080}, {750, 908, 1170, 956}},
        {{0, 0, 1200, 1080}, screen, 96, Rect{1220, 492, 1908, 1080}, {1354, 516, 1774, 564}},
        {{720, 0, 1920, 1080}, screen, 96, Rect{12, 492, 700, 1080}, {146, 516, 566, 564}},
        // A secondary monitor left of the primary at 144 DPI: 135 pixels needed above.
        {{-1500, -865, -300, 0}, {-1920, -1000, 0, 80}, 144, Rect{-1920, -1000, 0, 80}, {-1275, -964, -645, -892}},
        {{-1500, -866, -300, 0}, {-1920, -1000, 0, 80}, 144, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        const std::optional<Rect> area = promptStripArea(c.capture, c.bounds, c.dpi);
        ASSERT_EQ(area.has_value(), c.area.has_value()) << c.capture.left << "," << c.capture.top;
        if (!area) continue;
        EXPECT_EQ(*area, *c.area);
        EXPECT_EQ(promptStripRect(*area, c.dpi), c.strip);
    }
    EXPECT_FALSE(promptStripArea(screen, screen, 96).has_value());
}

// The strip and its shadow never lie over the capture area, wherever the area is.
TEST(PromptStrip, NeverOverlapsTheCaptureArea) {
    const Rect bounds{-1920, -300, 0, 900};
    int placed = 0, refused = 0;
    for (uint32_t dpi : {96u, 120u, 144u, 192u}) {
        for (int32_t left = -1920; left < 0; left += 113) {
            for (int32_t width : {50, 500, 1400, 1920}) {
                for (int32_t top = -300; top < 900; top += 71) {
                    for (int32_t height : {40, 400, 1200}) {
                        const Rect c{left, top, std::min(left + width, 0), std::min(top + height, 900)};
                        const std::optional<Rect> area = promptStripArea(c, bounds, dpi);
                        if (!area) {
                            ++refused;
                            continue;
                        }
                        ++placed;
                        const Rect outer = promptStripOuterRect(promptStripRect(*area, dpi), dpi);
                        EXPECT_FALSE(rectsIntersect(outer, c)) << c.left << "," << c.top << " at " << dpi;
                    }
                }
            }
        }
    }
    EXPECT_GT(placed, 1000);
    EXPECT_GT(refused, 0);
}

TEST(PromptStrip, OuterRectAndIntersection) {
    EXPECT_EQ(promptStripOuterRect({750, 24, 1170, 72}, 96), (Rect{738, 24, 1182, 90}));
    EXPECT_EQ(promptStripOuterRect({0, 0, 630, 72}, 144), (Rect{-18, 0, 648, 99}));
    EXPECT_TRUE(rectsIntersect({0, 0, 10, 10}, {9, 9, 20, 20}));
    EXPECT_FALSE(rectsIntersect({0, 0, 10, 10}, {10, 0, 20, 10}));
    EXPECT_FALSE(rectsIntersect({0, 0, 10, 10}, {0, 10, 10, 20}));
    EXPECT_FALSE(rectsIntersect({0, 0, 0, 10}, {-5, -5, 5, 5}));
}

bool inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST(PromptStrip, ShadowSurroundsTheBodyAndReachesFurtherBelow) {
    for (const uint32_t dpi : {96u, 144u, 192u}) {
        const Rect strip = promptStripRect({0, 0, 1920, 1080}, dpi);
        const StripShadow s = promptStripShadow(strip, dpi);
        for (const Rect& r : {s.outer, s.inner}) {
            EXPECT_GT(r.bottom - strip.bottom, strip.left - r.left) << dpi;  // falls below more than sideways
            EXPECT_GT(r.top, strip.top) << dpi;                              // and never shows above the body
        }
        EXPECT_GT(s.outer.right - s.outer.left, s.inner.right - s.inner.left);
        EXPECT_GT(s.outerDiameter, s.innerDiameter);
        EXPECT_GT(s.innerDiameter, s.bodyDiameter);
        // The drawn shadow stays inside the margins the strip keeps from the capture area.
        const Rect margins = promptStripOuterRect(strip, dpi);
        EXPECT_TRUE(inside(s.outer, Rect{margins.left, strip.top, margins.right, margins.bottom})) << dpi;
    }
}

// The strip's content is one row centred in the body: glyph, texts, key cap
// and its label left to right, each inside the body, none overlapping.
TEST(PromptStrip, ContentIsCentredLeftToRightInsideTheBody) {
    struct Case {
        const char* name;
        StripContent content;
    } cases[] = {
        {"selecting", {120, false, 0, false, false, true, false, true}},
        {"capturing, glyph and status", {90, true, 110, false, true, true, true, true}},
        {"manual, stacked", {180, true, 110, true, false, true, true, false}},
        {"saving", {60, true, 140, false, true, false, false, true}},
    };
    for (const uint32_t dpi : {96u, 144u}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << dpi);
            const Rect strip = promptStripRect({0, 0, 1920, 1080}, dpi);
            const StripLayout l = layoutPromptStrip(strip, c.content, dpi);
            std::vector<Rect> row;
            if (c.content.glyph) row.push_back(l.glyph);
            row.push_back(l.title);
            if (c.content.hasStatus && !c.content.stacked) row.push_back(l.status);
            if (c.content.escKey) {
                row.push_back(l.key);
                row.push_back(l.label);
            }
            for (size_t i = 0; i < row.size(); ++i) {
                EXPECT_TRUE(inside(row[i], strip)) << i;
                // Texts carry 2 pixels of slack beyond their width.
                if (i > 0) {
                    EXPECT_GT(row[i].left, row[i - 1].right - 2) << i;
                }
            }
            const int32_t leftGap = row.front().left - strip.left;
            const int32_t rightGap = strip.right - (c.content.escKey ? l.label.right : row.back().right - 2);
            EXPECT_LE(std::abs(leftGap - rightGap), 1);
            if (c.content.stacked) {
                EXPECT_EQ(l.status.left, l.title.left);
                EXPECT_EQ(l.status.top, l.title.bottom);
                EXPECT_TRUE(inside(l.status, strip));
            }
            if (!c.content.glyph) {
                EXPECT_EQ(l.glyph, Rect{});
            }
            if (!c.content.escKey) {
                EXPECT_EQ(l.key, Rect{});
            }
        }
    }
}

// Texts wider than the strip are cut, the status first; the glyph, the key
// cap and its label keep their sizes, and nothing leaves the strip.
TEST(PromptStrip, TextsTooWideAreCutInsideTheStrip) {
    struct Case {
        const char* name;
        StripContent content;  // widths in DIPs
        int32_t titleShown;    // DIPs of the title and status that are drawn; -1: all of it
        int32_t statusShown;
    } cases[] = {
        {"automatic capture, a long count under the title", {190, true, 200, true, true, true, true, true}, -1, -1},
        {"stacked, a column too wide", {380, true, 300, true, true, true, true, true}, 217, 217},
        {"side by side, the status cut first", {200, true, 300, false, true, false, false, true}, -1, 155},
        {"side by side, the title cut too", {420, true, 300, false, true, false, false, true}, 355, 0},
        {"a title alone too wide", {500, false, 0, false, true, true, false, false}, 277, -1},
    };
    for (const uint32_t dpi : {96u, 144u}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << dpi);
            StripContent content = c.content;
            content.titleWidth = dipsToPixels(content.titleWidth, dpi);
            content.statusWidth = dipsToPixels(content.statusWidth, dpi);
            const Rect strip = promptStripRect({0, 0, 1920, 1080}, dpi);
            const StripLayout l = layoutPromptStrip(strip, content, dpi);
            const int32_t pad = dipsToPixels(12, dpi);
            // The strip less its end pads, and the two pixels of slack a text's box has.
            const Rect inner{strip.left + pad - 1, strip.top, strip.right - pad + 2, strip.bottom};
            EXPECT_TRUE(inside(l.title, inner));
            if (content.hasStatus) {
                EXPECT_TRUE(inside(l.status, inner));
            }
            if (content.glyph) {
                EXPECT_TRUE(inside(l.glyph, inner));
                EXPECT_EQ(l.glyph.width(), dipsToPixels(17, dpi));
                EXPECT_GE(l.title.left, l.glyph.right + pad);
            }
            if (content.escKey) {
                EXPECT_TRUE(inside(l.label, inner));
                EXPECT_EQ(l.key.width(), dipsToPixels(34, dpi));
                EXPECT_GE(l.key.left, std::max(l.title.right, l.status.right) - 2 + pad);
            }
            const auto shown = [dpi](int32_t dips, int32_t whole) { return dips < 0 ? whole : dipsToPixels(dips, dpi); };
            // Rounding to pixels may leave a pixel either way.
            EXPECT_NEAR(l.title.width() - 2, shown(c.titleShown, content.titleWidth), 2);
            if (content.hasStatus) {
                EXPECT_NEAR(l.status.width() - 2, shown(c.statusShown, content.statusWidth), 2);
            }
        }
    }
}

TEST(PromptStrip, TheKeyLabelFitsItsLanguage) {
    const Rect strip = promptStripRect({0, 0, 1920, 1080}, 96);
    StripContent c{100, false, 0, false, false, true, true, true};
    const int32_t englishFinish = layoutPromptStrip(strip, c, 96).label.width();
    c.english = false;
    const int32_t chineseFinish = layoutPromptStrip(strip, c, 96).label.width();
    c.capturing = false;
    const int32_t chineseCancel = layoutPromptStrip(strip, c, 96).label.width();
    EXPECT_GT(englishFinish, chineseFinish);
    EXPECT_GT(chineseFinish, chineseCancel);
    EXPECT_EQ(layoutPromptStrip(strip, c, 144).label.width(), dipsToPixels(chineseCancel, 144));
}

}  // namespace
}  // namespace tf
