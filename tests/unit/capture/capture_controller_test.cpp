#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/capture/capture_controller.h"
#include "core/capture/capture_rules.h"
#include "core/image/png_codec.h"
#include "simulated_screen.h"
#include "core/texts/texts.h"
#include "core/stitch/composer.h"
#include "test_support.h"

namespace tf {
namespace {

using test::makeDocumentPage;
using test::ScrollModel;
using test::SimulatedScreen;

constexpr int kNoMotion = 0, kKeep = 1, kAccept = 2, kLost = 3;

CaptureOutcome capture(SimulatedScreen& s, UiLanguage language = UiLanguage::English) {
    s.language = language;
    return runCapture(s, s.request());
}

std::vector<int> actions(const SimulatedScreen& s) {
    std::vector<int> a;
    for (const ProbeRecord& p : s.probes) a.push_back(static_cast<int>(p.action));
    return a;
}

// The kept frames must join into exactly the page over the span scrolled.
::testing::AssertionResult stitchesInto(const SimulatedScreen& s, const PixelImage& expected) {
    if (!s.stitchStarted) return ::testing::AssertionFailure() << "nothing was handed to stitch-and-save";
    return test::imagesEqual(expected, composeFrames(s.handedOver));
}

// A page whose content is `viewRows + span` rows, so it scrolls by `span`.
SimulatedScreen screenFor(int32_t width, int32_t frameHeight, int32_t span, ScrollModel model, uint32_t seed = 1) {
    const int32_t viewRows = frameHeight - model.headerRows - model.footerRows;
    return SimulatedScreen(makeDocumentPage(width, viewRows + span, seed), frameHeight, model);
}

TEST(CaptureController, PageThatDoesNotScrollGivesOneFrameAfterThreeStillProbes) {
    SimulatedScreen s = screenFor(320, 240, 0, {});
    const CaptureOutcome out = capture(s);
    EXPECT_TRUE(out.reachedEnd);
    EXPECT_FALSE(out.finishedByUser);
    EXPECT_EQ(actions(s), (std::vector<int>{kNoMotion, kNoMotion, kNoMotion}));
    for (const ProbeRecord& p : s.probes) {
        EXPECT_EQ(p.overlap, 0);
        EXPECT_EQ(p.score, 1e18);
        EXPECT_EQ(p.expected, 0);
    }
    ASSERT_EQ(s.handedOver.size(), 1u);
    EXPECT_EQ(s.events, (std::vector<std::string>{"stitch"}));
    ASSERT_FALSE(s.published.empty());
    EXPECT_EQ(s.published.back().frameCount, 1u);
    EXPECT_EQ(s.published.back().heightPx, 240);
    EXPECT_TRUE(out.pageNeverMoved);
}

TEST(CaptureController, PageNeverMovedOnlyWhenTheFirstFrameIsAllThereIs) {
    struct Case {
        const char* name;
        int32_t span;
        ScrollModel model;
        int32_t escAtNotch;
        bool neverMoved;
    } cases[] = {
        {"window ignores the wheel", 700, {.rowsPerNotch = 0}, -1, true},
        {"a page that moved a few rows only", 700, {.notchRows = {3}}, -1, false},
        {"page that scrolls", 700, {.rowsPerNotch = 100}, -1, false},
        {"page shorter than a notch", 40, {.rowsPerNotch = 100}, -1, false},
        {"Esc before anything moved", 700, {.rowsPerNotch = 0}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = screenFor(320, 240, c.span, c.model);
        s.escAtNotch = c.escAtNotch;
        const CaptureOutcome out = capture(s);
        EXPECT_EQ(out.pageNeverMoved, c.neverMoved);
        EXPECT_TRUE(s.stitchStarted);  // the one frame is saved all the same
    }
}

struct WheelCase {
    uint32_t lines;
    bool readable;
    int32_t delta;
    size_t stillNotches;
};

TEST(CaptureController, WheelSettingDecidesDeltaAndStillProbes) {
    const std::vector<WheelCase> cases = {
        {3, true, -120, 3}, {1, true, -120, 3}, {5, true, -72, 3}, {12, true, -30, 5},
        {kWheelPageScroll, true, -30, 5}, {0, false, -120, 3},  // unreadable counts as 3 lines
    };
    for (const WheelCase& c : cases) {
        SCOPED_TRACE(c.lines);
        SimulatedScreen s = screenFor(200, 120, 0, {});
        s.wheelLines = c.lines;
        s.wheelLinesReadable = c.readable;
        capture(s);
        EXPECT_EQ(s.notchDeltas, std::vector<int32_t>(c.stillNotches, c.delta));
        EXPECT_EQ(s.handedOver.size(), 1u);
    }
}

TEST(CaptureController, TellsTheSinkEachFrameAsItIsKept) {
    SimulatedScreen s = screenFor(320, 240, 600, {.rowsPerNotch = 100});
    const CaptureOutcome out = capture(s);
    ASSERT_TRUE(s.stitchStarted);
    ASSERT_GE(s.handedTurned.size(), 3u);
    EXPECT_EQ(s.keptReports, static_cast<int32_t>(s.handedTurned.size()));
    ASSERT_EQ(s.keptAsTold.size(), s.handedTurned.size());
    for (size_t i = 0; i < s.handedTurned.size(); ++i)
        EXPECT_TRUE(test::imagesEqual(s.keptAsTold[i], s.handedTurned[i])) << i;
    // The progress follows each frame kept.
    ASSERT_EQ(s.published.size(), s.handedTurned.size());
    EXPECT_EQ(s.published.back().frameCount, out.frameCount);
}

TEST(CaptureController, WheelThatScrollsNothingFailsBeforeAnyGrab) {
    SimulatedScreen s = screenFor(200, 120, 300, {});
    s.wheelLines = 0;
    const CaptureOutcome out = capture(s, UiLanguage::ChineseSimplified);
    EXPECT_EQ(s.events, (std::vector<std::string>{"fail warning"}));
    EXPECT_TRUE(s.failed);
    ASSERT_EQ(s.messages.size(), 1u);
    EXPECT_EQ(s.messages[0], L"Windows 的鼠标滚轮设置为不滚动。请启用垂直滚动后重试。");
    EXPECT_EQ(s.grabs, 0);
    EXPECT_EQ(s.logFolderRequests, 0);
    EXPECT_TRUE(s.notchTimes.empty());
    EXPECT_EQ(s.cursorShowCount, 0);
    EXPECT_EQ(out.failure.kind, CaptureError::WheelDisabled);
}

TEST(CaptureController, DoesNotStartWithoutAValidRectangle) {
    SimulatedScreen s = screenFor(200, 120, 300, {});
    s.finish.request();
    const CaptureOutcome out = runCapture(s, s.request(ScrollDirection::Down, false));
    EXPECT_FALSE(out.started);
    EXPECT_EQ(s.grabs, 0);
    EXPECT_TRUE(s.events.empty());
    EXPECT_TRUE(s.finish.requested());  // an earlier request is left alone
}

struct PageCase {
    const char* name;
    int32_t frameHeight;
    int32_t span;
    ScrollModel model;
    uint32_t seed = 7;
};

TEST(CaptureController, ScrolledPagesStitchIntoThePage) {
    const std::vector<PageCase> cases = {
        {"plain", 240, 700, {.rowsPerNotch = 100}},
        {"notch barely under the keep limit", 240, 500, {.rowsPerNotch = 84}},
        {"smooth scrolling within the wait", 240, 700, {.rowsPerNotch = 100, .animationMs = 250}},
        {"smooth scrolling past the wait", 240, 700, {.rowsPerNotch = 100, .animationMs = 520}},
        {"late content", 240, 700, {.rowsPerNotch = 100, .lateContentMs = 340}},
        {"fixed footer", 260, 700, {.rowsPerNotch = 100, .footerRows = 24}},
        {"everything", 260, 900,
         {.rowsPerNotch = 110, .animationMs = 400, .lateContentMs = 350, .headerRows = 28, .footerRows = 20}, 5},
        {"end in the middle of a notch", 240, 650, {.rowsPerNotch = 100}},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = screenFor(360, c.frameHeight, c.span, c.model, c.seed);
        const CaptureOutcome out = capture(s);
        EXPECT_TRUE(out.reachedEnd);
        EXPECT_FALSE(out.failure.failed()) << static_cast<int>(out.failure.kind);
        EXPECT_EQ(s.position(), s.maxPosition());
        EXPECT_TRUE(stitchesInto(s, s.expectedImage(s.maxPosition())));
        EXPECT_EQ(s.cursorShowCount, 0);  // hidden for the capture, shown again
    }
}

TEST(CaptureController, RealPageWithSmoothScrolling) {
    const PixelImage page = loadPng(test::testDataDir() / "corpus" / "debref-ch05" / "truth.png");
    SimulatedScreen s(page, 600, {.rowsPerNotch = 240, .animationMs = 300});
    const CaptureOutcome out = capture(s);
    EXPECT_TRUE(out.reachedEnd);
    EXPECT_TRUE(stitchesInto(s, s.expectedImage(s.maxPosition())));
}

TEST(CaptureController, FirstFrameWaitsForAHoverEffectOnlyAsLongAsItPaints) {
    // The rows under the parked pointer light up `paintsFor` ms after the
    // park, or blink for longer than the first frame may wait.
    struct HoverScreen : SimulatedScreen {
        using SimulatedScreen::SimulatedScreen;
        uint64_t parkedAt = 0;
        uint64_t paintsFor = 0;
        bool forever = false;
        void setCursorPos(int32_t x, int32_t y) override {
            if (parkedAt == 0) parkedAt = now();
            SimulatedScreen::setCursorPos(x, y);
        }
        PixelImage grab(const Rect& r) override {
            PixelImage f = SimulatedScreen::grab(r);
            const uint64_t since = now() - parkedAt;
            // Blinking for 400 ms, or lit from `paintsFor` on.
            const bool blinking = forever && since < 400;
            if (blinking || since >= paintsFor) {
                const uint32_t colour = blinking && (since / kPollMs) % 2 == 0 ? 0xFF000000u : 0xFFFFE0A0u;
                for (int32_t y = 40; y < 60; ++y)
                    for (int32_t x = 0; x < f.width; ++x) f.at(x, y) = colour;
            }
            return f;
        }
    };
    struct Case { const char* name; uint64_t paintsFor; bool forever; uint64_t firstNotchAfter; };
    // The first look comes 50 ms after the park, the next ones 15 ms apart;
    // a picture that never rests is taken at the first look after 180 ms.
    for (const Case& c : {Case{"no hover", 0, false, 65}, Case{"hover after 60 ms", 60, false, 80},
                          Case{"never rests", 0, true, 185}}) {
        SCOPED_TRACE(c.name);
        HoverScreen s(makeDocumentPage(300, 240, 1), 240, {});
        s.paintsFor = c.paintsFor;
        s.forever = c.forever;
        const uint64_t start = s.now();
        capture(s);
        ASSERT_FALSE(s.notchTimes.empty());
        EXPECT_EQ(s.notchTimes[0] - start, c.firstNotchAfter);
        if (c.forever) continue;
        ASSERT_EQ(s.handedOver.size(), 1u);
        EXPECT_EQ(s.handedOver[0].at(5, 50), 0xFFFFE0A0u);  // kept as it rests, lit
    }
}

// No fixed wait: after each notch the area is grabbed every 15 ms until the
// picture has moved and then stayed the same for the settle period (the first
// motion is watched at rest for longer, to learn the period), and a notch that
// moves nothing is judged when the motion wait is over: four times as long as
// the page took to start moving, but no less than kMinMotionWaitMs.
TEST(CaptureController, ProbesArePacedByWhatThePictureDoes) {
    struct Case {
        const char* name;
        ScrollModel model;
        std::vector<uint64_t> intervals;  // between notches, then from the last notch to the hand-over
    } cases[] = {
        {"jumps", {.rowsPerNotch = 100}, {405, 90, 90, 120, 120, 120}},
        // The last change of an ease-out over 250 ms shows at the grab 255 ms
        // after the notch; two grabs first agree at 225 ms, from where the
        // first probe's longer watch counts.
        {"smooth scrolling", {.rowsPerNotch = 100, .animationMs = 250}, {225 + 405, 255 + 90, 255 + 90, 120, 120, 120}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // 100 rows a notch on 240-row frames: one notch a probe, three moves, three still probes.
        SimulatedScreen s = screenFor(300, 240, 300, c.model);
        const uint64_t start = s.now();
        capture(s);
        ASSERT_EQ(s.notchTimes.size(), 6u);
        EXPECT_EQ(s.notchTimes[0] - start, kHoverPaintMs + kPollMs);  // the pointer parks first
        std::vector<uint64_t> intervals;
        for (size_t i = 1; i < s.notchTimes.size(); ++i) intervals.push_back(s.notchTimes[i] - s.notchTimes[i - 1]);
        intervals.push_back(s.now() - s.notchTimes.back());
        EXPECT_EQ(intervals, c.intervals);
        EXPECT_TRUE(stitchesInto(s, s.expectedImage(300)));
    }
}

// Once one input has been measured, a probe sends as many as move the picture
// about half a frame, on every route; one again when a burst moved otherwise
// or nothing moved, so that the still probes at the end send one each.
TEST(CaptureController, BiggerStepsOnceTheMotionIsKnown) {
    struct Case {
        const char* name;
        int32_t span;
        ScrollModel model;
        int32_t targets;
        std::vector<int32_t> inputs;  // per probe
    } cases[] = {
        {"wheel", 360, {.rowsPerNotch = 40}, 0, {1, 2, 3, 3, 3, 1, 1}},
        {"scroll bar messages after three wheel notches", 360,
         {.rowsPerNotch = 0, .messageTarget = 0, .messageRows = 40}, 1, {1, 1, 1, 1, 2, 3, 3, 3, 1, 1}},
        {"arrow keys after the wheel and the messages", 360, {.rowsPerNotch = 0, .arrowRows = 40}, 1,
         {1, 1, 1, 1, 1, 1, 1, 2, 3, 3, 3, 1, 1}},
        // A window that takes one notch of a burst: one notch after each burst.
        {"bursts taken as one notch", 160, {.rowsPerNotch = 40, .coalesceMs = 10}, 0, {1, 2, 1, 3, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = screenFor(300, 240, c.span, c.model, 3);
        s.scrollTargets = c.targets;
        const CaptureOutcome out = capture(s);
        EXPECT_TRUE(out.reachedEnd);
        EXPECT_EQ(s.inputsPerProbe, c.inputs);
        EXPECT_TRUE(stitchesInto(s, s.expectedImage(c.span)));
    }
}

TEST(CaptureController, SmallMotionsStayPendingAndAreKeptAtTheEnd) {
    // Two notches of 30 rows, then the page stops: the grabs equal the pending
    // frame although they differ from the last kept frame.
    SimulatedScreen s = screenFor(320, 240, 60, {.rowsPerNotch = 30});
    const CaptureOutcome out = capture(s);
    EXPECT_TRUE(out.reachedEnd);
    EXPECT_EQ(actions(s), (std::vector<int>{kKeep, kKeep, kNoMotion, kNoMotion, kNoMotion}));
    EXPECT_EQ(s.probes[1].overlap, 180);
    ASSERT_EQ(s.handedOver.size(), 2u);
    EXPECT_TRUE(stitchesInto(s, s.expectedImage(60)));
}

TEST(CaptureController, StepThatRunsOutOfProbesKeepsItsFurthestPendingFrame) {
    // 9 rows a probe, 640-row frames: 24 probes reach 216 rows, short of the
    // 224 the 65 % rule needs. The window takes one notch of every burst, so
    // every probe of many notches moves as one notch does.
    SimulatedScreen s = screenFor(200, 640, 216 + 90, {.rowsPerNotch = 9, .coalesceMs = 10});
    const CaptureOutcome out = capture(s);
    EXPECT_TRUE(out.reachedEnd);
    ASSERT_GE(s.probes.size(), 24u);
    for (size_t i = 0; i < 24; ++i) EXPECT_EQ(static_cast<int>(s.probes[i].action), kKeep) << i;
    EXPECT_EQ(s.probes[23].step, 1);
    EXPECT_EQ(s.probes[24].step, 2);
    EXPECT_EQ(s.probes[24].probe, 0);
    ASSERT_EQ(s.handedOver.size(), 3u);
    EXPECT_TRUE(stitchesInto(s, s.expectedImage(306)));
}

TEST(CaptureController, LostOverlapStopsWithItsMessageAndNoImage) {
    SimulatedScreen s = screenFor(320, 240, 1200, {.notchRows = {100, 400}});
    const CaptureOutcome out = capture(s);
    EXPECT_EQ(actions(s), (std::vector<int>{kAccept, kLost}));
    EXPECT_FALSE(s.stitchStarted);
    EXPECT_EQ(s.events, (std::vector<std::string>{"fail error"}));
    EXPECT_EQ(out.failure, (CaptureFailure{CaptureError::LostOverlap, s.probes[1].overlap, s.probes[1].score}));
    ASSERT_EQ(s.messages.size(), 1u);
    EXPECT_EQ(s.messages[0].rfind(L"The next frame no longer overlapped the previous frame (", 0), 0u);
    EXPECT_EQ(s.cursorShowCount, 0);
}

TEST(CaptureController, RefusedWheelInputStopsTheCapture) {
    for (int32_t refuseAt : {0, 2}) {
        SCOPED_TRACE(refuseAt);
        SimulatedScreen s = screenFor(320, 240, 1000, {.rowsPerNotch = 100});
        s.refuseWheelFromNotch = refuseAt;
        const CaptureOutcome out = capture(s);
        EXPECT_EQ(out.failure.kind, CaptureError::WheelInputFailed);
        EXPECT_EQ(s.messages, std::vector<std::wstring>{L"Mouse-wheel input could not be sent, so the capture was stopped."});
        EXPECT_EQ(s.probes.size(), static_cast<size_t>(refuseAt));
        EXPECT_FALSE(s.stitchStarted);
        EXPECT_EQ(s.events, (std::vector<std::string>{"fail error"}));
    }
}

// A limit ends the capture as a finish does: the frames kept so far are
// stitched into the page down to where it stopped, and no message is shown.
// Small frames keep the long cases cheap; every notch is kept, and each frame
// after the first adds a notch's rows.
constexpr int32_t kSmallWidth = 96, kSmallHeight = 64, kSmallNotch = 32;

SimulatedScreen smallScreen(int32_t span) {
    return SimulatedScreen(test::makeBlockNoisePage(kSmallWidth, kSmallHeight + span), kSmallHeight,
                           {.rowsPerNotch = kSmallNotch});
}

TEST(CaptureController, ALimitSavesTheFramesKeptSoFar) {
    constexpr int64_t kWidth = kSmallWidth;
    constexpr int64_t kFiveFrames = kWidth * (kSmallHeight + 4 * kSmallNotch);
    const struct Case {
        const char* name;
        int32_t maxFrames;
        int64_t maxPixels;
        int32_t kept;
        size_t notches;  // the refused frame's notch was sent; none after a limit met
        CaptureLimit limit;
    } cases[] = {
        {"the frame limit as shipped", kMaxCaptureFrames, kMaxCapturePixels, kMaxCaptureFrames,
         kMaxCaptureFrames - 1, CaptureLimit::Frames},
        {"a lowered frame limit", 7, kMaxCapturePixels, 7, 6, CaptureLimit::Frames},
        {"two frames", 2, kMaxCapturePixels, 2, 1, CaptureLimit::Frames},
        {"exactly at the size limit", 50, kFiveFrames, 5, 4, CaptureLimit::Pixels},
        {"a pixel under it: the fifth frame would pass", 50, kFiveFrames - 1, 4, 4, CaptureLimit::Pixels},
        {"a pixel over it: the sixth frame would pass", 50, kFiveFrames + 1, 5, 5, CaptureLimit::Pixels},
        {"both limits met by one frame", 5, kFiveFrames, 5, 4, CaptureLimit::Frames},
        {"the first frame alone is past the size limit", 50, kWidth * kSmallHeight - 1, 1, 0, CaptureLimit::Pixels},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = smallScreen((c.kept + 5) * kSmallNotch);
        CaptureRequest request{s.rect, true};
        request.maxFrames = c.maxFrames;
        request.maxPixels = c.maxPixels;
        const CaptureOutcome out = runCapture(s, request);
        EXPECT_EQ(out.limit, c.limit);
        EXPECT_FALSE(out.reachedEnd);
        EXPECT_FALSE(out.finishedByUser);
        EXPECT_FALSE(out.failure.failed());
        EXPECT_EQ(out.frameCount, static_cast<size_t>(c.kept));
        EXPECT_EQ(s.notchTimes.size(), c.notches);
        EXPECT_TRUE(s.messages.empty());
        EXPECT_EQ(s.events, (std::vector<std::string>{"stitch"}));
        ASSERT_EQ(s.handedOver.size(), static_cast<size_t>(c.kept));
        EXPECT_TRUE(stitchesInto(s, s.expectedImage((c.kept - 1) * kSmallNotch)));
    }
}

TEST(CaptureController, APageThatEndsBeforeTheLimitsIsNoLimit) {
    SimulatedScreen s = smallScreen(98 * kSmallNotch);
    CaptureRequest request = s.request();
    request.maxFrames = 100;
    // Room for one frame more than the page's 99: the still probes that end
    // the page are made, and no limit is told.
    request.maxPixels = int64_t{kSmallWidth} * (kSmallHeight + 99 * kSmallNotch);
    const CaptureOutcome out = runCapture(s, request);
    EXPECT_FALSE(out.failure.failed());
    EXPECT_TRUE(out.reachedEnd);
    EXPECT_EQ(out.limit, CaptureLimit::None);
    EXPECT_EQ(s.handedOver.size(), 99u);
    EXPECT_TRUE(stitchesInto(s, s.expectedImage(98 * kSmallNotch)));
}

struct EscCase {
    const char* name;
    int32_t atNotch;
    uint32_t delayMs;
    size_t notchesSent;
    size_t keptFrames;
    int32_t stitchedSpan;
};

TEST(CaptureController, EscDropsThePendingFrameAndSavesWhatWasKept) {
    // 30 rows a notch on 240-row frames: the first notch is pending, the
    // three notches of the next probe are accepted, then four a probe.
    const std::vector<EscCase> cases = {
        {"while watching, with a pending frame", 1, 30, 4, 1, 0},
        {"while watching the first notch", 0, 100, 1, 1, 0},
        {"late in the first notch's longer watch", 0, 380, 1, 1, 0},
        {"while watching the second step", 4, 30, 8, 2, 120},
    };
    for (const EscCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = screenFor(320, 240, 1000, {.rowsPerNotch = 30});
        s.escAtNotch = c.atNotch;
        s.escDelayMs = c.delayMs;
        const CaptureOutcome out = capture(s);
        EXPECT_TRUE(out.finishedByUser);
        EXPECT_FALSE(out.reachedEnd);
        EXPECT_EQ(s.notchTimes.size(), c.notchesSent);
        EXPECT_EQ(s.handedOver.size(), c.keptFrames);
        EXPECT_TRUE(stitchesInto(s, s.expectedImage(c.stitchedSpan)));
        EXPECT_EQ(s.events, (std::vector<std::string>{"stitch"}));
    }
}

TEST(CaptureController, EscReleasedBeforeTheCaptureDoesNotStopIt) {
    SimulatedScreen s = screenFor(320, 240, 200, {.rowsPerNotch = 100});
    s.escHeld = {{100, 200}};  // pressed and released long before
    const CaptureOutcome out = capture(s);
    EXPECT_FALSE(out.finishedByUser);
    EXPECT_TRUE(out.reachedEnd);
}

TEST(CaptureController, EscHeldAtTheStartStopsAtTheFirstProbe) {
    SimulatedScreen s = screenFor(320, 240, 200, {.rowsPerNotch = 100});
    s.escHeld = {{100, 1'000'000}};
    const CaptureOutcome out = capture(s);
    EXPECT_TRUE(out.finishedByUser);
    EXPECT_TRUE(s.notchTimes.empty());
    EXPECT_EQ(s.handedOver.size(), 1u);
}

TEST(CaptureController, FinishRequestedByTheOverlayEndsTheCapture) {
    struct RequestingHost : SimulatedScreen {
        using SimulatedScreen::SimulatedScreen;
        uint32_t sendWheel(int32_t delta) override {
            if (notchTimes.size() == 1) finish.request();  // a display change during the second notch
            return SimulatedScreen::sendWheel(delta);
        }
    };
    RequestingHost s(makeDocumentPage(320, 1240, 1), 240, {.rowsPerNotch = 100});
    const CaptureOutcome out = capture(s);
    EXPECT_TRUE(out.finishedByUser);
    EXPECT_EQ(s.handedOver.size(), 2u);
    EXPECT_TRUE(stitchesInto(s, s.expectedImage(100)));
}

TEST(CaptureController, FinishRequestedBeforeTheStartIsForgotten) {
    SimulatedScreen s = screenFor(320, 240, 200, {.rowsPerNotch = 100});
    s.finish.request();  // left over from an earlier capture
    const CaptureOutcome out = capture(s);
    EXPECT_FALSE(out.finishedByUser);
    EXPECT_TRUE(out.reachedEnd);
}

// The pointer is hidden for every grab and shown again, as often as it was
// hidden, before the frames are handed over or the failure is shown: however
// the capture ends.
TEST(CaptureController, PointerIsHiddenForTheGrabsAndRestoredOnEveryEnding) {
    struct Case {
        const char* name;
        int32_t span;
        ScrollModel model;
        int32_t escAtNotch = -1;
        int32_t refuseWheelFromNotch = -1;
        int32_t initialShowCount = 0;
        const char* event = "stitch";
    } cases[] = {
        {"end of the page", 300, {.rowsPerNotch = 100}},
        {"Esc", 1000, {.rowsPerNotch = 60}, 1},
        {"lost overlap", 1200, {.notchRows = {100, 400}}, -1, -1, 0, "fail error"},
        {"refused wheel input", 1000, {.rowsPerNotch = 100}, -1, 2, 0, "fail error"},
        {"frame limit", 100 * 100, {.rowsPerNotch = 100}},
        {"pointer shown twice over", 300, {.rowsPerNotch = 100}, -1, -1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = screenFor(300, 200, c.span, c.model);
        s.escAtNotch = c.escAtNotch;
        s.escDelayMs = 100;
        s.refuseWheelFromNotch = c.refuseWheelFromNotch;
        s.cursorShowCount = c.initialShowCount;
        capture(s);
        EXPECT_GT(s.grabs, 1);
        EXPECT_EQ(s.grabsWithCursorShowing, 0);
        EXPECT_EQ(s.cursorShowCountAtEnd, c.initialShowCount);
        EXPECT_EQ(s.cursorShowCount, c.initialShowCount);
        EXPECT_EQ(s.events, std::vector<std::string>{c.event});
    }
}

TEST(CaptureController, PointerAlreadyHiddenIsLeftAlone) {
    SimulatedScreen s = screenFor(300, 200, 300, {.rowsPerNotch = 100});
    s.cursorShowCount = -1;
    capture(s);
    EXPECT_TRUE(s.stitchStarted);
    EXPECT_EQ(s.cursorShowCount, -1);
}

// Every grab is of the requested rectangle, and the wheel goes to its centre.
TEST(CaptureController, GrabsTheRequestedRectangle) {
    SimulatedScreen s = screenFor(300, 200, 300, {.rowsPerNotch = 100});
    const Rect requested{s.rect.left + 10, s.rect.top + 20, s.rect.right - 30, s.rect.bottom - 4};
    runCapture(s, CaptureRequest{requested, true});
    ASSERT_TRUE(s.stitchStarted);
    EXPECT_EQ(s.grabbedRects, std::vector<Rect>(static_cast<size_t>(s.grabs), requested));
    EXPECT_EQ(s.position(), s.maxPosition());
}

// The overlay's count and height follow every kept frame, up to the frames
// handed over.
TEST(CaptureController, PublishesTheProgressOfEveryKeptFrame) {
    SimulatedScreen s = screenFor(300, 200, 700, {.rowsPerNotch = 100});
    capture(s);
    ASSERT_TRUE(s.stitchStarted);
    std::vector<CaptureProgress> expected;
    for (uint32_t n = 1; n <= s.handedOver.size(); ++n) expected.push_back({n, int64_t{n} * 200});
    EXPECT_EQ(s.published, expected);
}

// Under a fixed 30-row header on 260-row frames the matcher skips only 26
// rows at the top, and the true overlap scored 18.6 to 26.3 on these pages
// (accept limit 18): each notch was taken for a lost overlap.
TEST(CaptureController, FixedHeaderTallerThanATenthOfTheFrame) {
    for (uint32_t seed : {5u, 7u, 11u}) {
        SCOPED_TRACE(seed);
        SimulatedScreen s = screenFor(360, 260, 700, {.rowsPerNotch = 100, .headerRows = 30, .footerRows = 24}, seed);
        const CaptureOutcome out = capture(s);
        EXPECT_TRUE(out.reachedEnd);
        EXPECT_TRUE(stitchesInto(s, s.expectedImage(s.maxPosition())));
    }
}

// --- grabs that moved by fewer than 8 rows ---

TEST(CaptureController, FinalNotchOfAFewRowsKeepsTheLastRows) {
    for (int32_t last : {1, 3, 7})
        for (bool bands : {false, true}) {
            SCOPED_TRACE(testing::Message() << last << " rows, bands " << bands);
            ScrollModel model{.notchRows = {100, 100, last}};
            if (bands) {
                model.headerRows = 30;
                model.footerRows = 22;
            }
            SimulatedScreen s = screenFor(360, 260, 200 + last, model, 5);
            const CaptureOutcome out = capture(s);
            EXPECT_TRUE(out.reachedEnd);
            EXPECT_FALSE(out.failure.failed());
            // The small motion is pending, then kept when the page has ended.
            ASSERT_EQ(actions(s), (std::vector<int>{kAccept, kAccept, kKeep, kNoMotion, kNoMotion, kNoMotion}));
            EXPECT_EQ(s.probes[2].overlap, 260 - last);
            ASSERT_EQ(s.handedOver.size(), 4u);
            // Every row of the page, none twice.
            EXPECT_TRUE(stitchesInto(s, s.expectedImage(200 + last)));
        }
}

// Pages that move fewer than 8 rows with every notch: the grabs are kept as
// pending motion, each step ends with its furthest grab, and the image holds
// the whole page. (The sparse still test alone takes a 1-row move for none.)
TEST(CaptureController, PageMovingAFewRowsEveryNotchIsCapturedFully) {
    for (int32_t rows : {1, 2, 5, 7}) {
        SCOPED_TRACE(rows);
        SimulatedScreen s = screenFor(300, 240, 150, {.rowsPerNotch = rows}, 5);
        const CaptureOutcome out = capture(s);
        EXPECT_TRUE(out.reachedEnd);
        EXPECT_FALSE(out.failure.failed());
        EXPECT_EQ(s.position(), s.maxPosition());
        EXPECT_TRUE(stitchesInto(s, s.expectedImage(150)));
    }
}

// ... in steps of many notches once one notch was measured, to its end.
TEST(CaptureController, PageMovingOneRowEveryNotchIsCapturedInBigSteps) {
    SimulatedScreen s = screenFor(100, 240, 3000, {.rowsPerNotch = 1}, 5);
    const CaptureOutcome out = capture(s);
    ASSERT_GT(s.inputsPerProbe.size(), 2u);
    EXPECT_EQ(s.inputsPerProbe[1], kMaxInputsPerProbe);
    EXPECT_TRUE(out.reachedEnd);
    EXPECT_TRUE(stitchesInto(s, s.expectedImage(3000)));
}

}  // namespace
}  // namespace tf
