// The automatic capture of a page that scrolls to the right: the same page
// turned on its side must give the same verdicts, frames and ending as the
// downward capture, with the horizontal ways of scrolling.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/capture/capture_controller.h"
#include "core/capture/manual_capture.h"
#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "core/stitch/composer.h"
#include "core/stitch/orientation.h"
#include "scripted_person.h"
#include "simulated_screen.h"
#include "test_support.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using test::makeDocumentPage;
using test::ScrollModel;
using test::SimulatedScreen;

SimulatedScreen screenFor(int32_t frameHeight, int32_t span, ScrollModel model, uint32_t seed = 3) {
    const int32_t viewRows = frameHeight - model.headerRows - model.footerRows;
    return SimulatedScreen(makeDocumentPage(300, viewRows + span, seed), frameHeight, model);
}

CaptureOutcome capture(SimulatedScreen& s, ScrollDirection direction) {
    return runCapture(s, s.request(direction));
}

struct SidewaysCase {
    const char* name;
    int32_t frameHeight;
    int32_t span;
    ScrollModel model;
    int32_t escAtNotch = -1;
};

TEST(SidewaysCapture, TurnedPageCapturesAsTheDownwardOneDoes) {
    const std::vector<SidewaysCase> cases = {
        {"plain", 240, 700, {.rowsPerNotch = 100}},
        {"smooth", 240, 700, {.rowsPerNotch = 100, .animationMs = 400}},
        {"fixed left column", 260, 700, {.rowsPerNotch = 100, .headerRows = 30}},
        {"fixed top row", 240, 700, {.rowsPerNotch = 100, .panelColumns = 40}},
        {"late content", 240, 700, {.rowsPerNotch = 100, .lateContentMs = 340}},
        {"end in the middle of a notch", 240, 650, {.rowsPerNotch = 100}},
        {"Esc", 240, 2000, {.rowsPerNotch = 100}, 3},
        {"frame limit", 200, 100 * 100, {.rowsPerNotch = 100}},
    };
    for (const SidewaysCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedScreen down = screenFor(c.frameHeight, c.span, c.model);
        ScrollModel turned = c.model;
        turned.sideways = true;
        SimulatedScreen right = screenFor(c.frameHeight, c.span, turned);
        down.escAtNotch = right.escAtNotch = c.escAtNotch;

        const CaptureOutcome outDown = capture(down, ScrollDirection::Down);
        const CaptureOutcome outRight = capture(right, ScrollDirection::Right);
        EXPECT_EQ(outRight.reachedEnd, outDown.reachedEnd);
        EXPECT_EQ(outRight.finishedByUser, outDown.finishedByUser);
        EXPECT_EQ(outRight.frameCount, outDown.frameCount);
        EXPECT_EQ(outRight.failure, outDown.failure);
        EXPECT_EQ(right.failures, down.failures);
        ASSERT_EQ(right.probes.size(), down.probes.size());
        for (size_t i = 0; i < down.probes.size(); ++i) {
            EXPECT_EQ(right.probes[i].action, down.probes[i].action) << i;
            EXPECT_EQ(right.probes[i].overlap, down.probes[i].overlap) << i;
            EXPECT_EQ(right.probes[i].expected, down.probes[i].expected) << i;
        }
        // The same progress, told as going right (where the overlay's arrow points).
        ASSERT_EQ(right.published.size(), down.published.size());
        for (size_t i = 0; i < down.published.size(); ++i) {
            CaptureProgress told = right.published[i];
            EXPECT_EQ(told.direction, ScrollDirection::Right) << i;
            told.direction = ScrollDirection::Down;
            EXPECT_EQ(told, down.published[i]) << i;
        }
        // Every notch sideways is the horizontal wheel, scrolling right.
        EXPECT_EQ(right.notchesShifted, std::vector<bool>(right.notchTimes.size(), false));
        for (const int32_t delta : right.notchDeltas) EXPECT_EQ(delta, 120);

        EXPECT_EQ(right.stitchStarted, down.stitchStarted);
        if (!down.stitchStarted) continue;
        EXPECT_EQ(right.handedDirection, ScrollDirection::Right);
        ASSERT_EQ(right.handedOver.size(), down.handedOver.size());
        for (size_t i = 0; i < down.handedOver.size(); ++i) {
            // Handed over as the loop holds them, already turned: the very
            // frames of the downward capture, so the stitch need not turn them.
            EXPECT_TRUE(test::imagesEqual(right.handedTurned[i], down.handedOver[i])) << i;
            EXPECT_TRUE(test::imagesEqual(transposed(down.handedOver[i]), right.handedOver[i])) << i;
        }
        const PixelImage wide = composeFrames(right.handedOver, ScrollDirection::Right);
        EXPECT_TRUE(test::imagesEqual(transposed(composeFrames(down.handedOver)), wide));
        // The side panel is not part of the simulated page's truth.
        if (outDown.reachedEnd && c.model.panelColumns == 0) {
            EXPECT_TRUE(test::imagesEqual(right.expectedImage(right.maxPosition()), wide));
        }
    }
}

TEST(SidewaysCapture, RightPageIgnoresTheVerticalWheelSetting) {
    struct WheelCase {
        const char* name;
        uint32_t chars;
        bool readable;
        int32_t delta;
    };
    for (const WheelCase& c : {WheelCase{"three characters", 3, true, 120}, WheelCase{"six characters", 6, true, 60},
                               WheelCase{"unreadable", 6, false, 120}}) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = screenFor(240, 400, {.rowsPerNotch = 100, .sideways = true});
        s.wheelLines = 0;  // a downward capture would refuse to start
        s.wheelChars = c.chars;
        s.wheelCharsReadable = c.readable;
        const CaptureOutcome out = capture(s, ScrollDirection::Right);
        EXPECT_FALSE(out.failure.failed());
        ASSERT_FALSE(s.notchDeltas.empty());
        EXPECT_EQ(s.notchDeltas.front(), c.delta);
    }
}

TEST(SidewaysCapture, HorizontalRoutesAreTriedInTurn) {
    struct RouteCase {
        int32_t targets;
        std::vector<ScrollRoute> order;
    };
    const ScrollDirection R = ScrollDirection::Right;
    const std::vector<RouteCase> cases = {
        {0, {{ScrollMethod::Wheel, 0, R}, {ScrollMethod::ShiftWheel, 0, R}}},
        {2,
         {{ScrollMethod::Wheel, 0, R}, {ScrollMethod::ShiftWheel, 0, R}, {ScrollMethod::ScrollBarMessage, 0, R},
          {ScrollMethod::ScrollBarMessage, 1, R}, {ScrollMethod::ArrowKey, 0, R}}},
    };
    for (const RouteCase& c : cases) {
        SCOPED_TRACE(c.targets);
        std::vector<ScrollRoute> order;
        for (ScrollRoute r{ScrollMethod::Wheel, 0, R}; r.method != ScrollMethod::None; r = nextScrollRoute(r, c.targets))
            order.push_back(r);
        EXPECT_EQ(order, c.order);
    }
}

std::string logHeader(const fs::path& folder) {
    const std::string text = test::readFile(folder / "capture.log.txt");
    return text.substr(0, text.find("\r\n"));
}

TEST(SidewaysCapture, PageDeafToTheHorizontalWheelScrollsWithShift) {
    test::ScratchDir dir;
    SimulatedScreen s = screenFor(240, 500, {.rowsPerNotch = 100, .sideways = true, .ignoresSidewaysWheel = true});
    s.logFolder = dir.path();
    const CaptureOutcome out = capture(s, ScrollDirection::Right);
    EXPECT_TRUE(out.reachedEnd);
    EXPECT_EQ(s.position(), s.maxPosition());
    ASSERT_GE(s.notchesShifted.size(), 4u);
    EXPECT_EQ(s.notchesShifted[2], false);
    EXPECT_EQ(s.notchesShifted[3], true);
    EXPECT_EQ(s.notchDeltas[3], -120);
    EXPECT_TRUE(test::imagesEqual(s.expectedImage(s.maxPosition()), composeFrames(s.handedOver, ScrollDirection::Right)));
    EXPECT_EQ(logHeader(dir.path()), "wheelScrollLines=3 wheelDelta=120 scrollMethod=shiftWheel direction=right");
    // The dumps are the grabs as they were, wide side up.
    const PixelImage first = loadPng(dir / "0000-initial.png");
    EXPECT_TRUE(test::imagesEqual(s.handedOver.front(), first));
}

TEST(SidewaysCapture, PageDeafToEveryWheelScrollsOnItsHorizontalScrollBar) {
    SimulatedScreen s =
        screenFor(240, 500, {.rowsPerNotch = 0, .messageTarget = 0, .messageRows = 90, .sideways = true});
    s.scrollTargets = 1;
    const CaptureOutcome out = capture(s, ScrollDirection::Right);
    EXPECT_TRUE(out.reachedEnd);
    EXPECT_EQ(s.position(), s.maxPosition());
    ASSERT_FALSE(s.scrollSteps.empty());
    EXPECT_EQ(s.scrollSteps.front(), (ScrollRoute{ScrollMethod::ScrollBarMessage, 0, ScrollDirection::Right}));
    EXPECT_TRUE(test::imagesEqual(s.expectedImage(s.maxPosition()), composeFrames(s.handedOver, ScrollDirection::Right)));
}

TEST(SidewaysCapture, DownwardCaptureNeverSendsSidewaysInput) {
    SimulatedScreen s = screenFor(240, 500, {.rowsPerNotch = 0, .messageTarget = 0, .messageRows = 90});
    s.scrollTargets = 1;
    capture(s, ScrollDirection::Down);
    EXPECT_TRUE(s.notchesShifted.empty());
    for (const ScrollRoute& r : s.scrollSteps) EXPECT_EQ(r.direction, ScrollDirection::Down);
    EXPECT_EQ(s.handedDirection, ScrollDirection::Down);
}

struct FirstMotionCase {
    const char* name;
    bool sidewaysPage;
    ScrollDirection requested;  // what the overlay started with
    ScrollDirection decided;
};

TEST(SidewaysManualCapture, FirstMotionDecidesTheDirection) {
    const std::vector<FirstMotionCase> cases = {
        {"page scrolled right, overlay down", true, ScrollDirection::Down, ScrollDirection::Right},
        {"page scrolled right, overlay sideways", true, ScrollDirection::Right, ScrollDirection::Right},
        {"page scrolled down, overlay sideways", false, ScrollDirection::Right, ScrollDirection::Down},
        {"page scrolled down, overlay down", false, ScrollDirection::Down, ScrollDirection::Down},
    };
    for (const FirstMotionCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir frames;
        test::ScratchDir out;
        SimulatedScreen s = screenFor(240, 600, {.animationMs = 150, .sideways = c.sidewaysPage}, 8);
        s.logFolder = frames.path();
        const test::Script script{test::steady(200, 400, 10, 80), 200 + 10 * 400 + 1500, test::FinishKey::Esc};
        const test::ManualRun run = test::runManual(s, script, UiLanguage::English, 120'000, c.requested);
        EXPECT_EQ(run.outcome.end, ManualCaptureEnd::Finished);
        ASSERT_TRUE(s.stitchStarted);
        EXPECT_EQ(s.handedDirection, c.decided);
        // The overlay hears of the way decided, with the progress counted that way.
        ASSERT_FALSE(s.published.empty());
        EXPECT_EQ(s.published.back().direction, c.decided);
        EXPECT_EQ(s.published.back().heightPx,
                  static_cast<int64_t>(s.handedOver.size()) *
                      (c.decided == ScrollDirection::Right ? s.rect.width() : s.rect.height()));
        EXPECT_EQ(s.position(), s.maxPosition());
        EXPECT_TRUE(test::imagesEqual(s.expectedImage(s.maxPosition()), composeFrames(s.handedOver, c.decided)));
        // The dumps are the kept frames as grabbed, and the log tells the way
        // they go, so the folder stitches offline into the same image.
        const std::vector<fs::path> dumps = listFrameFiles(frames.path());
        ASSERT_EQ(dumps.size(), s.handedOver.size());
        for (size_t i = 0; i < dumps.size(); ++i) EXPECT_TRUE(test::imagesEqual(s.handedOver[i], loadPng(dumps[i])));
        ASSERT_EQ(runOfflineStitch(frames.path(), out / "long.png"), 0);
        EXPECT_TRUE(test::imagesEqual(s.expectedImage(s.maxPosition()), loadPng(out / "long.png")));
        EXPECT_EQ(logHeader(frames.path()), c.decided == ScrollDirection::Right
                                                ? "wheelScrollLines=3 wheelDelta=0 scrollMethod=person direction=right"
                                                : "wheelScrollLines=3 wheelDelta=0 scrollMethod=person");
    }
}

}  // namespace
}  // namespace tf
