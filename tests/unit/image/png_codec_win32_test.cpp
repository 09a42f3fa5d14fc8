// The Windows decoder would read any format the platform knows; frames are
// PNG files on every platform, so other formats are refused before it is asked.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <stdexcept>

#include "core/image/png_codec.h"
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

TEST(PngWin32, BitmapFilesNamedPngAreRefused) {
    test::ScratchDir dir;
    test::writeFile(dir / "tiny.png", tinyBmp());
    try {
        loadPng(dir / "tiny.png");
        FAIL() << "a bitmap was read as a frame";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "png decoder failed");
    }
}

// A viewer that holds the image open without delete sharing: the new file
// cannot take its name. The save fails after a short wait, the old file and
// the folder stay as they were.
TEST(PngWin32, AFileHeldOpenElsewhereIsNotReplaced) {
    test::ScratchDir dir;
    const auto path = dir / "held.png";
    PixelImage first(6, 6, 0xFF102030u), second(7, 7, 0xFF405060u);
    savePng(first, path);
    const std::string before = test::readFile(path);
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string message;
    try {
        savePng(second, path);
    } catch (const std::runtime_error& e) {
        message = e.what();
    }
    CloseHandle(held);
    EXPECT_EQ(message, "open png failed");
    EXPECT_EQ(test::readFile(path), before);
    size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) entries += e.path() == path ? 1 : 100;
    EXPECT_EQ(entries, 1u);
    savePng(second, path);  // released: now it is replaced
    EXPECT_TRUE(test::imagesEqual(second, loadPng(path)));
}

}  // namespace
}  // namespace tf
