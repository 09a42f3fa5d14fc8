// The manual capture loop against a simulated page that a scripted person
// scrolls by hand.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/capture/capture_rules.h"
#include "core/capture/manual_capture.h"
#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "scripted_person.h"
#include "simulated_screen.h"
#include "core/stitch/composer.h"
#include "test_support.h"

namespace tf {
namespace {

using test::FinishKey;
using test::makeDocumentPage;
using test::ManualRun;
using test::runManual;
using test::Script;
using test::ScrollModel;
using test::SimulatedScreen;
using test::steady;

SimulatedScreen screenFor(int32_t width, int32_t frameHeight, int32_t span, ScrollModel model, uint32_t seed = 1) {
    const int32_t viewRows = frameHeight - model.headerRows - model.footerRows;
    return SimulatedScreen(makeDocumentPage(width, viewRows + span, seed), frameHeight, model);
}

// Notches of `rows` every `everyMs` until well past the end, then the key.
Script scrollToTheEnd(int32_t span, int32_t rows, uint64_t everyMs, uint64_t finishAfterMs = 1500) {
    const int32_t count = span / rows + 3;
    return Script{steady(200, everyMs, count, rows), 200 + count * everyMs + finishAfterMs, FinishKey::Esc};
}

// The person scrolls as the automatic loop did: each of its probes' notches
// at once (they were sent at the same moment), one probe every 400 ms.
Script replayOf(const SimulatedScreen& automatic, int32_t rows) {
    std::vector<test::Scroll> scrolls;
    for (size_t i = 0; i < automatic.notchTimes.size(); ++i) {
        if (i > 0 && automatic.notchTimes[i] == automatic.notchTimes[i - 1]) {
            scrolls.back().rows += rows;
        } else {
            scrolls.push_back({200 + scrolls.size() * 400, rows});
        }
    }
    return Script{scrolls, 200 + scrolls.size() * 400 + 1500, FinishKey::Esc};
}

TEST(ManualCapture, SameMotionKeepsTheSameFramesAsTheAutomaticLoop) {
    for (int32_t rows : {100, 84, 60, 30}) {
        SCOPED_TRACE(rows);
        SimulatedScreen automatic = screenFor(320, 240, 500, {.rowsPerNotch = rows}, 3);
        runCapture(automatic, CaptureRequest{automatic.rect, true});
        ASSERT_TRUE(automatic.stitchStarted);

        SimulatedScreen manual = screenFor(320, 240, 500, {.rowsPerNotch = rows}, 3);
        const ManualRun run = runManual(manual, replayOf(automatic, rows));
        EXPECT_EQ(run.outcome.end, ManualCaptureEnd::Finished);
        EXPECT_TRUE(test::sentNoInput(manual));
        ASSERT_EQ(manual.handedOver.size(), automatic.handedOver.size());
        for (size_t i = 0; i < manual.handedOver.size(); ++i)
            EXPECT_TRUE(test::imagesEqual(automatic.handedOver[i], manual.handedOver[i])) << "frame " << i;
    }
}

struct PageCase {
    const char* name;
    int32_t frameHeight;
    int32_t span;
    ScrollModel model;
    uint64_t everyMs = 350;
};

TEST(ManualCapture, FollowsSteadyScrollingOnPagesOfEveryKind) {
    const std::vector<PageCase> cases = {
        {"plain", 240, 700, {.rowsPerNotch = 100}},
        {"smooth scrolling", 240, 700, {.rowsPerNotch = 100, .animationMs = 250}},
        {"smooth scrolling that never rests", 240, 700, {.rowsPerNotch = 60, .animationMs = 520}},
        // Content that paints late is judged unpainted once the picture has
        // rested; the painted picture then takes the kept frame's place,
        // provided the person rests there until it paints.
        {"late content", 240, 700, {.rowsPerNotch = 100, .lateContentMs = 340}, 700},
        {"fixed header and footer", 260, 700, {.rowsPerNotch = 100, .headerRows = 30, .footerRows = 24}},
        {"everything", 260, 900,
         {.rowsPerNotch = 110, .animationMs = 400, .lateContentMs = 350, .headerRows = 28, .footerRows = 20}, 900},
        {"end in the middle of a notch", 240, 650, {.rowsPerNotch = 100}},
        {"fast steady wheel", 400, 1200, {.rowsPerNotch = 40, .animationMs = 120}, 90},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = screenFor(360, c.frameHeight, c.span, c.model, 5);
        const ManualRun run = runManual(s, scrollToTheEnd(c.span, c.model.rowsPerNotch, c.everyMs));
        EXPECT_EQ(run.outcome.end, ManualCaptureEnd::Finished);
        EXPECT_FALSE(run.warned);
        EXPECT_TRUE(test::sentNoInput(s));
        int32_t span = 0;
        EXPECT_TRUE(test::stitchIntoPageTop(s, c.frameHeight, span));
        EXPECT_EQ(span, s.maxPosition());
    }
}

TEST(ManualCapture, PaintedPictureTakesTheUnpaintedKeptFramesPlace) {
    test::ScratchDir dumps;
    SimulatedScreen s = screenFor(320, 240, 500, {.lateContentMs = 340}, 7);
    s.logFolder = dumps.path();
    const ManualRun run = runManual(s, Script{steady(200, 1000, 6, 100), 200 + 6 * 1000 + 500});
    EXPECT_FALSE(run.warned);
    // Each notch: the unpainted picture is kept, then replaced once painted.
    size_t replaced = 0;
    for (size_t i = 1; i < s.probes.size(); ++i)
        if (s.probes[i - 1].action == CaptureAction::AcceptFrame && s.probes[i].action == CaptureAction::NoMotion)
            ++replaced;
    EXPECT_EQ(replaced, 5u);
    int32_t span = 0;
    EXPECT_TRUE(test::stitchIntoPageTop(s, 240, span));
    EXPECT_EQ(span, 500);
    const std::vector<std::filesystem::path> files = listFrameFiles(dumps.path());
    ASSERT_EQ(files.size(), s.handedOver.size());
    EXPECT_TRUE(test::imagesEqual(s.handedOver.back(), loadPng(files.back())));
}

// Bursts of one to six notches a few milliseconds apart, then pauses of
// irregular length: several notches land between two grabs.
TEST(ManualCapture, BurstsFasterThanAGrabStitchExactly) {
    const std::vector<int32_t> bursts = {1, 6, 2, 5, 3, 1, 4, 6, 2, 6, 6, 3, 5, 1, 6, 4, 2, 6};
    const std::vector<uint64_t> pauses = {300, 900, 150, 1600, 450, 700, 1200, 250, 2000};
    for (uint32_t animationMs : {0u, 200u}) {
        SCOPED_TRACE(animationMs);
        SimulatedScreen s = screenFor(240, 600, 2400, {.animationMs = animationMs}, 9);
        Script script;
        uint64_t t = 200;
        for (size_t i = 0; i < bursts.size(); ++i) {
            for (int32_t n = 0; n < bursts[i]; ++n) script.scrolls.push_back({t + 12u * static_cast<uint32_t>(n), 40});
            t += pauses[i % pauses.size()];
        }
        script.finishAtMs = t + 1500;
        const ManualRun run = runManual(s, script);
        EXPECT_FALSE(run.warned);
        int32_t span = 0;
        EXPECT_TRUE(test::stitchIntoPageTop(s, 600, span));
        EXPECT_EQ(span, s.maxPosition());
    }
}

struct TooFarCase {
    const char* name;
    std::vector<test::Scroll> scrolls;
    bool warns;
};

// The scrolls of a case, then `count` moves of `rows` every 400 ms from
// `fromMs`, and Esc 1.5 s after the last.
Script thenSteadilyOn(const std::vector<test::Scroll>& first, uint64_t fromMs, int32_t count, int32_t rows) {
    Script script{first, fromMs + static_cast<uint64_t>(count) * 400 + 1500, FinishKey::Esc};
    test::appendTo(script.scrolls, steady(fromMs, 400, count, rows));
    return script;
}

TEST(ManualCapture, TooFarWarnsAndTheCaptureGoesOnOnceItOverlapsAgain) {
    // 240-row frames: a 300-row burst leaves no overlap with the frame before.
    const std::vector<TooFarCase> cases = {
        {"burst from a kept frame, then back up", {{200, 100}, {800, 150}, {815, 150}, {1800, -160}}, true},
        {"burst from a pending frame, then back up", {{200, 30}, {800, 150}, {815, 150}, {1800, -160}}, true},
        {"burst that the pending frame still reaches", {{200, 60}, {800, 80}, {815, 80}}, false},
        {"two bursts, scrolled back twice", {{200, 300}, {1000, -200}, {2000, 350}, {3000, -250}}, true},
        // A third of a frame that agrees exactly is a join; a sliver of 55
        // rows is too little to be sure of and asks to scroll back.
        {"a third of a frame left overlapping", {{200, 100}, {800, 160}, {1800, -100}}, false},
        {"a sliver left overlapping", {{200, 100}, {800, 185}, {1800, -100}}, true},
    };
    for (const TooFarCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = screenFor(320, 240, 1100, {}, 4);
        const ManualRun run = runManual(s, thenSteadilyOn(c.scrolls, 4000, 12, 100));
        EXPECT_EQ(run.warned, c.warns);
        EXPECT_EQ(run.ticks.back().strip, ManualStrip::Following);
        int32_t span = 0;
        EXPECT_TRUE(test::stitchIntoPageTop(s, 240, span));
        EXPECT_EQ(span, s.maxPosition());
    }
}

TEST(ManualCapture, WarningShowsWhileTooFarAndAsksForARedrawBothWays) {
    SimulatedScreen s = screenFor(320, 240, 900, {}, 4);
    const ManualRun run = runManual(s, Script{{{200, 400}, {1500, -250}}, 2500, FinishKey::Esc});
    std::vector<ManualStrip> changes;
    for (const ManualTick& t : run.ticks)
        if (t.redraw && (changes.empty() || changes.back() != t.strip)) changes.push_back(t.strip);
    EXPECT_EQ(changes, (std::vector<ManualStrip>{ManualStrip::Following, ManualStrip::ScrolledTooFar,
                                                 ManualStrip::Following}));
    // Too far, nothing was kept; back in reach, the picture 150 rows down is.
    EXPECT_EQ(s.handedOver.size(), 2u);
}

TEST(ManualCapture, EscWhileTooFarSavesWhatWasKept) {
    // 60 rows (pending), a burst of 400, then Esc with the warning showing.
    SimulatedScreen s = screenFor(320, 240, 900, {}, 4);
    const ManualRun run = runManual(s, Script{{{200, 60}, {800, 200}, {810, 200}}, 1500, FinishKey::Esc});
    EXPECT_TRUE(run.warned);
    EXPECT_EQ(run.outcome.end, ManualCaptureEnd::Finished);
    int32_t span = 0;
    EXPECT_TRUE(test::stitchIntoPageTop(s, 240, span));
    EXPECT_EQ(span, 60);
}

TEST(ManualCapture, ScrollingUpIsIgnored) {
    const std::vector<TooFarCase> cases = {
        {"a few rows up and down again", {{200, 100}, {600, 100}, {1000, -5}, {1400, 5}}, false},
        {"up between the last two frames", {{200, 100}, {600, 100}, {1000, -60}}, false},
        {"up past the last frame", {{200, 100}, {600, 100}, {1000, -180}}, false},
        {"up to the top, above the frame before the last", {{200, 100}, {600, 100}, {1000, -200}, {1400, -80}}, false},
        {"up from a pending frame", {{200, 100}, {600, 40}, {1000, -20}}, false},
    };
    for (const TooFarCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = screenFor(320, 240, 800, {}, 6);
        // Then to the end in moves that never leave the pending frame behind,
        // so that any lost overlap would be the upward scroll's.
        const ManualRun run = runManual(s, thenSteadilyOn(c.scrolls, 2500, 20, 60));
        EXPECT_FALSE(run.warned);
        int32_t span = 0;
        EXPECT_TRUE(test::stitchIntoPageTop(s, 240, span));
        EXPECT_EQ(span, s.maxPosition());
        for (const ProbeRecord& p : s.probes) EXPECT_NE(p.action, CaptureAction::LostOverlap);
    }
}

TEST(ManualCapture, PausedPendingFrameIsKept) {
    struct Case {
        uint64_t pauseMs;
        size_t frames;
    };
    // Four moves of 30 rows (each within 65 % of the frame): kept one by one
    // when the person pauses at each, else only the one at 90 rows and the
    // last at 120 when the capture is finished.
    for (const Case& c : {Case{1600, 5}, Case{300, 3}}) {
        SCOPED_TRACE(c.pauseMs);
        SimulatedScreen s = screenFor(320, 240, 120, {}, 2);
        const ManualRun run = runManual(s, Script{steady(200, c.pauseMs, 4, 30), 200 + 4 * c.pauseMs + 200});
        EXPECT_EQ(s.handedOver.size(), c.frames);
        int32_t span = 0;
        EXPECT_TRUE(test::stitchIntoPageTop(s, 240, span));
        EXPECT_EQ(span, 120);
    }
}

TEST(ManualCapture, PageThatEndsKeepsItsEndAndStopsJudging) {
    SimulatedScreen s = screenFor(320, 240, 450, {.animationMs = 200}, 8);
    // Thirty notches on a page that ends after five.
    const ManualRun run = runManual(s, Script{steady(200, 300, 30, 100), 200 + 30 * 300 + 3000});
    int32_t span = 0;
    EXPECT_TRUE(test::stitchIntoPageTop(s, 240, span));
    EXPECT_EQ(span, 450);
    // A picture that stands still is judged once, not on every tick.
    EXPECT_LE(run.outcome.verdicts, 12);
    EXPECT_GT(run.outcome.grabs, 200);
}

TEST(ManualCapture, StandingStillGrabsButJudgesNothing) {
    SimulatedScreen s = screenFor(320, 240, 450, {}, 8);
    const ManualRun run = runManual(s, Script{{}, 5000, FinishKey::Enter});
    EXPECT_EQ(run.outcome.end, ManualCaptureEnd::Finished);
    EXPECT_EQ(run.outcome.verdicts, 0);
    EXPECT_TRUE(s.probes.empty());
    EXPECT_EQ(run.outcome.grabs, static_cast<int32_t>(run.ticks.size()));  // the first frame and one per tick
    EXPECT_EQ(s.handedOver.size(), 1u);
    EXPECT_TRUE(test::sentNoInput(s));
}

TEST(ManualCapture, EscOrEnterAtAnyMomentSavesWhatWasReached) {
    // Smooth scrolling with late content, a notch every 330 ms: moments in the
    // middle of motion, at rest, in a pause and before anything moved.
    const ScrollModel model{.animationMs = 180, .lateContentMs = 120};
    std::vector<test::Scroll> scrolls = steady(300, 330, 6, 70);
    test::appendTo(scrolls, steady(3500, 330, 6, 70));
    const std::vector<uint64_t> moments = {0, 100, 320, 350, 420, 700, 990, 1100, 1500, 2400, 3520, 4000, 5600};
    for (size_t i = 0; i < moments.size(); ++i) {
        const uint64_t at = moments[i];
        const FinishKey key = i % 2 == 0 ? FinishKey::Esc : FinishKey::Enter;
        {
            SCOPED_TRACE(testing::Message() << at << (key == FinishKey::Esc ? " Esc" : " Enter"));
            SimulatedScreen s = screenFor(320, 240, 1200, model, 10);
            const ManualRun run = runManual(s, Script{scrolls, at, key});
            EXPECT_EQ(run.outcome.end, ManualCaptureEnd::Finished);
            EXPECT_EQ(s.events, (std::vector<std::string>{"stitch"}));
            int32_t span = 0;
            EXPECT_TRUE(test::stitchIntoPageTop(s, 240, span));
            EXPECT_LE(span, run.positionAtFinish);
            EXPECT_GE(span, run.positionAtFinish - 80);  // at most the motion still under way
        }
    }
}

TEST(ManualCapture, KeysBeforeTheStartAreForgottenAndAHeldKeyFinishes) {
    struct Case {
        const char* name;
        std::pair<uint64_t, uint64_t> esc;
        bool finishesAtOnce;
    };
    for (const Case& c : {Case{"pressed and released before", {100, 200}, false},
                          Case{"held through the start", {100, 1'000'000}, true}}) {
        SCOPED_TRACE(c.name);
        SimulatedScreen s = screenFor(320, 240, 300, {}, 1);
        s.escHeld = {c.esc};
        ManualCapture capture(s, CaptureRequest{s.rect, true});
        EXPECT_TRUE(capture.start().running);
        s.advance(50);
        EXPECT_EQ(capture.tick().running, !c.finishesAtOnce);
    }
}

TEST(ManualCapture, FinishRequestedByTheOverlayEndsWithoutAnotherGrab) {
    SimulatedScreen s = screenFor(320, 240, 300, {}, 1);
    ManualCapture capture(s, CaptureRequest{s.rect, true});
    capture.start();
    s.finish.request();
    const int32_t grabs = s.grabs;
    EXPECT_FALSE(capture.tick().running);
    EXPECT_EQ(s.grabs, grabs);
    EXPECT_TRUE(s.stitchStarted);
    EXPECT_FALSE(capture.tick().running);  // nothing more happens
    EXPECT_EQ(s.events, (std::vector<std::string>{"stitch"}));
}

// A limit ends a manual capture as Esc does: the frames kept are saved,
// the page stitched down to the last of them, without a message. Small
// frames (96 x 64, 32 rows a scroll) keep the long case cheap.
TEST(ManualCapture, ALimitSavesTheFramesKeptSoFar) {
    constexpr int64_t kFiveFrames = 96 * (64 + 4 * 32);
    const struct Case {
        int32_t maxFrames;
        int64_t maxPixels;
        int32_t kept;
        CaptureLimit limit;
    } cases[] = {
        {kMaxCaptureFrames, kMaxCapturePixels, kMaxCaptureFrames, CaptureLimit::Frames},
        {9, kMaxCapturePixels, 9, CaptureLimit::Frames},
        {50, kFiveFrames, 5, CaptureLimit::Pixels},
        {50, kFiveFrames - 1, 4, CaptureLimit::Pixels},
        {5, kFiveFrames, 5, CaptureLimit::Frames},
    };
    for (const Case& c : cases) {
        const int32_t limit = c.kept;
        SCOPED_TRACE(testing::Message() << c.maxFrames << " frames, " << c.maxPixels << " pixels");
        const int32_t scrolls = limit + 20;
        SimulatedScreen s(test::makeBlockNoisePage(96, 64 + scrolls * 32, 2), 64, {});
        // The run's time bound leaves room for every scroll of the script.
        const uint64_t scriptMs = static_cast<uint64_t>(200 + scrolls * 250 + 1000);
        const ManualRun run = runManual(s, Script{steady(200, 250, scrolls, 32), scriptMs}, UiLanguage::English,
                                        scriptMs + 1000, ScrollDirection::Down, c.maxFrames, c.maxPixels);
        EXPECT_EQ(run.outcome.end, ManualCaptureEnd::AtLimit);
        EXPECT_EQ(run.outcome.limit, c.limit);
        EXPECT_EQ(run.outcome.frameCount, static_cast<size_t>(limit));
        EXPECT_EQ(s.events, (std::vector<std::string>{"stitch"}));
        EXPECT_TRUE(s.failures.empty());
        EXPECT_TRUE(s.messages.empty());
        EXPECT_FALSE(run.ticks.back().running);
        ASSERT_EQ(s.handedOver.size(), static_cast<size_t>(limit));
        // Every scroll moved a kept frame's worth: the image ends at the last.
        EXPECT_TRUE(test::imagesEqual(s.expectedImage((limit - 1) * 32), composeFrames(s.handedOver)));
    }
}

TEST(ManualCapture, DoesNotStartWithoutAValidRectangle) {
    SimulatedScreen s = screenFor(200, 120, 300, {});
    ManualCapture capture(s, s.request(ScrollDirection::Down, false));
    EXPECT_FALSE(capture.start().running);
    EXPECT_FALSE(capture.tick().running);
    EXPECT_EQ(capture.outcome().end, ManualCaptureEnd::NotStarted);
    EXPECT_EQ(s.grabs, 0);
    EXPECT_TRUE(s.events.empty());
}

std::vector<std::string> logLines(const std::filesystem::path& folder) {
    const std::string text = test::readFile(folder / "capture.log.txt");
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Down, too far, back, up a little, and on to the end.
Script tooFarAndBack() {
    Script script{{{200, 100}, {600, 40}, {1000, 300}, {1800, -200}, {2600, -50}}, 0, FinishKey::Esc};
    test::appendTo(script.scrolls, steady(3200, 400, 10, 100));
    script.finishAtMs = 3200 + 10 * 400 + 1500;
    return script;
}

// The overlay hears of every kept frame and every change of the strip
// through the host, each once.
TEST(ManualCapture, PublishesEveryKeptFrameAndEveryChangeOfTheStrip) {
    SimulatedScreen s = screenFor(320, 240, 900, {.animationMs = 150}, 12);
    const ManualRun run = runManual(s, tooFarAndBack());
    ASSERT_TRUE(run.warned);
    ASSERT_TRUE(s.stitchStarted);
    ASSERT_FALSE(s.published.empty());
    EXPECT_EQ(s.published.front(), (CaptureProgress{1, 240, ManualStrip::Following}));
    bool warned = false;
    for (size_t i = 1; i < s.published.size(); ++i) {
        const CaptureProgress& before = s.published[i - 1];
        const CaptureProgress& now = s.published[i];
        SCOPED_TRACE(i);
        EXPECT_NE(now, before);
        EXPECT_TRUE(now.frameCount == before.frameCount || now.frameCount == before.frameCount + 1);
        EXPECT_EQ(now.heightPx, int64_t{now.frameCount} * 240);
        warned |= now.strip == ManualStrip::ScrolledTooFar;
    }
    EXPECT_TRUE(warned);
    EXPECT_EQ(s.published.back().frameCount, s.handedOver.size());
    EXPECT_EQ(s.published.back().strip, run.ticks.back().strip);
}

TEST(ManualCapture, GrabsTheRequestedRectangleOnly) {
    SimulatedScreen s = screenFor(320, 240, 300, {}, 1);
    const Rect requested{s.rect.left + 8, s.rect.top, s.rect.right, s.rect.bottom - 16};
    ManualCapture capture(s, CaptureRequest{requested, true});
    capture.start();
    for (int i = 0; i < 4; ++i) {
        s.advance(50);
        capture.tick();
    }
    ASSERT_EQ(s.grabs, 5);
    EXPECT_EQ(s.grabbedRects, std::vector<Rect>(5, requested));
}

TEST(ManualCapture, FinishRequestedBeforeTheStartIsForgotten) {
    SimulatedScreen s = screenFor(320, 240, 300, {}, 1);
    s.finish.request();  // left over from an earlier capture
    ManualCapture capture(s, CaptureRequest{s.rect, true});
    EXPECT_TRUE(capture.start().running);
    s.advance(50);
    EXPECT_TRUE(capture.tick().running);
}

TEST(ManualCapture, LoggedCaptureStitchesOfflineIntoTheSameImage) {
    test::ScratchDir frames;
    test::ScratchDir out;
    SimulatedScreen s = screenFor(320, 240, 900, {.animationMs = 150}, 12);
    s.logFolder = frames.path();
    const ManualRun run = runManual(s, tooFarAndBack());
    ASSERT_TRUE(run.warned);
    ASSERT_TRUE(s.stitchStarted);

    // The dumps are the kept frames, in order.
    const std::vector<std::filesystem::path> dumps = listFrameFiles(frames.path());
    ASSERT_EQ(dumps.size(), s.handedOver.size());
    EXPECT_EQ(dumps.front().filename(), "0000-initial.png");
    for (size_t i = 0; i < dumps.size(); ++i) EXPECT_TRUE(test::imagesEqual(s.handedOver[i], loadPng(dumps[i])));
    ASSERT_EQ(runOfflineStitch(frames.path(), out / "long.png"), 0);
    EXPECT_TRUE(test::imagesEqual(composeFrames(s.handedOver), loadPng(out / "long.png")));

    const std::vector<std::string> lines = logLines(frames.path());
    ASSERT_EQ(lines.size(), s.probes.size() + 2);
    EXPECT_EQ(lines.front(), "wheelScrollLines=3 wheelDelta=0 scrollMethod=person");
    EXPECT_EQ(lines.back(),
              "acceptedFrames=" + std::to_string(s.handedOver.size()) + " reachedEnd=0 finishRequested=1 error=");
    bool lostLogged = false;
    for (const std::string& line : lines) lostLogged |= line.find(" action=3 ") != std::string::npos;
    EXPECT_TRUE(lostLogged);
}

}  // namespace
}  // namespace tf
