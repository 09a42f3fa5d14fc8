// The capture log and the frame dumps as a whole capture writes them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/capture/capture_controller.h"
#include "core/image/png_codec.h"
#include "core/stitch/composer.h"
#include "core/tuning.h"
#include "simulated_screen.h"
#include "test_support.h"

namespace tf {
namespace {

namespace fs = std::filesystem;
using test::makeDocumentPage;
using test::SimulatedScreen;

std::vector<std::string> logLines(const fs::path& folder) {
    const std::string text = test::readFile(folder / "capture.log.txt");
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the log must end with CR LF";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(lines.size())) << "a bare LF";
    return lines;
}

std::vector<std::string> dumpNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".png") names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The log without the pace line that follows every probe line, and those lines alone.
std::vector<std::string> withoutPace(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    for (const std::string& l : lines)
        if (l.rfind("inputs=", 0) != 0) kept.push_back(l);
    return kept;
}
std::vector<std::string> paceOnly(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    for (const std::string& l : lines)
        if (l.rfind("inputs=", 0) == 0) kept.push_back(l);
    return kept;
}

TEST(CaptureLogRun, StillPageLogsThreeNoMotionProbesAndDumpsWhatWasSeen) {
    test::ScratchDir dir;
    SimulatedScreen s(makeDocumentPage(200, 160, 3), 160, {});
    s.logFolder = dir.path();
    runCapture(s, CaptureRequest{s.rect, true});
    EXPECT_EQ(logLines(dir.path()), (std::vector<std::string>{
                                        "wheelScrollLines=3 wheelDelta=-120 scrollMethod=none",
                                        "acceptedFrame=1 probe=0 action=0 overlap=0 score=1e+18 prior=0",
                                        "inputs=1 watchedMs=300 watch=unmoved settleMs=90",
                                        "acceptedFrame=1 probe=1 action=0 overlap=0 score=1e+18 prior=0",
                                        "inputs=1 watchedMs=300 watch=unmoved settleMs=90",
                                        "acceptedFrame=1 probe=2 action=0 overlap=0 score=1e+18 prior=0",
                                        "inputs=1 watchedMs=300 watch=unmoved settleMs=90",
                                        "acceptedFrames=1 reachedEnd=1 finishRequested=0 error=",
                                    }));
    // The first frame is taken once two grabs agree; every probe then grabs
    // from its inputs to the end of the motion wait, every 15 ms. Only the
    // kept first frame and the grab judged are dumped, one for each probe line.
    EXPECT_EQ(dumpNames(dir.path()), (std::vector<std::string>{"0000-initial.png", "0001-candidate.png",
                                                               "0002-candidate.png", "0003-candidate.png"}));
    EXPECT_EQ(s.grabs, 2 + 3 * (1 + 300 / 15));
    // Each dump is the grab itself.
    ASSERT_EQ(s.handedOver.size(), 1u);
    EXPECT_TRUE(test::imagesEqual(s.handedOver[0], loadPng(dir / "0000-initial.png")));
}

TEST(CaptureLogRun, ProbeLinesCarryTheMatcherAnswerAndThePrior) {
    test::ScratchDir dir;
    SimulatedScreen s(makeDocumentPage(300, 240 + 200, 4), 240, {.rowsPerNotch = 100});
    s.logFolder = dir.path();
    runCapture(s, CaptureRequest{s.rect, true});
    const std::vector<std::string> lines = withoutPace(logLines(dir.path()));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1].rfind("acceptedFrame=1 probe=0 action=2 overlap=140 score=", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find(" prior=0"), std::string::npos);
    // After one measured motion of 100 rows the expected overlap is 240 - 100.
    EXPECT_EQ(lines[2].rfind("acceptedFrame=2 probe=0 action=2 overlap=140 score=", 0), 0u) << lines[2];
    EXPECT_NE(lines[2].find(" prior=140"), std::string::npos) << lines[2];
    EXPECT_EQ(lines[3], "acceptedFrame=3 probe=0 action=0 overlap=0 score=1e+18 prior=0");
    EXPECT_EQ(lines[6], "acceptedFrames=3 reachedEnd=1 finishRequested=0 error=");
}

TEST(CaptureLogRun, SummaryTellsHowTheCaptureEnded) {
    struct Case {
        const char* name;
        bool esc;
        bool refuse;
        std::string summary;
    };
    const std::vector<Case> cases = {
        {"Esc", true, false, "acceptedFrames=1 reachedEnd=0 finishRequested=1 error="},
        {"refused wheel", false, true,
         "acceptedFrames=1 reachedEnd=0 finishRequested=0 error=Mouse-wheel input could not be sent, so the capture "
         "was stopped."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        SimulatedScreen s(makeDocumentPage(200, 600, 2), 200, {.rowsPerNotch = 100});
        s.logFolder = dir.path();
        if (c.esc) {
            s.escAtNotch = 0;
            s.escDelayMs = 100;
        }
        if (c.refuse) s.refuseWheelFromNotch = 0;
        runCapture(s, CaptureRequest{s.rect, true});
        const std::vector<std::string> lines = logLines(dir.path());
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), c.summary);
    }
}

TEST(CaptureLogRun, AGrabThatMovedAFewRowsGetsASmallShiftLine) {
    test::ScratchDir dir;
    SimulatedScreen s(makeDocumentPage(300, 240 + 105, 4), 240, {.notchRows = {100, 5}});
    s.logFolder = dir.path();
    runCapture(s, CaptureRequest{s.rect, true});
    const std::vector<std::string> lines = withoutPace(logLines(dir.path()));
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2], "acceptedFrame=2 probe=0 action=1 overlap=235 score=0 prior=0");
    EXPECT_EQ(lines[3], "smallShift=5");
    EXPECT_EQ(lines[7], "acceptedFrames=3 reachedEnd=1 finishRequested=0 error=");
}

// Each probe line is followed by the pace of that probe: the inputs sent, how
// long the picture was watched and how that ended, and the settle period.
TEST(CaptureLogRun, EveryProbeLogsItsPace) {
    test::ScratchDir dir;
    // 40 rows a notch on 240-row frames: one notch, then three at a time.
    SimulatedScreen s(makeDocumentPage(300, 240 + 280, 4), 240, {.rowsPerNotch = 40});
    s.logFolder = dir.path();
    runCapture(s, CaptureRequest{s.rect, true});
    EXPECT_EQ(paceOnly(logLines(dir.path())), (std::vector<std::string>{
                                                  "inputs=1 watchedMs=405 watch=rested settleMs=90",
                                                  "inputs=2 watchedMs=90 watch=rested settleMs=90",
                                                  "inputs=3 watchedMs=90 watch=rested settleMs=90",
                                                  "inputs=3 watchedMs=90 watch=rested settleMs=90",
                                                  // The page moved at the first grab: the still probes wait the least.
                                                  "inputs=1 watchedMs=120 watch=unmoved settleMs=90",
                                                  "inputs=1 watchedMs=120 watch=unmoved settleMs=90",
                                                  "inputs=1 watchedMs=120 watch=unmoved settleMs=90",
                                              }));
    EXPECT_TRUE(s.stitchStarted);
}

// A picture that changes again after it came to rest lengthens the capture's
// settle period past the delay, so that no frame is judged before it is
// painted; the log says so. Pages that paint at once keep the first period.
TEST(CaptureLogRun, SettlePeriodIsLearntFromContentPaintedLate) {
    struct Case {
        const char* name;
        test::ScrollModel model;
        uint32_t minSettle, maxSettle;
    } cases[] = {
        {"painted at once", {.rowsPerNotch = 100}, 90, 90},
        {"smooth scrolling", {.rowsPerNotch = 100, .animationMs = 400}, 90, 130},
        {"placeholders for 250 ms after the page stopped",
         {.rowsPerNotch = 100, .animationMs = 150, .lateContentMs = 250, .lateAfterStop = true}, 260, 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir dir;
        SimulatedScreen s(makeDocumentPage(300, 240 + 700, 6), 240, c.model);
        s.logFolder = dir.path();
        s.grabMs = 25;  // as a grab of such an area takes under Wine
        runCapture(s, CaptureRequest{s.rect, true});
        ASSERT_TRUE(s.stitchStarted);
        EXPECT_TRUE(test::imagesEqual(s.expectedImage(700), composeFrames(s.handedOver)));
        const std::vector<std::string> pace = paceOnly(logLines(dir.path()));
        ASSERT_FALSE(pace.empty());
        const std::string& last = pace.back();
        const uint32_t settle = static_cast<uint32_t>(std::stoul(last.substr(last.find("settleMs=") + 9)));
        EXPECT_GE(settle, c.minSettle) << last;
        EXPECT_LE(settle, c.maxSettle) << last;
        const bool lengthened = std::any_of(pace.begin(), pace.end(), [](const std::string& l) {
            return l.find(" settleLengthened=1") != std::string::npos;
        });
        EXPECT_EQ(lengthened, c.minSettle > kSettleStartMs);
    }
}

TEST(CaptureLogRun, LoggingOffWritesNothing) {
    test::ScratchDir dir;
    SimulatedScreen s(makeDocumentPage(200, 400, 2), 200, {.rowsPerNotch = 100});
    runCapture(s, CaptureRequest{s.rect, true});
    EXPECT_EQ(s.logFolderRequests, 1);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
}  // namespace tf
