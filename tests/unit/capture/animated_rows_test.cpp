// Which rows a capture learns as an animation, from the grabs of its probes'
// watches, and the still test that leaves them out.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/capture/animated_rows.h"
#include "core/tuning.h"

namespace tf {
namespace {

constexpr int32_t kW = 128, kH = 240;

// A page of horizontal stripes (every row differs from its neighbours), with
// rows [top, bottom) painted in the colour of `phase`.
PixelImage page(int32_t shift = 0, int32_t top = 0, int32_t bottom = 0, uint32_t phase = 0) {
    PixelImage image(kW, kH);
    for (int32_t y = 0; y < kH; ++y) {
        const uint32_t grey = static_cast<uint32_t>(((y + shift) * 37) % 200 + 20);
        for (int32_t x = 0; x < kW; ++x) image.at(x, y) = 0xFF000000u | grey * 0x010101u;
    }
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = 10; x < 40; ++x) image.at(x, y) = phase % 2 == 0 ? 0xFFFF0000u : 0xFF0000FFu;
    return image;
}

// A watch: the grab at each time after the watch began, as `frameAt` draws it.
void watch(AnimatedRows& rows, uint64_t begin, const std::vector<uint64_t>& times,
           const std::function<PixelImage(size_t)>& frameAt) {
    rows.beginWatch(begin);
    PixelImage previous = frameAt(0);
    for (size_t i = 1; i < times.size(); ++i) {
        PixelImage next = frameAt(i);
        rows.observe(previous, next, begin + times[i]);
        previous = std::move(next);
    }
}

std::vector<uint64_t> every(uint64_t ms, uint64_t until) {
    std::vector<uint64_t> t;
    for (uint64_t at = 0; at <= until; at += ms) t.push_back(at);
    return t;
}

TEST(AnimatedRows, LearnsRowsThatKeepChangingWhileTheRestStands) {
    struct Case {
        const char* name;
        int32_t watches;
        std::vector<uint64_t> times;
        std::function<PixelImage(size_t)> frameAt;
        int32_t learnt;  // rows
    } cases[] = {
        {"a badge of 40 rows changing at every grab", 1, every(40, 400),
         [](size_t i) { return page(0, 100, 140, static_cast<uint32_t>(i)); }, 40},
        {"two badges, a quarter of the rows together", 1, every(40, 400),
         [](size_t i) {
             PixelImage p = page(0, 20, 40, static_cast<uint32_t>(i));
             for (int32_t y = 160; y < 200; ++y)
                 for (int32_t x = 60; x < 90; ++x) p.at(x, y) = i % 2 ? 0xFF00FF00u : 0xFFFFFFFFu;
             return p;
         },
         60},
        {"changes too brief to be an animation", 1, {0, 20, 40, 60},
         [](size_t i) { return page(0, 100, 140, static_cast<uint32_t>(i)); }, 0},
        {"rows painted once per probe, over many probes", 6, every(40, 400),
         [](size_t i) { return page(0, 180, 230, i == 0 ? 0u : 1u); }, 0},
        {"the whole page moving", 1, every(40, 400), [](size_t i) { return page(static_cast<int32_t>(i)); }, 0},
        {"a band too large to be a part of the page", 1, every(40, 400),
         [](size_t i) { return page(0, 0, kH / 4 + 1, static_cast<uint32_t>(i)); }, 0},
        {"changes in many places at once", 1, every(40, 400),
         [](size_t i) {
             PixelImage p = page();
             for (int32_t band = 0; band < 6; ++band)
                 for (int32_t y = band * 40; y < band * 40 + 4; ++y)
                     for (int32_t x = 0; x < kW; ++x) p.at(x, y) = i % 2 ? 0xFF00FF00u : 0xFFFFFFFFu;
             return p;
         },
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnimatedRows rows;
        for (int32_t w = 0; w < c.watches; ++w) watch(rows, static_cast<uint64_t>(w) * 5000, c.times, c.frameAt);
        EXPECT_EQ(rows.count(), c.learnt);
        if (c.learnt > 0) {
            EXPECT_TRUE(rows.grew());
            ASSERT_EQ(rows.mask().size(), static_cast<size_t>(kH));
        }
    }
}

TEST(AnimatedRows, KeepsWhatItLearntAcrossWatchesAndForgetsItForAnotherArea) {
    AnimatedRows rows;
    watch(rows, 0, every(40, 400), [](size_t i) { return page(0, 100, 140, static_cast<uint32_t>(i)); });
    ASSERT_EQ(rows.count(), 40);
    // A watch of a still page: nothing new, nothing forgotten.
    watch(rows, 5000, every(40, 400), [](size_t) { return page(); });
    EXPECT_EQ(rows.count(), 40);
    EXPECT_FALSE(rows.grew());
    PixelImage a(kW, kH / 2), b(kW, kH / 2, 0xFFFFFFFFu);
    rows.observe(a, b, 6000);
    EXPECT_EQ(rows.count(), 0);
    EXPECT_TRUE(rows.mask().empty());
}

TEST(AnimatedRows, StillTestLeavesTheMaskedRowsOut) {
    std::vector<uint8_t> mask(kH, 0);
    for (int32_t y = 100; y < 140; ++y) mask[static_cast<size_t>(y)] = 1;
    const std::vector<uint8_t> all(kH, 1);
    struct Case {
        const char* name;
        PixelImage a, b;
        const std::vector<uint8_t>* ignored;
        bool identical;
    } cases[] = {
        {"the same page", page(), page(), &mask, true},
        {"only the masked rows differ", page(0, 100, 140, 0), page(0, 100, 140, 1), &mask, true},
        {"the same difference, nothing masked", page(0, 100, 140, 0), page(0, 100, 140, 1), nullptr, false},
        {"the page moved behind the mask", page(0), page(3), &mask, false},
        {"every row masked: nothing to compare", page(), page(), &all, false},
    };
    const std::vector<uint8_t> none;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(framesNearlyIdenticalOutside(c.a, c.b, c.ignored != nullptr ? *c.ignored : none), c.identical);
    }
}

}  // namespace
}  // namespace tf

namespace tf {
namespace {

// What the offline stitch tells from two dumped frames alone: an animation
// over a page that stood still, against motion, late content and no change.
TEST(ChangedOnlyByAnAnimation, TellsAnAnimationFromThePageMoving) {
    struct Case {
        const char* name;
        PixelImage a, b;
        bool animation;
    } cases[] = {
        {"a badge changed in place", page(0, 100, 140, 0), page(0, 100, 140, 1), true},
        {"nothing changed", page(0, 100, 140, 0), page(0, 100, 140, 0), false},
        {"the page moved", page(0), page(30), false},
        {"the page moved under a badge", page(0, 100, 140, 0), page(30, 100, 140, 1), false},
        {"more than a quarter of the rows repainted", page(0, 20, 100, 0), page(0, 20, 100, 1), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(changedOnlyByAnAnimation(c.a, c.b), c.animation);
    }
}

}  // namespace
}  // namespace tf
