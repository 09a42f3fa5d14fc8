#include <gtest/gtest.h>

#include <random>
#include <set>
#include <stdexcept>
#include <string>

#include "image/png_codec.h"
#include "test_support.h"

namespace tf {
namespace {

using test::imagesEqual;
using test::ScratchDir;

PixelImage randomImage(int32_t w, int32_t h, uint32_t seed) {
    PixelImage img(w, h);
    std::mt19937 rng(seed);
    for (uint32_t& px : img.pixels) px = rng();  // every alpha value, not only 255
    return img;
}

std::string pngMessage(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "(no exception)";
}

uint32_t crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putChunk(std::string& out, const char* type, const std::string& body) {
    auto be32 = [&](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
    };
    be32(static_cast<uint32_t>(body.size()));
    std::string typed = std::string(type, 4) + body;
    out += typed;
    be32(crc32(reinterpret_cast<const uint8_t*>(typed.data()), typed.size()));
}

// A PNG whose header claims a size; no image data follows.
std::string pngHeaderOnly(uint32_t w, uint32_t h) {
    std::string out = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    for (uint32_t v : {w, h})
        for (int s = 24; s >= 0; s -= 8) ihdr.push_back(static_cast<char>((v >> s) & 0xFF));
    ihdr += std::string("\x08\x06\x00\x00\x00", 5);
    putChunk(out, "IHDR", ihdr);
    putChunk(out, "IEND", "");
    return out;
}

TEST(PngRowBlocks, BlocksOfAtMost256Rows) {
    struct Case {
        int32_t height;
        std::vector<int32_t> rows;
    } cases[] = {
        {777, {256, 256, 256, 9}}, {256, {256}}, {257, {256, 1}}, {1, {1}}, {512, {256, 256}}, {0, {}},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> rows;
        int32_t expectedFirst = 0;
        for (const RowBlock& b : pngRowBlocks(c.height)) {
            EXPECT_EQ(b.firstRow, expectedFirst);
            expectedFirst += b.rows;
            rows.push_back(b.rows);
        }
        EXPECT_EQ(rows, c.rows) << c.height;
    }
}

TEST(PngSize, ThirtyTwoBitLimitsAreComputedIn64Bits) {
    EXPECT_TRUE(pngSizeWritable(1920, 100000));
    EXPECT_TRUE(pngSizeWritable(4194303, 256));
    EXPECT_FALSE(pngSizeWritable(4194304, 256));  // one 256-row block would be 4 GiB
    EXPECT_TRUE(pngSizeWritable(4194304, 1));
    EXPECT_FALSE(pngSizeWritable(0, 10));
    EXPECT_FALSE(pngSizeWritable(10, 0));
    EXPECT_FALSE(pngSizeWritable(-5, 10));
    EXPECT_TRUE(pngSizeReadable(32768, 32767));
    EXPECT_FALSE(pngSizeReadable(32768, 32768));  // exactly 4 GiB
    EXPECT_FALSE(pngSizeReadable(70000, 70000));
    EXPECT_FALSE(pngSizeReadable(0, 10));
}

TEST(Png, RoundTripsEveryByte) {
    ScratchDir dir;
    for (auto [w, h] : {std::pair{333, 777}, {64, 256}, {64, 257}, {1, 1}, {1920, 3}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        const PixelImage img = randomImage(w, h, static_cast<uint32_t>(w * 31 + h));
        const auto path = dir / ("rt-" + std::to_string(w) + "x" + std::to_string(h) + ".png");
        savePng(img, path);
        EXPECT_TRUE(imagesEqual(img, loadPng(path)));
    }
}

TEST(Png, WritesEightBitRgbaWithoutInterlace) {
    ScratchDir dir;
    savePng(randomImage(10, 10, 1), dir / "a.png");
    const std::string bytes = test::readFile(dir / "a.png");
    ASSERT_GT(bytes.size(), 33u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    EXPECT_EQ(static_cast<int>(bytes[24]), 8);   // bit depth
    EXPECT_EQ(static_cast<int>(bytes[25]), 6);   // colour type RGBA
    EXPECT_EQ(static_cast<int>(bytes[28]), 0);   // no interlacing
}

TEST(Png, RewritesAnExistingFile) {
    ScratchDir dir;
    savePng(randomImage(50, 50, 1), dir / "a.png");
    const PixelImage second = randomImage(20, 30, 2);
    savePng(second, dir / "a.png");
    EXPECT_TRUE(imagesEqual(second, loadPng(dir / "a.png")));
}

TEST(Png, TwentyFourBitFileReadsBackOpaque) {
    const PixelImage img = loadPng(test::testDataDir() / "png" / "rgb24.png");
    ASSERT_EQ(img.width, 7);
    ASSERT_EQ(img.height, 5);
    for (uint32_t px : img.pixels) EXPECT_EQ(px >> 24, 0xFFu);
    // Red at the top of the gradient: the channels come back in B, G, R order.
    EXPECT_GT((img.at(0, 0) >> 16) & 0xFF, 200u);
    EXPECT_LT(img.at(0, 0) & 0xFF, 60u);
    EXPECT_GT(img.at(0, 4) & 0xFF, 200u);
}

TEST(Png, FailuresCarryTheirStepMessages) {
    ScratchDir dir;
    const PixelImage img = randomImage(8, 8, 3);
    EXPECT_EQ(pngMessage([&] { savePng(img, dir / "missing" / "a.png"); }), "open png failed");
    EXPECT_EQ(pngMessage([&] { loadPng(dir / "nothing-here.png"); }), "png decoder failed");

    test::writeFile(dir / "text.png", "this is not an image at all");
    EXPECT_EQ(pngMessage([&] { loadPng(dir / "text.png"); }), "png decoder failed");

    // A header that claims more than a 32-bit copy can hold is refused before the
    // pixels are allocated (some decoders already refuse it when opening).
    const std::set<std::string> readFailures = {"png decoder failed", "png frame decode failed", "copy png failed"};
    test::writeFile(dir / "huge.png", pngHeaderOnly(70000, 70000));
    EXPECT_EQ(readFailures.count(pngMessage([&] { loadPng(dir / "huge.png"); })), 1u);

    // A header without image data.
    test::writeFile(dir / "nodata.png", pngHeaderOnly(16, 16));
    EXPECT_EQ(readFailures.count(pngMessage([&] { loadPng(dir / "nodata.png"); })), 1u);
}

TEST(Png, TruncatedOrCorruptFilesNeverYieldAnImage) {
    ScratchDir dir;
    savePng(randomImage(120, 90, 4), dir / "good.png");
    const std::string good = test::readFile(dir / "good.png");
    for (size_t keep : {size_t{8}, size_t{20}, size_t{33}, size_t{60}, good.size() / 2, good.size() - 13}) {
        SCOPED_TRACE(keep);
        test::writeFile(dir / "cut.png", good.substr(0, keep));
        EXPECT_THROW(loadPng(dir / "cut.png"), std::runtime_error);
    }
    std::string flipped = good;
    flipped[good.size() / 2] ^= 0x5A;  // inside the image data: its checksum no longer holds
    test::writeFile(dir / "flipped.png", flipped);
    EXPECT_THROW(loadPng(dir / "flipped.png"), std::runtime_error);
}

TEST(Png, ImagesTheEncoderCannotTakeAreRefusedWithoutTouchingTheFile) {
    ScratchDir dir;
    const auto path = dir / "keep.png";
    const PixelImage kept = randomImage(4, 4, 5);
    savePng(kept, path);
    PixelImage empty;
    EXPECT_EQ(pngMessage([&] { savePng(empty, path); }), "frame size failed");
    PixelImage tooWide;  // a 256-row block of it would pass 4 GiB; no pixels needed to refuse it
    tooWide.width = 1 << 23;
    tooWide.height = 300;
    EXPECT_EQ(pngMessage([&] { savePng(tooWide, path); }), "frame size failed");
    PixelImage inconsistent;
    inconsistent.width = 100;
    inconsistent.height = 100;  // claims pixels it does not hold
    EXPECT_EQ(pngMessage([&] { savePng(inconsistent, path); }), "frame size failed");
    EXPECT_TRUE(imagesEqual(kept, loadPng(path)));
}

}  // namespace
}  // namespace tf
