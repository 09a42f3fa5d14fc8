// An automatic capture of a page with an animation that never rests: the
// capture learns its rows, still sees the end of the page behind it, and the
// image holds the page.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/capture/capture_controller.h"
#include "core/stitch/composer.h"
#include "simulated_screen.h"
#include "test_support.h"

namespace tf {
namespace {

using test::makeDocumentPage;
using test::SimulatedScreen;

constexpr int32_t kBadgeTop = 150, kBadgeBottom = 190, kBadgeLeft = 20, kBadgeRight = 60;

// A badge at a fixed place of the view, in another colour every 90 ms.
struct BadgeScreen : SimulatedScreen {
    using SimulatedScreen::SimulatedScreen;
    PixelImage grab(const Rect& r) override {
        PixelImage f = SimulatedScreen::grab(r);
        const uint32_t colour = (now() / 90) % 2 == 0 ? 0xFFE02020u : 0xFF2020E0u;
        for (int32_t y = kBadgeTop; y < kBadgeBottom; ++y)
            for (int32_t x = kBadgeLeft; x < kBadgeRight; ++x) f.at(x, y) = colour;
        return f;
    }
};

// The columns the badge covers are blanked in both images: what the badge
// showed when each frame was kept is not the page's.
void blankBadgeColumns(PixelImage& image) {
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = kBadgeLeft; x < kBadgeRight; ++x) image.at(x, y) = 0;
}

TEST(AnimatedCapture, EndsAtTheEndOfThePageBehindAnAnimation) {
    struct Case {
        const char* name;
        int32_t rowsPerNotch;
        int32_t span;
    } cases[] = {
        {"a notch of 100 rows", 100, 700},
        {"a notch of 40 rows", 40, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BadgeScreen s(makeDocumentPage(300, 240 + c.span, 9), 240, {.rowsPerNotch = c.rowsPerNotch});
        const CaptureOutcome out = runCapture(s, s.request());
        EXPECT_TRUE(out.reachedEnd);
        EXPECT_FALSE(out.failure.failed()) << static_cast<int>(out.failure.kind);
        EXPECT_EQ(s.position(), s.maxPosition());
        // The still probes at the end are the usual three, each judged unmoved.
        ASSERT_GE(s.probes.size(), 3u);
        for (size_t i = s.probes.size() - 3; i < s.probes.size(); ++i)
            EXPECT_EQ(s.probes[i].action, CaptureAction::NoMotion);
        ASSERT_TRUE(s.stitchStarted);
        PixelImage expected = s.expectedImage(s.maxPosition());
        PixelImage composed = composeFrames(s.handedOver);
        blankBadgeColumns(expected);
        blankBadgeColumns(composed);
        EXPECT_TRUE(test::imagesEqual(expected, composed));
    }
}

}  // namespace
}  // namespace tf
