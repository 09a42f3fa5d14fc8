#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/diagnostics/self_test.h"
#include "core/diagnostics/test_pages.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu, kBar = 0xFF151515u, kInk = 0xFF303030u, kMark = 0xFF808080u;

TEST(TestPage, BlocksBarsWordsAndMarks) {
    const PixelImage page = makeTestPage(640, 400, false);
    ASSERT_EQ(page.width, 640);
    ASSERT_EQ(page.height, 400);
    // Block 0 at row 35: the bar covers x 52 … 171 on rows 35 … 40.
    EXPECT_EQ(page.at(52, 35), kBar);
    EXPECT_EQ(page.at(171, 40), kBar);
    EXPECT_EQ(page.at(51, 35), kWhite);
    EXPECT_EQ(page.at(172, 35), kWhite);
    EXPECT_EQ(page.at(100, 41), kWhite);
    EXPECT_EQ(page.at(100, 34), kWhite);
    // Its first word line (rows 55 … 57): words of 11 and 14 pixels from x 62 and 85.
    EXPECT_EQ(page.at(62, 55), kInk);
    EXPECT_EQ(page.at(72, 57), kInk);
    EXPECT_EQ(page.at(73, 55), kWhite);
    EXPECT_EQ(page.at(85, 56), kInk);
    EXPECT_EQ(page.at(98, 56), kInk);
    EXPECT_EQ(page.at(99, 56), kWhite);
    EXPECT_EQ(page.at(62, 58), kWhite);
    // Block 1 (row 127): bar to x 47 + 172 = 219.
    EXPECT_EQ(page.at(218, 127), kBar);
    EXPECT_EQ(page.at(219, 127), kWhite);
    // Block 2 (row 219) carries the mark on rows 285 … 288, x 520 … 584.
    EXPECT_EQ(page.at(520, 285), kMark);
    EXPECT_EQ(page.at(584, 288), kMark);
    EXPECT_EQ(page.at(585, 285), kWhite);
    EXPECT_EQ(page.at(519, 285), kWhite);
    EXPECT_EQ(page.at(520, 289), kWhite);
    // Block 0 and 1 have no mark.
    EXPECT_EQ(page.at(520, 101), kWhite);
    EXPECT_EQ(page.at(520, 193), kWhite);
}

TEST(TestPage, ClipsToThePictureAndStaysWhiteWhenTooSmall) {
    for (const PixelImage& p : {makeTestPage(640, 55, false), makeTestPage(180, 900, false), makeTestPage(0, 0, true)}) {
        for (uint32_t px : p.pixels) ASSERT_EQ(px, kWhite);
    }
    // 56 rows: block 0 starts (35 < 36) but its lower word lines fall off the picture.
    const PixelImage cut = makeTestPage(333, 56, false);
    EXPECT_EQ(cut.at(52, 35), kBar);
    EXPECT_EQ(cut.at(62, 55), kInk);
}

PixelImage rows(const PixelImage& page, int32_t top, int32_t count) { return makeTestFrame(page, top, count, false, kNoCaret); }

TEST(TestPage, RepeatedTextRepeatsEveryFourBlocks) {
    const PixelImage repeated = makeTestPage(640, 1200, true);
    const PixelImage plain = makeTestPage(640, 1200, false);
    // Blocks 0 and 4 (368 rows apart) are alike, up to block 2's mark which block 6 lacks.
    EXPECT_TRUE(test::imagesEqual(rows(repeated, 35, 92), rows(repeated, 35 + 368, 92)));
    EXPECT_FALSE(test::imagesEqual(rows(plain, 35, 92), rows(plain, 35 + 368, 92)));
    EXPECT_TRUE(test::imagesEqual(rows(repeated, 0, 219), rows(plain, 0, 219)));
}

TEST(TestFrame, CopiesRowsAndRepeatsTheLastOne) {
    const PixelImage page = makeTestPage(333, 300, false);
    const PixelImage f = makeTestFrame(page, 250, 100, false, kNoCaret);
    ASSERT_EQ(f.width, 333);
    ASSERT_EQ(f.height, 100);
    for (int32_t y = 0; y < 100; ++y) {
        const int32_t source = std::min(250 + y, 299);
        for (int32_t x = 0; x < 333; x += 7) ASSERT_EQ(f.at(x, y), page.at(x, source)) << x << "," << y;
    }
}

TEST(TestFrame, FixedHeaderAndCaret) {
    const PixelImage page = makeTestPage(640, 900, false);
    const PixelImage f = makeTestFrame(page, 100, 520, true, 210);
    EXPECT_EQ(f.at(0, 0), 0xFFF3F3F3u);
    EXPECT_EQ(f.at(639, 33), 0xFFF3F3F3u);
    EXPECT_EQ(f.at(17, 15), 0xFFF3F3F3u);
    EXPECT_EQ(f.at(18, 15), 0xFF707070u);
    EXPECT_EQ(f.at(621, 16), 0xFF707070u);
    EXPECT_EQ(f.at(622, 16), 0xFFF3F3F3u);
    EXPECT_EQ(f.at(18, 17), 0xFFF3F3F3u);
    EXPECT_EQ(f.at(5, 34), page.at(5, 134));
    EXPECT_EQ(f.at(320, 210), 0xFF000000u);
    EXPECT_EQ(f.at(321, 233), 0xFF000000u);
    EXPECT_EQ(f.at(322, 220), page.at(322, 320));
    EXPECT_EQ(f.at(319, 220), page.at(319, 320));
    EXPECT_EQ(f.at(320, 234), page.at(320, 334));
    // A caret that runs past the frame's end is clipped.
    const PixelImage low = makeTestFrame(page, 0, 30, false, 20);
    EXPECT_EQ(low.at(320, 29), 0xFF000000u);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            out.push_back(text.substr(start) + "<no CR LF>");
            break;
        }
        out.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return out;
}

TEST(SelfTest, ReportsEveryCheckInOrderAndPasses) {
    test::ScratchDir dir;
    const fs::path report = dir / "report.txt";
    test::writeFile(report, std::string(4000, 'x'));  // a longer earlier report is replaced
    ASSERT_EQ(runSelfTest(report), 0);
    const std::string text = test::readFile(report);
    const std::vector<std::string> l = lines(text);
    ASSERT_EQ(l.size(), 23u) << text;
    EXPECT_EQ(l[0], "capture-logging default-off=PASS enabled-session=PASS");
    EXPECT_EQ(l[1].rfind("web-variable-motion pair 1: expected=335 actual=335 score=", 0), 0u) << l[1];
    EXPECT_EQ(l[5], "web-variable-motion height: expected=1132 actual=1132 PASS");
    EXPECT_EQ(l[6].rfind("web-variable-motion pixels: difference=", 0), 0u);
    EXPECT_EQ(l[7].rfind("wps-repeated-text pair 1: expected=442 actual=442", 0), 0u) << l[7];
    EXPECT_EQ(l[11], "wps-repeated-text height: expected=771 actual=771 PASS");
    EXPECT_EQ(l[13].rfind("fixed-header-caret pair 1: expected=408 actual=408", 0), 0u) << l[13];
    EXPECT_EQ(l[17], "fixed-header-caret height: expected=885 actual=885 PASS");
    EXPECT_EQ(l[19],
              "capture-controller actions=PASS wheel-normalization=PASS partial-delta-end-detection=PASS "
              "probe-motion-prior=PASS");
    EXPECT_EQ(l[20],
              "ui-state transitions=PASS scenarios=PASS rectangle-normalization=PASS monitor-coordinates=PASS "
              "virtual-desktop-coordinates=PASS dpi-minimum=PASS capture-indicator=PASS capture-prompt=PASS "
              "dpi-window-sizes=PASS home-layout=PASS responsive-layout=PASS work-area-sizing=PASS "
              "resize-direction=PASS finish-debounce=PASS");
    EXPECT_EQ(l[21], "png-chunked-roundtrip PASS");
    EXPECT_EQ(l[22], "ALL TESTS PASSED");
    for (const std::string& line : l) EXPECT_EQ(line.find("FAIL"), std::string::npos) << line;
    // The pixel lines are percentages in the default stream format.
    EXPECT_NE(l[18].find("% PASS"), std::string::npos) << l[18];
    EXPECT_FALSE(fs::exists(dir / "report.txt.roundtrip.png"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(SelfTest, NeverRemovesOrReplacesWhatItDidNotMake) {
    test::ScratchDir dir;
    const fs::path report = dir / "r.txt";
    test::writeFile(dir / "r.txt.roundtrip.png", "someone's file");
    ASSERT_EQ(runSelfTest(report), 0);
    EXPECT_EQ(test::readFile(dir / "r.txt.roundtrip.png"), "someone's file");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(SelfTest, AReportThatCannotBeWrittenFailsTheRunAndSaysWhy) {
    test::ScratchDir dir;
    fs::create_directories(dir / "folder");
    struct Case {
        const char* name;
        fs::path report;
    } cases[] = {
        {"a folder", dir / "folder"},
        {"an empty path", fs::path()},
#ifndef _WIN32
        {"a device", "/dev/full"},
#endif
    };
    for (const Case& c : cases) {
        std::vector<std::string> told;
        EXPECT_EQ(runSelfTest(c.report, [&](std::string_view line) { told.emplace_back(line); }), 1) << c.name;
        ASSERT_EQ(told.size(), 1u) << c.name;
        EXPECT_NE(told[0].find("the report"), std::string::npos) << told[0];
    }
    EXPECT_TRUE(fs::is_empty(dir / "folder"));
}

TEST(SelfTest, ReportInMissingFolderFails) {
    test::ScratchDir dir;
    const fs::path report = dir / "missing" / "report.txt";
    EXPECT_EQ(runSelfTest(report), 1);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

}  // namespace
}  // namespace tf
