#include "ground/pixel_image.h"

#include <gtest/gtest.h>

namespace tf {
namespace {

// Every pixel distinct, so that any misplaced one shows.
PixelImage numbered(int32_t width, int32_t height) {
    PixelImage image(width, height);
    for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint32_t>(i * 2654435761u);
    return image;
}

TEST(Transpose, MovesEveryPixelAcrossTheDiagonal) {
    // Sizes on both sides of the tile edge, single rows and columns, and a
    // frame as wide as a screen.
    const struct {
        int32_t width, height;
    } sizes[] = {{1, 1}, {1, 70}, {70, 1}, {31, 33}, {32, 32}, {33, 31}, {64, 65}, {97, 3}, {1920, 1080}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const PixelImage image = numbered(size.width, size.height);
        const PixelImage out = transposed(image);
        ASSERT_EQ(out.width, size.height);
        ASSERT_EQ(out.height, size.width);
        ASSERT_EQ(out.pixels.size(), image.pixels.size());
        bool same = true;
        for (int32_t y = 0; y < image.height && same; ++y)
            for (int32_t x = 0; x < image.width && same; ++x) same = out.at(y, x) == image.at(x, y);
        EXPECT_TRUE(same);
        EXPECT_EQ(transposed(out).pixels, image.pixels);
    }
}

TEST(Transpose, AnEmptyImageStaysEmpty) {
    EXPECT_TRUE(transposed(PixelImage{}).empty());
    EXPECT_TRUE(transposed(PixelImage(0, 5)).pixels.empty());
}

TEST(Transpose, BlockWritesOnlyItsRectangle) {
    // Columns 2..6 of rows 1..3 of a 9 × 4 source into a buffer of pitch 10.
    const PixelImage source = numbered(9, 4);
    std::vector<uint32_t> out(10 * 6, 0xDEADBEEFu);
    transposeBlock(source.row(1) + 2, 9, out.data() + 1, 10, 3, 5);
    for (int32_t x = 0; x < 6; ++x)
        for (int32_t y = 0; y < 10; ++y) {
            const uint32_t got = out[static_cast<size_t>(x) * 10 + static_cast<size_t>(y)];
            if (x < 5 && y >= 1 && y < 4)
                EXPECT_EQ(got, source.at(2 + x, y)) << x << "," << y;
            else
                EXPECT_EQ(got, 0xDEADBEEFu) << x << "," << y;
        }
}

}  // namespace
}  // namespace tf
