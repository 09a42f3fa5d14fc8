#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "core/stitch/composer.h"
#include "test_support.h"

namespace tf {
namespace {

using test::cropRows;
using test::imagesEqual;
using test::makeDocumentPage;

// A string stream the composer logs to, split back into lines.
class CapturedLog {
public:
    TextLog sink() { return TextLog(&out_); }
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::string s = out_.str(), line;
        for (size_t pos = 0; pos < s.size();) {
            const size_t end = s.find("\r\n", pos);
            if (end == std::string::npos) break;
            result.push_back(s.substr(pos, end - pos));
            pos = end + 2;
        }
        return result;
    }
    std::ostringstream& stream() { return out_; }

private:
    std::ostringstream out_;
};

std::vector<PixelImage> framesAt(const PixelImage& page, std::initializer_list<int32_t> offsets, int32_t h) {
    std::vector<PixelImage> frames;
    for (int32_t o : offsets) frames.push_back(cropRows(page, o, h));
    return frames;
}

TEST(Composer, NoFramesGiveAnEmptyImage) {
    const PixelImage out = composeFrames({});
    EXPECT_EQ(out.width, 0);
    EXPECT_EQ(out.height, 0);
    EXPECT_TRUE(out.pixels.empty());
}

TEST(Composer, OneFrameIsCopied) {
    const PixelImage frame = cropRows(makeDocumentPage(700, 400, 2), 0, 400);
    EXPECT_TRUE(imagesEqual(frame, composeFrames({frame})));
}

TEST(Composer, FivePagesCutsRebuildThePageAndLogEveryPair) {
    const PixelImage page = makeDocumentPage(640, 1300, 31);
    CapturedLog log;
    const PixelImage out = composeFrames(framesAt(page, {0, 185, 371, 554, 612}, 520), log.sink());
    ASSERT_EQ(out.height, 1132);
    EXPECT_TRUE(imagesEqual(cropRows(page, 0, 1132), out));
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 4u);
    const int overlaps[] = {335, 334, 337, 462};
    for (size_t i = 0; i < 4; ++i) {
        const std::string prefix = "pair " + std::to_string(i + 1) + " overlap=" + std::to_string(overlaps[i]) + " score=";
        EXPECT_EQ(lines[i].rfind(prefix, 0), 0u) << lines[i];
        EXPECT_NE(lines[i].find(" seam="), std::string::npos);
        EXPECT_NE(lines[i].find(" seamScore="), std::string::npos);
    }
}

TEST(Composer, NarrowestFrameSetsTheWidth) {
    const PixelImage page = makeDocumentPage(640, 1200, 9);
    std::vector<PixelImage> frames = framesAt(page, {0, 200}, 520);
    PixelImage narrow(600, 520);
    for (int32_t y = 0; y < 520; ++y) std::copy(frames[1].row(y), frames[1].row(y) + 600, narrow.row(y));
    frames[1] = narrow;
    const PixelImage out = composeFrames(frames);
    ASSERT_EQ(out.width, 600);
    ASSERT_EQ(out.height, 720);
    for (int32_t y = 0; y < 720; ++y)
        for (int32_t x = 0; x < 600; ++x) ASSERT_EQ(out.at(x, y), page.at(x, y)) << x << "," << y;
}

TEST(Composer, FailingThirdPairLogsItAndThrows) {
    const PixelImage page = makeDocumentPage(640, 1600, 41);
    std::vector<PixelImage> frames = framesAt(page, {0, 200, 400, 600}, 520);
    frames[3] = cropRows(makeDocumentPage(640, 600, 777), 0, 520);  // unrelated content
    CapturedLog log;
    try {
        composeFrames(frames, log.sink());
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "stitch failed");
    }
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].rfind("pair 3 failed overlap=", 0), 0u) << lines[2];
    const std::string tail = " seam=0 seamScore=1000000000000000000.00";
    EXPECT_EQ(lines[2].substr(lines[2].size() - tail.size()), tail);
}

TEST(Composer, ExpectationCarriesFromPairToPair) {
    // On a page that repeats every 92 rows the true motion is only found when the
    // previous pair's overlap guides the next one.
    const PixelImage tile = makeDocumentPage(640, 92, 23);
    PixelImage page(640, 1800);
    for (int32_t y = 0; y < page.height; ++y) std::copy(tile.row(y % 92), tile.row(y % 92) + 640, page.row(y));
    CapturedLog log;
    const PixelImage out = composeFrames(framesAt(page, {0, 8, 16, 24}, 520), log.sink());
    EXPECT_EQ(out.height, 544);
    EXPECT_TRUE(imagesEqual(cropRows(page, 0, 544), out));
}

// The last grab of a page often moved fewer rows than the matcher measures:
// it is joined by that shift, with a line of its own in the stitch log.
TEST(Composer, LastGrabOfAFewRowsIsJoinedByItsShift) {
    const PixelImage page = makeDocumentPage(640, 1200, 21);
    for (int32_t last : {1, 4, 7}) {
        SCOPED_TRACE(last);
        CapturedLog log;
        const PixelImage out = composeFrames(framesAt(page, {0, 300, 300 + last}, 420), log.sink());
        EXPECT_TRUE(imagesEqual(cropRows(page, 0, 720 + last), out));
        const std::vector<std::string> lines = log.lines();
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[1], "pair 2 smallShift=" + std::to_string(last));
        EXPECT_EQ(lines[2].rfind("pair 2 overlap=" + std::to_string(420 - last) + " score=0.00 seam=", 0), 0u);
    }
}

TEST(StitchLog, WritesOnlyToAHealthyStream) {
    TextLog().line("nobody listens");  // no stream: nothing happens
    CapturedLog log;
    const TextLog sink = log.sink();
    sink.line("one");
    log.stream().setstate(std::ios::failbit);
    sink.line("two");
    log.stream().clear();
    EXPECT_EQ(log.stream().str(), "one\r\n");
}

TEST(StitchLog, PairLineFormats) {
    EXPECT_EQ(formatPairLine(1, {335, 0.126, true, 40, 1.5}), "pair 1 overlap=335 score=0.13 seam=40 seamScore=1.50");
    EXPECT_EQ(formatPairLine(12, {0, 1e18, false, 0, 1e18}),
              "pair 12 failed overlap=0 score=1000000000000000000.00 seam=0 seamScore=1000000000000000000.00");
}

}  // namespace
}  // namespace tf
