// Real pages under a bar that stays put while they scroll, down or to the
// right (tests/data/fixed-bars, written by tests/tools/make_fixed_bars.cpp):
// bars with little text, a long search box or progress line and a few icons.
// Each must come out as its page, exactly, with the bar in it once.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "core/stitch/orientation.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

enum class Bar { Left, Right, Bottom };

struct FixedBarCase {
    const char* folder;
    ScrollDirection direction;
    const char* page;  // the true long image, under tests/data
    // Where the bar lies in the image turned so that its content runs down
    // (a sideways capture's image transposed), and how thick it is.
    Bar bar;
    int32_t thickness;
};

const FixedBarCase kCases[] = {
    {"sideways-toolbar-search", ScrollDirection::Right, "sideways/debref-ch02-wide-table/truth.png", Bar::Left, 50},
    {"down-icon-rail", ScrollDirection::Down, "corpus/py-functions-small-rect/truth.png", Bar::Left, 48},
    {"sideways-player-bar", ScrollDirection::Right, "sideways/debref-ch02-long-code/truth.png", Bar::Right, 64},
    {"down-player-bar", ScrollDirection::Down, "corpus/py-functions-small-rect/truth.png", Bar::Bottom, 64},
};

PixelImage turnedDown(const PixelImage& image, ScrollDirection direction) {
    return direction == ScrollDirection::Right ? transposed(image) : image;
}

class FixedBarPage : public testing::TestWithParam<FixedBarCase> {};

TEST_P(FixedBarPage, StitchedAsThePageWithTheBarOnce) {
    const FixedBarCase& c = GetParam();
    const std::vector<PixelImage> frames = test::loadFrames(test::testDataDir() / "fixed-bars" / c.folder / "frames");
    ASSERT_GE(frames.size(), 3u);
    const PixelImage first = turnedDown(frames.front(), c.direction);
    const PixelImage last = turnedDown(frames.back(), c.direction);
    const PixelImage page = turnedDown(loadPng(test::testDataDir() / c.page), c.direction);
    const PixelImage out = turnedDown(composeFrames(frames, c.direction), c.direction);
    ASSERT_EQ(out.width, page.width);
    ASSERT_EQ(out.height, page.height);

    const int32_t W = out.width, H = out.height;
    auto inBar = [&](int32_t x, int32_t y) {
        switch (c.bar) {
            case Bar::Left: return x < c.thickness;
            case Bar::Right: return x >= W - c.thickness;
            case Bar::Bottom: return y >= H - c.thickness;
        }
        return false;
    };
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            if (!inBar(x, y)) {
                ASSERT_EQ(out.at(x, y), page.at(x, y)) << "page pixel " << x << "," << y;
            } else if (c.bar == Bar::Bottom) {
                // A bar across the content is the last frame's, at the bottom.
                ASSERT_EQ(out.at(x, y), last.at(x, y - (H - last.height))) << "bar pixel " << x << "," << y;
            } else if (y < first.height) {
                // A bar at the side is the first frame's, and below it one
                // colour per column: no slice of it from any later frame.
                ASSERT_EQ(out.at(x, y), first.at(x, y)) << "bar pixel " << x << "," << y;
            } else {
                ASSERT_EQ(out.at(x, y), out.at(x, first.height)) << "bar pixel " << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RealPages, FixedBarPage, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<FixedBarCase>& info) {
                             std::string n = info.param.folder;
                             for (char& ch : n)
                                 if (ch == '-') ch = '_';
                             return n;
                         });

}  // namespace
}  // namespace tf
