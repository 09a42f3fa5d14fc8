// --stitch of frames that scrolled sideways: the direction comes from the
// folder's capture log when it holds one, else from --direction.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

using test::ScratchDir;

std::string logOf(const fs::path& output) {
    fs::path log = output;
    log += ".log.txt";
    return test::readFile(log);
}

// A wide page grabbed 400 columns at a time while scrolling right; returns
// the part of the page the frames cover.
PixelImage writeSidewaysFrames(const fs::path& folder) {
    fs::create_directories(folder);
    const PixelImage tall = test::makeDocumentPage(300, 2000, 23);
    const std::vector<int32_t> lefts = {0, 160, 330, 480};
    for (size_t i = 0; i < lefts.size(); ++i)
        savePng(transposed(test::cropRows(tall, lefts[i], 400)), folder / ("000" + std::to_string(i) + ".png"));
    return transposed(test::cropRows(tall, 0, lefts.back() + 400));
}

void writeCaptureLog(const fs::path& folder, const std::string& header) {
    test::writeFile(folder / "capture.log.txt", header + "\r\nacceptedFrames=4 reachedEnd=1 finishRequested=0 error=\r\n");
}

struct Told {
    std::vector<std::string> lines;
    UserMessages sink() {
        return [this](std::string_view l) { lines.emplace_back(l); };
    }
};

// Where the direction could come from in one run.
struct DirectionSources {
    const char* name;
    const char* logHeader;  // nullptr: no capture log in the folder
    std::optional<ScrollDirection> asked;
};

TEST(OfflineStitchDirection, TheDirectionComesFromTheLogOrTheCommandLine) {
    const DirectionSources cases[] = {
        {"asked for, no log", nullptr, ScrollDirection::Right},
        {"recorded in the log", "wheelScrollLines=3 wheelDelta=-120 direction=right", std::nullopt},
        {"both, agreeing", "wheelScrollLines=3 wheelDelta=-120 direction=right", ScrollDirection::Right},
        {"fields in another order, one unknown", "wheelScrollLines=3 direction=right scrollMethod=wheel", std::nullopt},
    };
    for (const DirectionSources& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        const PixelImage truth = writeSidewaysFrames(dir / "frames");
        if (c.logHeader) writeCaptureLog(dir / "frames", c.logHeader);
        const fs::path out = dir / "wide.png";
        Told told;
        ASSERT_EQ(runOfflineStitch(dir / "frames", out, told.sink(), c.asked), 0) << (told.lines.empty() ? "" : told.lines[0]);
        EXPECT_TRUE(test::imagesEqual(truth, loadPng(out)));
        const std::string log = logOf(out);
        EXPECT_EQ(log.rfind("frames=4\r\ndirection=right\r\nskipped=0\r\npair 1 overlap=240 score=", 0), 0u) << log;
        EXPECT_EQ(log.substr(log.size() - 18), "\r\noutput=880x300\r\n") << log;
    }
}

TEST(OfflineStitchDirection, DownIsTheDefaultAndNeedsNoLine) {
    const DirectionSources cases[] = {
        {"nothing said", nullptr, std::nullopt},
        {"asked for", nullptr, ScrollDirection::Down},
        {"a log of a downward capture", "wheelScrollLines=3 wheelDelta=-120", std::nullopt},
        {"a log of a downward capture, asked for", "wheelScrollLines=3 wheelDelta=-120", ScrollDirection::Down},
    };
    for (const DirectionSources& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        writeSidewaysFrames(dir / "frames");
        if (c.logHeader) writeCaptureLog(dir / "frames", c.logHeader);
        // Taken as a downward capture, these frames show no vertical motion.
        EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "out.png", {}, c.asked), 1);
        EXPECT_EQ(logOf(dir / "out.png").find("direction="), std::string::npos);
        EXPECT_FALSE(fs::exists(dir / "out.png"));
    }
}

TEST(OfflineStitchDirection, AContradictedOrUnknownDirectionFailsAndSaysWhy) {
    struct Case {
        const char* name;
        const char* logHeader;
        std::optional<ScrollDirection> asked;
        const char* reason;
    } cases[] = {
        {"log says right, asked down", "wheelScrollLines=3 wheelDelta=-120 direction=right", ScrollDirection::Down,
         "it records the direction right, but --direction down was given"},
        {"log says down, asked right", "wheelScrollLines=3 wheelDelta=-120", ScrollDirection::Right,
         "it records the direction down, but --direction right was given"},
        {"log names an unknown direction", "wheelScrollLines=3 direction=diagonal", std::nullopt,
         "names a direction this program does not know"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        writeSidewaysFrames(dir / "frames");
        writeCaptureLog(dir / "frames", c.logHeader);
        Told told;
        EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "out.png", told.sink(), c.asked), 1);
        ASSERT_EQ(told.lines.size(), 1u);
        EXPECT_NE(told.lines[0].find("reading the capture log"), std::string::npos) << told.lines[0];
        EXPECT_NE(told.lines[0].find(c.reason), std::string::npos) << told.lines[0];
        EXPECT_EQ(logOf(dir / "out.png"), "exception\r\n");
        EXPECT_FALSE(fs::exists(dir / "out.png"));
    }
}

TEST(OfflineStitchDirection, AnEmptyLogIsNoLog) {
    ScratchDir dir;
    writeSidewaysFrames(dir / "frames");
    test::writeFile(dir / "frames" / "capture.log.txt", "");
    EXPECT_EQ(loggedDirection(dir / "frames").direction, std::nullopt);
    EXPECT_EQ(loggedDirection(dir / "frames").ignored, "is empty");
    EXPECT_EQ(loggedDirection(dir / "nowhere").direction, std::nullopt);
    EXPECT_EQ(loggedDirection(dir / "nowhere").ignored, "");
    EXPECT_EQ(runOfflineStitch(dir / "frames", dir / "out.png", {}, ScrollDirection::Right), 0);
}

}  // namespace
}  // namespace tf
