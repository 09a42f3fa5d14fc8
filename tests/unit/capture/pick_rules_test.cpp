#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

#include "core/capture/capture_rules.h"
#include "core/capture/pick_rules.h"

namespace tf {

static void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

TEST(PickClick, ThreePixelsEitherWayIsStillAClick) {
    struct Case {
        Point press, release;
        bool click;
    };
    const Case cases[] = {
        {{100, 100}, {100, 100}, true},
        {{100, 100}, {103, 103}, true},
        {{100, 100}, {97, 97}, true},
        {{100, 100}, {104, 100}, false},
        {{100, 100}, {100, 96}, false},
        {{-1920, -5}, {-1917, -2}, true},  // a monitor left of and above the primary
        {{-1920, -5}, {-1916, -5}, false},
        // Far apart across the whole coordinate range: no overflow turns it into a click.
        {{INT32_MIN, 0}, {INT32_MAX, 0}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isClick(c.press, c.release), c.click) << c.press.x << "," << c.press.y << " to " << c.release.x
                                                        << "," << c.release.y;
}

TEST(PickHighlight, ClientLessBarsClippedToWorkArea) {
    const Rect screen{0, 0, 1920, 1040};
    struct Case {
        const char* what;
        Rect client;
        std::vector<Rect> bars;
        Rect workArea;
        uint32_t dpi;
        Rect want;
    };
    const Case cases[] = {
        {"plain client", {200, 200, 1200, 820}, {}, screen, 96, {200, 200, 1200, 820}},
        {"vertical bar at the right", {200, 200, 1200, 820}, {{1183, 200, 1200, 820}}, screen, 96,
         {200, 200, 1183, 820}},
        {"horizontal bar at the bottom", {200, 200, 1200, 820}, {{200, 803, 1200, 820}}, screen, 96,
         {200, 200, 1200, 803}},
        {"both bars, the bottom one short of the corner", {200, 200, 1200, 820},
         {{200, 803, 1183, 820}, {1183, 200, 1200, 803}}, screen, 96, {200, 200, 1183, 803}},
        // Standard bars lie outside the client area: nothing to take away.
        {"bar outside the client", {200, 200, 1200, 820}, {{1200, 200, 1217, 820}}, screen, 96,
         {200, 200, 1200, 820}},
        {"bar in the middle of the window is not an edge", {200, 200, 1200, 820}, {{600, 300, 617, 500}}, screen, 96,
         {200, 200, 1200, 820}},
        {"empty bar", {200, 200, 1200, 820}, {{1183, 200, 1183, 820}}, screen, 96, {200, 200, 1200, 820}},
        {"taller than the work area", {100, -50, 900, 1200}, {}, screen, 96, {100, 0, 900, 1040}},
        {"monitor left of the primary", {-1800, 100, -1000, 700}, {{-1017, 100, -1000, 700}},
         {-1920, 0, 0, 1040}, 144, {-1800, 100, -1017, 700}},
        {"exactly the minimum at 144 DPI", {0, 0, 48, 48}, {}, screen, 144, {0, 0, 48, 48}},
        {"a pixel short at 144 DPI", {0, 0, 48, 47}, {}, screen, 144, {}},
        {"too narrow once the bar is gone", {0, 0, 45, 300}, {{20, 0, 45, 300}}, screen, 96, {}},
        {"outside the work area", {0, 1040, 800, 1080}, {}, screen, 96, {}},
        {"empty client", {300, 300, 300, 300}, {}, screen, 96, {}},
        {"DPI 0 counts as 96", {0, 0, 32, 32}, {}, screen, 0, {0, 0, 32, 32}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pickHighlight(c.client, c.bars, c.workArea, c.dpi), c.want) << c.what;
}

TEST(PickHighlight, SmallControlOffersTheWindowAroundIt) {
    const Rect screen{0, 0, 1920, 1040};
    const std::vector<Rect> paneBars{{1183, 200, 1200, 820}};
    struct Case {
        const char* what;
        std::vector<PickCandidate> chain;
        Rect want;
    };
    const Case cases[] = {
        {"the deepest window when it is large enough",
         {{{300, 300, 700, 600}, {}}, {{200, 200, 1200, 820}, paneBars}}, {300, 300, 700, 600}},
        {"a button offers the pane, less its bar",
         {{{300, 300, 380, 324}, {}}, {{200, 200, 1200, 820}, paneBars}}, {200, 200, 1183, 820}},
        {"nothing large enough anywhere", {{{300, 300, 380, 324}, {}}, {{0, 1030, 1920, 1080}, {}}}, {}},
        {"no window at all", {}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(firstPickHighlight(c.chain, screen, 96), c.want) << c.what;
}

TEST(PickRelease, ClickPicksTheHighlightOtherMovesAreDrags) {
    const Rect highlight{200, 200, 1183, 820};
    struct Case {
        const char* what;
        Point press, release;
        Rect highlight;
        uint32_t dpi;
        std::optional<Rect> want;
    };
    const Case cases[] = {
        {"click", {500, 500}, {500, 500}, highlight, 96, highlight},
        {"click with a shaking hand", {500, 500}, {502, 497}, highlight, 96, highlight},
        {"click on no window", {500, 500}, {500, 500}, Rect{}, 96, std::nullopt},
        {"small drag is discarded", {500, 500}, {520, 520}, highlight, 96, std::nullopt},
        {"drag of 32 DIPs is a rectangle", {500, 500}, {532, 532}, highlight, 96, Rect{500, 500, 532, 532}},
        {"backwards drag", {532, 540}, {500, 500}, highlight, 96, Rect{500, 500, 532, 540}},
        {"47 rows at 144 DPI is discarded", {10, 10}, {110, 57}, highlight, 144, std::nullopt},
        {"48 rows at 144 DPI is kept", {10, 10}, {110, 58}, highlight, 144, Rect{10, 10, 110, 58}},
        {"four pixels is a drag, not a click", {500, 500}, {504, 500}, highlight, 96, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(releasedArea(c.press, c.release, c.highlight, c.dpi), c.want) << c.what;
}

// The overlay accepts whatever releasedArea gives through one path; a pick
// must therefore give exactly the rectangle a drag over the highlight gives,
// dragged either way, on any monitor and at any DPI.
TEST(PickRelease, PickAsksForWhatADragOfTheHighlightAsks) {
    struct Case {
        Rect client;
        Rect workArea;
        uint32_t dpi;
    };
    const Case cases[] = {
        {{200, 200, 1200, 820}, {0, 0, 1920, 1040}, 96},
        {{-1800, -300, -1000, 500}, {-1920, -400, 0, 640}, 144},
        {{1900, 100, 2600, 900}, {1920, 0, 3840, 1040}, 120},
        {{0, 0, 48, 48}, {0, 0, 1920, 1040}, 144},
    };
    for (const Case& c : cases) {
        const Rect h = pickHighlight(c.client, {}, c.workArea, c.dpi);
        ASSERT_GT(h.width(), 0);
        const Point inside{h.left + h.width() / 2, h.top + h.height() / 2};
        const std::optional<Rect> picked = releasedArea(inside, inside, h, c.dpi);
        const std::optional<Rect> dragged = releasedArea({h.left, h.top}, {h.right, h.bottom}, Rect{}, c.dpi);
        const std::optional<Rect> draggedBack = releasedArea({h.right, h.bottom}, {h.left, h.top}, Rect{}, c.dpi);
        ASSERT_TRUE(picked.has_value());
        EXPECT_EQ(*picked, h);
        EXPECT_EQ(picked, dragged);
        EXPECT_EQ(picked, draggedBack);
    }
}

}  // namespace
}  // namespace tf
