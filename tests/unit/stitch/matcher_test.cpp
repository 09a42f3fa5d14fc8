#include <gtest/gtest.h>

#include "stitch/matcher.h"
#include "test_support.h"

namespace tf {
namespace {

using namespace matcher_detail;

TEST(MatcherGeometry, FiveHundredTwentyRowFrames) {
    const PixelImage a(640, 520, 0xFFFFFFFFu), b(640, 520, 0xFFFFFFFFu);
    Geometry g;
    ASSERT_TRUE(computeGeometry(a, b, g));
    EXPECT_EQ(g.minOverlap, 62);
    EXPECT_EQ(g.maxOverlap, 512);
    EXPECT_EQ(g.x0, 38);
    EXPECT_EQ(g.x1, 576);
    EXPECT_EQ(g.columnStep, 4);
}

TEST(Matcher, UniformBlackFramesMatchAtTheLargestOverlap) {
    const PixelImage a(640, 520, 0xFF000000u), b(640, 520, 0xFF000000u);
    EXPECT_EQ(matchFrames(a, b, 0, 0.7), (MatchResult{512, 0.0, true, 172, 0.0}));
}

}  // namespace
}  // namespace tf
