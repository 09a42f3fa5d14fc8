#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/image/clipboard_dib.h"

namespace tf {
namespace {

void le32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

TEST(ClipboardDib, SmallImageByteForByte) {
    // Three columns, two rows, every pixel different and a translucent one.
    PixelImage image(3, 2);
    image.at(0, 0) = 0xFF102030;
    image.at(1, 0) = 0x80405060;
    image.at(2, 0) = 0x00708090;
    image.at(0, 1) = 0xFFA0B0C0;
    image.at(1, 1) = 0xFFD0E0F0;
    image.at(2, 1) = 0x01020304;

    std::vector<uint8_t> expected;
    le32(expected, 124);                    // header size
    le32(expected, 3);                      // width
    le32(expected, 2);                      // height, positive: bottom-up
    expected.insert(expected.end(), {1, 0, 32, 0});  // planes, bits per pixel
    le32(expected, 3);                      // BI_BITFIELDS
    le32(expected, 24);                     // pixel bytes
    for (int i = 0; i < 4; ++i) le32(expected, 0);  // resolution, colours
    le32(expected, 0x00FF0000);
    le32(expected, 0x0000FF00);
    le32(expected, 0x000000FF);
    le32(expected, 0xFF000000);
    expected.insert(expected.end(), {'B', 'G', 'R', 's'});  // LCS_sRGB, little-endian
    expected.insert(expected.end(), 48, 0);                 // end points, gamma
    le32(expected, 4);                                      // LCS_GM_IMAGES
    for (int i = 0; i < 3; ++i) le32(expected, 0);
    ASSERT_EQ(expected.size(), 124u);
    // Bottom row first, blue green red alpha.
    expected.insert(expected.end(), {0xC0, 0xB0, 0xA0, 0xFF, 0xF0, 0xE0, 0xD0, 0xFF, 0x04, 0x03, 0x02, 0x01});
    expected.insert(expected.end(), {0x30, 0x20, 0x10, 0xFF, 0x60, 0x50, 0x40, 0x80, 0x90, 0x80, 0x70, 0x00});

    const auto bytes = packedDibV5(image);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, expected);
}

TEST(ClipboardDib, SizesThatDoNotFitAreRefused) {
    struct Case {
        int64_t width, height;
        bool fits;
        uint64_t size;
    } cases[] = {
        {1, 1, true, 128},
        {1920, 1080, true, 1920ull * 1080 * 4 + 124},
        // The largest block: 0xFFFFFFFF − 124 pixel bytes round down to whole pixels.
        {1, (0xFFFFFFFFull - 124) / 4, true, (0xFFFFFFFFull - 124) / 4 * 4 + 124},
        {1, (0xFFFFFFFFull - 124) / 4 + 1, false, 0},
        {1920, 600000, false, 0},     // a long screenshot past 4 GiB
        {65536, 65536, false, 0},     // 2^34 bytes: wraps to 0 in 32 bits
        {0, 10, false, 0},
        {10, 0, false, 0},
        {-1, 10, false, 0},
        {10, -4, false, 0},
        {int64_t{INT32_MAX} + 1, 1, false, 0},
        // Wide images: the row pitch must stay a positive 32-bit number.
        {536870911, 1, true, 536870911ull * 4 + 124},
        {536870912, 1, false, 0},     // 2 GiB, under the block limit, but its pitch is 2^31
        {192000, 1080, true, 192000ull * 1080 * 4 + 124},  // a sideways capture of 100 full-HD frames
        {1000000, 1080, false, 0},    // past 4 GiB
    };
    for (const Case& c : cases) {
        const auto size = packedDibV5Size(c.width, c.height);
        EXPECT_EQ(size.has_value(), c.fits) << c.width << "x" << c.height;
        if (size && c.fits) {
            EXPECT_EQ(*size, c.size) << c.width << "x" << c.height;
        }
    }
}

TEST(ClipboardDib, FormatsFollowTheFileAndWhatCanBeDecodedBack) {
    struct Case {
        const char* name;
        uint64_t fileBytes, width, height;
        bool png, dib;
    } cases[] = {
        {"a screen", 2'000'000, 1920, 1080, true, true},
        {"wide, within the decoder's sides", 30'000'000, 32768, 1080, true, true},
        {"wider than the decoder reads back", 40'000'000, 32769, 1080, true, false},
        {"longer than the decoder reads back", 40'000'000, 1080, 40000, true, false},
        {"pixels past 4 GiB, file small", 90'000'000, 1920, 600000, false, false},
        {"file past 4 GiB", 0x100000000ull, 1920, 600000, false, false},
        {"empty file", 0, 10, 10, false, false},
        {"no pixels", 100, 0, 10, false, false},
    };
    for (const Case& c : cases) {
        const ClipboardFormats f = clipboardFormatsFor(c.fileBytes, c.width, c.height);
        EXPECT_EQ(f.png, c.png) << c.name;
        EXPECT_EQ(f.dibV5, c.dib) << c.name;
    }
}

TEST(ClipboardDib, WritingNeedsABlockOfExactlyTheRightSize) {
    PixelImage image(4, 4, 0xFF00FF00);
    std::vector<uint8_t> small(124 + 63, 0xAB), large(124 + 65, 0xAB);
    EXPECT_FALSE(writePackedDibV5(image, small));
    EXPECT_FALSE(writePackedDibV5(image, large));
    EXPECT_EQ(small, std::vector<uint8_t>(124 + 63, 0xAB));  // untouched
    std::vector<uint8_t> exact(124 + 64);
    EXPECT_TRUE(writePackedDibV5(image, exact));
    EXPECT_FALSE(packedDibV5(PixelImage()).has_value());
    // Pixels that do not match the stated size are refused, not read past.
    PixelImage broken(4, 4);
    broken.pixels.resize(3);
    EXPECT_FALSE(packedDibV5(broken).has_value());
}

TEST(ClipboardDib, PngHeaderGivesTheSizeBeforeDecoding) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                0, 0, 0x07, 0x80, 0x00, 0x09, 0x27, 0xC0};
    const auto size = pngHeaderSize(png);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 1920u);
    EXPECT_EQ(size->height, 600000u);

    auto broken = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = png;
        b[at] = value;
        return pngHeaderSize(b).has_value();
    };
    EXPECT_FALSE(broken(1, 'p'));      // signature
    EXPECT_FALSE(broken(12, 'i'));     // not IHDR
    EXPECT_FALSE(broken(16, 0x80));    // width past 2^31
    std::vector<uint8_t> zeroWidth = png;
    zeroWidth[18] = zeroWidth[19] = 0;
    EXPECT_FALSE(pngHeaderSize(zeroWidth).has_value());
    EXPECT_FALSE(pngHeaderSize(std::span<const uint8_t>(png.data(), 23)).has_value());
}

}  // namespace
}  // namespace tf
