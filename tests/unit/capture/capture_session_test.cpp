// The start, the progress and the ending that both capture loops share.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/capture/capture_session.h"
#include "simulated_screen.h"
#include "test_support.h"

namespace tf {
namespace {

using test::makeDocumentPage;
using test::SimulatedScreen;

SimulatedScreen stillScreen() { return SimulatedScreen(makeDocumentPage(200, 120, 1), 120, {}); }

TEST(CaptureSession, BeginsOnlyWithAValidRectangle) {
    for (const bool rectValid : {true, false}) {
        SCOPED_TRACE(rectValid);
        SimulatedScreen s = stillScreen();
        s.finish.request();
        CaptureSession session(s, s.request(ScrollDirection::Down, rectValid));
        EXPECT_EQ(session.begin(), rectValid);
        // A session that did not begin leaves an earlier finish request alone.
        EXPECT_EQ(s.finish.requested(), !rectValid);
        EXPECT_EQ(s.grabs, 0);
        EXPECT_EQ(s.logFolderRequests, 0);
    }
}

TEST(CaptureSession, WheelSettingThatCannotBeReadCountsAsThreeLines) {
    for (bool readable : {true, false}) {
        SCOPED_TRACE(readable);
        SimulatedScreen s = stillScreen();
        s.wheelLines = 7;
        s.wheelLinesReadable = readable;
        CaptureSession session(s, s.request());
        ASSERT_TRUE(session.begin());
        EXPECT_EQ(session.wheelScrollLines(), readable ? 7u : 3u);
    }
}

TEST(CaptureSession, PublishesKeptFramesAndStripChangesOnly) {
    SimulatedScreen s = stillScreen();
    CaptureSession session(s, CaptureRequest{s.rect, true});
    ASSERT_TRUE(session.begin());
    session.keep(session.grab(), 0);
    session.showStrip(ManualStrip::Following);  // unchanged: nothing to tell
    session.keep(session.grab(), 0);
    session.showStrip(ManualStrip::ScrolledTooFar);
    session.replaceLast(session.grab());  // the same place: the same progress
    EXPECT_EQ(s.published, (std::vector<CaptureProgress>{{1, 120, ManualStrip::Following},
                                                         {2, 240, ManualStrip::Following},
                                                         {2, 240, ManualStrip::ScrolledTooFar}}));
    EXPECT_EQ(session.keptCount(), 2u);
}

TEST(CaptureSession, EveryKeptFrameReachesTheSinkAsItIsKept) {
    // Each is told by its index, and told again when it changes in place.
    SimulatedScreen s = stillScreen();
    CaptureSession session(s, s.request());
    ASSERT_TRUE(session.begin());
    PixelImage first(200, 120, 0xFF102030u);
    session.keep(first, 0);
    EXPECT_EQ(s.keptReports, 1);
    // Turned with the capture while it is the only frame: told again, turned.
    session.changeDirection(ScrollDirection::Right);
    EXPECT_EQ(s.keptReports, 2);
    EXPECT_TRUE(test::imagesEqual(s.keptAsTold[0], transposed(first)));
    EXPECT_EQ(s.published.back().heightPx, 200);
    session.keep(PixelImage(120, 200, 0xFF405060u), 0);
    EXPECT_EQ(s.keptReports, 3);
    PixelImage repainted(120, 200, 0xFF336699u);
    session.replaceLast(repainted);
    EXPECT_EQ(s.keptReports, 4);
    ASSERT_EQ(s.keptAsTold.size(), 2u);
    EXPECT_TRUE(test::imagesEqual(s.keptAsTold[1], repainted));
    // The frames handed on cannot be turned back any more.
    EXPECT_THROW(session.changeDirection(ScrollDirection::Down), std::logic_error);
    session.end({.reachedEnd = true, .finishedByUser = false, .failure = CaptureFailure{}});
    ASSERT_EQ(s.handedTurned.size(), 2u);
    for (size_t i = 0; i < 2; ++i) EXPECT_TRUE(test::imagesEqual(s.keptAsTold[i], s.handedTurned[i])) << i;
    EXPECT_EQ(s.handedDirection, ScrollDirection::Right);
}

// Only the last frame and a copy of the one before stay: each earlier frame
// goes to the stitch as the next is kept, the last at the end.
TEST(CaptureSession, HandsEachFrameOnOnceTheNextIsKept) {
    SimulatedScreen s = stillScreen();
    CaptureSession session(s, s.request());
    ASSERT_TRUE(session.begin());
    const std::vector<uint32_t> colours = {0xFF000001u, 0xFF000002u, 0xFF000003u, 0xFF000004u};
    for (size_t i = 0; i < colours.size(); ++i) {
        session.keep(PixelImage(200, 120, colours[i]), 20);
        EXPECT_EQ(s.handedTurned.size(), i);
        EXPECT_EQ(session.keptCount(), i + 1);
        EXPECT_EQ(session.lastKept().at(0, 0), colours[i]);
        if (i == 0) {
            EXPECT_EQ(session.keptBeforeLast(), nullptr);
        } else {
            ASSERT_NE(session.keptBeforeLast(), nullptr);
            EXPECT_EQ(session.keptBeforeLast()->at(0, 0), colours[i - 1]);
            EXPECT_EQ(s.handedTurned.back().at(0, 0), colours[i - 1]);
        }
    }
    EXPECT_FALSE(s.stitchStarted);
    session.end({.reachedEnd = true, .finishedByUser = false, .failure = CaptureFailure{}});
    ASSERT_EQ(s.handedTurned.size(), colours.size());
    for (size_t i = 0; i < colours.size(); ++i) EXPECT_EQ(s.handedTurned[i].at(0, 0), colours[i]) << i;
    EXPECT_TRUE(s.stitchStarted);
    EXPECT_TRUE(session.lastKept().pixels.empty());
}

TEST(CaptureSession, EndingHandsTheFramesOverOrDropsThemOnAFailure) {
    for (bool failed : {false, true}) {
        SCOPED_TRACE(failed);
        test::ScratchDir dir;
        SimulatedScreen s = stillScreen();
        s.logFolder = dir.path();
        CaptureSession session(s, CaptureRequest{s.rect, true});
        ASSERT_TRUE(session.begin());
        session.openLog(-120, ScrollMethod::Wheel);
        session.keep(session.grabDumped("initial"), 0);
        const CaptureFailure failure = failed ? CaptureFailure{CaptureError::WheelInputFailed} : CaptureFailure{};
        session.end({.reachedEnd = !failed, .finishedByUser = false, .failure = failure});
        EXPECT_TRUE(session.lastKept().pixels.empty());
        EXPECT_EQ(s.events, std::vector<std::string>{failed ? "fail error" : "stitch"});
        EXPECT_EQ(s.handedOver.size(), failed ? 0u : 1u);
        EXPECT_EQ(test::readFile(dir / "capture.log.txt"),
                  failed ? "wheelScrollLines=3 wheelDelta=-120 scrollMethod=wheel\r\n"
                           "acceptedFrames=1 reachedEnd=0 finishRequested=0 error=Mouse-wheel input could not be "
                           "sent, so the capture was stopped.\r\n"
                         : "wheelScrollLines=3 wheelDelta=-120 scrollMethod=wheel\r\n"
                           "acceptedFrames=1 reachedEnd=1 finishRequested=0 error=\r\n");
    }
}

// A frame the size limit refuses is not in the image, so it leaves the dumps
// too, with the pictures grabbed on the way to it: an offline stitch of the
// dumps then gives the image. A manual capture dumps only what it keeps.
TEST(CaptureSession, AFrameRefusedAtTheSizeLimitLeavesNoDumpBehind) {
    test::ScratchDir dir;
    SimulatedScreen s = stillScreen();
    s.logFolder = dir.path();
    CaptureRequest request{s.rect, true};
    request.maxPixels = 200 * 120 * 2 + 100;  // room for two frames that overlap nothing
    CaptureSession session(s, request);
    ASSERT_TRUE(session.begin());
    session.openLog(-120, ScrollMethod::Wheel);
    const auto picture = [](uint32_t colour) { return PixelImage(200, 120, colour); };
    session.keep(session.grabDumped("initial"), 0);
    session.dumpAsGrabbed(session.dumper(), "candidate", picture(0xFF000001u));
    session.dumpAsGrabbed(session.dumper(), "candidate", picture(0xFF000002u));
    ASSERT_TRUE(session.keep(picture(0xFF000002u), 0));
    session.dumpAsGrabbed(session.dumper(), "candidate", picture(0xFF000003u));
    session.dumpAsGrabbed(session.dumper(), "candidate", picture(0xFF000004u));
    EXPECT_FALSE(session.keep(picture(0xFF000004u), 0));
    EXPECT_EQ(session.limitMet(), CaptureLimit::Pixels);
    EXPECT_EQ(test::entriesOf(dir.path()),
              (std::vector<std::string>{"0000-initial.png", "0001-candidate.png", "0002-candidate.png", "capture.log.txt"}));
    session.end({.reachedEnd = false, .finishedByUser = false, .limit = CaptureLimit::Pixels, .failure = {}});
    EXPECT_EQ(s.handedOver.size(), 2u);
}

}  // namespace
}  // namespace tf
