// The shared verdict must judge the automatic loop's grabs exactly as the loop
// does: every probe of a run is judged again from the same grab and the same
// basis, rebuilt from the run's own records.

#include <gtest/gtest.h>

#include <vector>

#include "core/capture/capture_controller.h"
#include "core/capture/capture_pacing.h"
#include "core/capture/probe_verdict.h"
#include "simulated_screen.h"
#include "test_support.h"

namespace tf {
namespace {

using test::makeDocumentPage;
using test::ScrollModel;
using test::SimulatedScreen;

// Keeps the grab each verdict was made on: the last one before the verdict.
struct RecordingScreen : SimulatedScreen {
    using SimulatedScreen::SimulatedScreen;
    PixelImage first;
    PixelImage latest;
    std::vector<PixelImage> judged;
    PixelImage grab(const Rect& rect) override {
        latest = SimulatedScreen::grab(rect);
        if (grabs == 1) first = latest;
        return latest;
    }
    void probeClassified(const ProbeRecord& r) override {
        SimulatedScreen::probeClassified(r);
        judged.push_back(latest);
    }
};

struct Scenario {
    const char* name;
    int32_t frameHeight;
    int32_t span;
    ScrollModel model;
};

TEST(ProbeVerdict, JudgesTheAutomaticLoopsGrabsAsTheLoopDid) {
    const std::vector<Scenario> scenarios = {
        {"accept every notch", 240, 500, {.rowsPerNotch = 100}},
        {"pending frames, kept at the end", 240, 200, {.rowsPerNotch = 30}},
        {"probes run out", 640, 306, {.rowsPerNotch = 9}},
        {"smooth scrolling past the wait", 240, 500, {.rowsPerNotch = 100, .animationMs = 520}},
        {"late content and bands", 260, 500,
         {.rowsPerNotch = 110, .animationMs = 400, .lateContentMs = 350, .headerRows = 28, .footerRows = 20}},
        {"last notch of a few rows", 260, 203, {.notchRows = {100, 100, 3}, .headerRows = 30, .footerRows = 22}},
        {"lost overlap", 240, 1200, {.notchRows = {100, 400}}},
    };
    for (const Scenario& c : scenarios) {
        SCOPED_TRACE(c.name);
        const int32_t viewRows = c.frameHeight - c.model.headerRows - c.model.footerRows;
        RecordingScreen s(makeDocumentPage(200, viewRows + c.span, 5), c.frameHeight, c.model);
        const CaptureOutcome out = runCapture(s, CaptureRequest{s.rect, true});
        ASSERT_EQ(s.judged.size(), s.probes.size());
        ASSERT_FALSE(s.probes.empty());

        std::vector<PixelImage> frames{s.first};
        PixelImage pending;
        bool hasPending = false;
        int32_t pendingOverlap = 0;
        int32_t stepMotion = 0;
        StepPlanner planner;  // the motion the loop expected of each probe's inputs
        int32_t step = 1;
        bool added = false;
        for (size_t i = 0; i < s.probes.size(); ++i) {
            const ProbeRecord& r = s.probes[i];
            SCOPED_TRACE(testing::Message() << "step " << r.step << " probe " << r.probe);
            if (r.step != step) {
                // Probes ran out: the loop kept the furthest pending frame.
                if (!added && hasPending) frames.push_back(pending);
                hasPending = false;
                added = false;
                step = r.step;
            }
            const int32_t inputs = s.inputsPerProbe[i];
            const int32_t expectedMotion = planner.expectedRows(inputs) > 0 ? planner.expectedRows(inputs) : stepMotion;
            const ProbeVerdict v = classifyProbe(
                {frames.back(), hasPending ? &pending : nullptr, pendingOverlap, expectedMotion}, s.judged[i]);
            const bool moved = v.action == CaptureAction::KeepScrolling || v.action == CaptureAction::AcceptFrame;
            planner.observe(inputs, moved ? (hasPending ? pendingOverlap : frames.back().height) - v.overlap : 0);
            EXPECT_EQ(v.action, r.action);
            EXPECT_EQ(v.overlap, r.overlap);
            EXPECT_EQ(v.score, r.score);
            EXPECT_EQ(v.expected, r.expected);
            stepMotion = v.stepMotion;
            if (r.action == CaptureAction::KeepScrolling) {
                pending = s.judged[i];
                hasPending = true;
                pendingOverlap = r.overlap;
            } else if (r.action == CaptureAction::AcceptFrame) {
                frames.push_back(s.judged[i]);
                added = true;
            }
        }
        if (out.reachedEnd && hasPending) frames.push_back(pending);
        if (out.failure.failed()) continue;
        ASSERT_EQ(frames.size(), s.handedOver.size());
        for (size_t i = 0; i < frames.size(); ++i) EXPECT_TRUE(test::imagesEqual(s.handedOver[i], frames[i])) << i;
    }
}

TEST(ProbeVerdict, MotionIsMeasuredFromThePendingFrameAndNeverShrinks) {
    const PixelImage page = makeDocumentPage(300, 240 + 300, 4);
    const PixelImage last = test::cropRows(page, 0, 240);
    const PixelImage pending = test::cropRows(page, 40, 240);
    // 40 rows beyond a pending frame at 40: 40 rows a probe, expected 200 - 40.
    ProbeVerdict v = classifyProbe({last, &pending, 200, 40}, test::cropRows(page, 80, 240));
    EXPECT_EQ(v.action, CaptureAction::KeepScrolling);
    EXPECT_EQ(v.overlap, 160);
    EXPECT_EQ(v.expected, 160);
    EXPECT_EQ(v.stepMotion, 40);
    // 110 rows on from the last frame with nothing pending: accepted, motion 110.
    v = classifyProbe({last, nullptr, 0, 40}, test::cropRows(page, 110, 240));
    EXPECT_EQ(v.action, CaptureAction::AcceptFrame);
    EXPECT_EQ(v.overlap, 130);
    EXPECT_EQ(v.stepMotion, 110);
    // A grab above the pending frame moved back: the measured motion stays.
    v = classifyProbe({last, &pending, 200, 40}, test::cropRows(page, 20, 240));
    EXPECT_EQ(v.action, CaptureAction::KeepScrolling);
    EXPECT_EQ(v.overlap, 220);
    EXPECT_EQ(v.stepMotion, 40);
    // Unchanged from the pending frame: no motion, yet the matcher was asked.
    v = classifyProbe({last, &pending, 200, 40}, pending);
    EXPECT_EQ(v.action, CaptureAction::NoMotion);
    EXPECT_EQ(v.overlap, 200);
    // A picture the matcher cannot place below the last frame.
    v = classifyProbe({last, nullptr, 0, 0}, test::cropRows(page, 260, 240));
    EXPECT_EQ(v.action, CaptureAction::LostOverlap);
    EXPECT_FALSE(v.score <= kAcceptScore);
}

// Shifts under the matcher's reach are measured from the furthest grab of the
// step and count as motion; a grab back near the last kept frame does not.
TEST(ProbeVerdict, ShiftsOfAFewRowsAreMotionPastTheFurthestGrab) {
    const PixelImage page = makeDocumentPage(300, 240 + 300, 4);
    const PixelImage last = test::cropRows(page, 0, 240);
    const PixelImage pending = test::cropRows(page, 40, 240);
    struct Case {
        const char* name;
        bool withPending;
        int32_t candidateTop;
        CaptureAction action;
        int32_t overlap;
        int32_t smallShift;
    } cases[] = {
        {"3 rows past the last frame", false, 3, CaptureAction::KeepScrolling, 237, 3},
        {"7 rows past the last frame", false, 7, CaptureAction::KeepScrolling, 233, 7},
        {"3 rows past the pending frame", true, 43, CaptureAction::KeepScrolling, 197, 3},
        {"back within a few rows of the last frame", true, 3, CaptureAction::NoMotion, 0, 0},
        {"back at the last frame", true, 0, CaptureAction::NoMotion, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProbeVerdict v = classifyProbe({last, c.withPending ? &pending : nullptr, c.withPending ? 200 : 0, 40},
                                             test::cropRows(page, c.candidateTop, 240));
        EXPECT_EQ(v.action, c.action);
        EXPECT_EQ(v.smallShift, c.smallShift);
        if (c.smallShift > 0) {
            EXPECT_EQ(v.overlap, c.overlap);
            EXPECT_EQ(v.score, 0.0);
        }
    }
}

}  // namespace
}  // namespace tf
