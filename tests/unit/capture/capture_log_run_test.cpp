// The capture log and the frame dumps as a whole capture writes them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/capture/capture_controller.h"
#include "core/image/png_codec.h"
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

TEST(CaptureLogRun, StillPageLogsThreeNoMotionProbesAndDumpsEveryGrab) {
    test::ScratchDir dir;
    SimulatedScreen s(makeDocumentPage(200, 160, 3), 160, {});
    s.logFolder = dir.path();
    runCapture(s, CaptureRequest{s.rect, true});
    EXPECT_EQ(logLines(dir.path()), (std::vector<std::string>{
                                        "wheelScrollLines=3 wheelDelta=-120 scrollMethod=none",
                                        "acceptedFrame=1 probe=0 action=0 overlap=0 score=1e+18 prior=0",
                                        "acceptedFrame=1 probe=1 action=0 overlap=0 score=1e+18 prior=0",
                                        "acceptedFrame=1 probe=2 action=0 overlap=0 score=1e+18 prior=0",
                                        "acceptedFrames=1 reachedEnd=1 finishRequested=0 error=",
                                    }));
    EXPECT_EQ(dumpNames(dir.path()),
              (std::vector<std::string>{"0000-initial.png", "0001-candidate.png", "0002-settle.png",
                                        "0003-candidate.png", "0004-settle.png", "0005-candidate.png",
                                        "0006-settle.png"}));
    // The first frame is taken once two grabs agree; only the kept one is dumped.
    EXPECT_EQ(s.grabs, 8);
    // Each dump is the grab itself.
    ASSERT_EQ(s.handedOver.size(), 1u);
    EXPECT_TRUE(test::imagesEqual(s.handedOver[0], loadPng(dir / "0000-initial.png")));
}

TEST(CaptureLogRun, ProbeLinesCarryTheMatcherAnswerAndThePrior) {
    test::ScratchDir dir;
    SimulatedScreen s(makeDocumentPage(300, 240 + 200, 4), 240, {.rowsPerNotch = 100});
    s.logFolder = dir.path();
    runCapture(s, CaptureRequest{s.rect, true});
    const std::vector<std::string> lines = logLines(dir.path());
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
    const std::vector<std::string> lines = logLines(dir.path());
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2], "acceptedFrame=2 probe=0 action=1 overlap=235 score=0 prior=0");
    EXPECT_EQ(lines[3], "smallShift=5");
    EXPECT_EQ(lines[7], "acceptedFrames=3 reachedEnd=1 finishRequested=0 error=");
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
