// The Windows codec reads any format the platform decodes, not only PNG.
#include <gtest/gtest.h>

#include "image/png_codec.h"
#include "test_support.h"

namespace tf {
namespace {

// A 2 x 2, 24-bit bottom-up BMP.
std::string tinyBmp() {
    std::string b = "BM";
    auto le32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF)); };
    auto le16 = [&](uint16_t v) { b.push_back(static_cast<char>(v & 0xFF)); b.push_back(static_cast<char>(v >> 8)); };
    le32(14 + 40 + 16); le32(0); le32(14 + 40);
    le32(40); le32(2); le32(2); le16(1); le16(24); le32(0); le32(16); le32(2835); le32(2835); le32(0); le32(0);
    // bottom row: blue, green; top row: red, white (B, G, R order, rows padded to 4 bytes)
    b += std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00", 8);
    b += std::string("\x00\x00\xFF\xFF\xFF\xFF\x00\x00", 8);
    return b;
}

TEST(PngWin32, BitmapFilesDecodeToOpaqueBgra) {
    test::ScratchDir dir;
    test::writeFile(dir / "tiny.png", tinyBmp());  // the extension does not decide the decoder
    const PixelImage img = loadPng(dir / "tiny.png");
    ASSERT_EQ(img.width, 2);
    ASSERT_EQ(img.height, 2);
    EXPECT_EQ(img.at(0, 0), 0xFFFF0000u);
    EXPECT_EQ(img.at(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(img.at(0, 1), 0xFF0000FFu);
    EXPECT_EQ(img.at(1, 1), 0xFF00FF00u);
}

}  // namespace
}  // namespace tf
