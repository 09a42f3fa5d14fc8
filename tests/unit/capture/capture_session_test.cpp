// The start, the progress and the ending that both capture loops share.

#include <gtest/gtest.h>

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
    EXPECT_EQ(session.frames().size(), 2u);
}

TEST(CaptureSession, EveryKeptFrameReachesTheSinkAsItIsKept) {
    // A later stitch may compose the frames as they arrive: each is told by
    // its index, and told again when it changes in place.
    SimulatedScreen s = stillScreen();
    CaptureSession session(s, s.request());
    ASSERT_TRUE(session.begin());
    session.keep(session.grab(), 0);
    EXPECT_EQ(s.keptReports, 1);
    session.keep(session.grab(), 0);
    EXPECT_EQ(s.keptReports, 2);
    PixelImage repainted(200, 120, 0xFF336699u);
    session.replaceLast(repainted);
    EXPECT_EQ(s.keptReports, 3);
    ASSERT_EQ(s.keptAsTold.size(), 2u);
    EXPECT_TRUE(test::imagesEqual(s.keptAsTold[1], repainted));
    // Turned with the capture: both frames are told again, turned.
    session.changeDirection(ScrollDirection::Right);
    EXPECT_EQ(s.keptReports, 5);
    EXPECT_TRUE(test::imagesEqual(s.keptAsTold[1], transposed(repainted)));
    session.end({.reachedEnd = true, .finishedByUser = false, .failure = CaptureFailure{}});
    ASSERT_EQ(s.handedTurned.size(), 2u);
    for (size_t i = 0; i < 2; ++i) EXPECT_TRUE(test::imagesEqual(s.keptAsTold[i], s.handedTurned[i])) << i;
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
        EXPECT_TRUE(session.frames().empty());
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

}  // namespace
}  // namespace tf
