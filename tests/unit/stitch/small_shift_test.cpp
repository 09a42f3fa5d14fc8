#include <gtest/gtest.h>

#include "core/stitch/small_shift.h"
#include "test_support.h"

namespace tf {
namespace {

using test::cropRows;
using test::makeDocumentPage;

void paintBand(PixelImage& f, int32_t y0, int32_t y1, uint32_t colour) {
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = 0; x < f.width; ++x) f.at(x, y) = colour;
}

struct Framing {
    bool header;
    bool footer;
};

std::pair<PixelImage, PixelImage> shiftedPair(int32_t shift, Framing framing, uint32_t seed = 3) {
    const PixelImage page = makeDocumentPage(800, 1600, seed);
    PixelImage a = cropRows(page, 400, 500), b = cropRows(page, 400 + shift, 500);
    for (PixelImage* f : {&a, &b}) {
        if (framing.header) {
            paintBand(*f, 0, 40, 0xFF2B2B60u);
            paintBand(*f, 18, 22, 0xFFFFFFFFu);
        }
        if (framing.footer) paintBand(*f, 470, 500, 0xFF444444u);
    }
    return {a, b};
}

TEST(SmallShift, RecognisesMotionsOfOneToSevenRows) {
    for (Framing framing : {Framing{false, false}, Framing{true, false}, Framing{false, true}, Framing{true, true}})
        for (int32_t shift = 1; shift <= kSmallShiftMaxRows; ++shift) {
            SCOPED_TRACE(testing::Message() << "shift " << shift << " header " << framing.header << " footer "
                                            << framing.footer);
            auto [a, b] = shiftedPair(shift, framing);
            EXPECT_EQ(smallShiftRows(a, b), shift);
        }
}

TEST(SmallShift, IsNoAnswerForOtherMotions) {
    for (int32_t shift : {0, 8, 9, 12, 40, 200, -3}) {
        SCOPED_TRACE(shift);
        auto [a, b] = shiftedPair(shift, {true, true});
        EXPECT_EQ(smallShiftRows(a, b), 0);
    }
    const PixelImage a = cropRows(makeDocumentPage(800, 600, 1), 0, 500);
    const PixelImage b = cropRows(makeDocumentPage(800, 600, 2), 0, 500);
    EXPECT_EQ(smallShiftRows(a, b), 0);
}

TEST(SmallShift, ARealChangeInAFewRowsIsNotAShift) {
    auto [a, b] = shiftedPair(3, {false, false});
    paintBand(b, 200, 206, 0xFF000000u);  // content that appeared in the shifted frame
    EXPECT_EQ(smallShiftRows(a, b), 0);
}

TEST(SmallShift, ToleratesABlinkingCaret) {
    auto [a, b] = shiftedPair(3, {false, false});
    for (int32_t y = 210; y < 234; ++y)
        for (int32_t x = 400; x < 402; ++x) b.at(x, y) = 0xFF000000u;
    EXPECT_EQ(smallShiftRows(a, b), 3);
}

TEST(SmallShift, FramesTooSmallAreNeverAShift) {
    const PixelImage a(1, 500, 0xFF000000u), b(640, 20, 0xFF000000u);
    EXPECT_EQ(smallShiftRows(a, a), 0);
    EXPECT_EQ(smallShiftRows(b, b), 0);
    EXPECT_EQ(smallShiftRows(PixelImage{}, PixelImage{}), 0);
}

}  // namespace
}  // namespace tf

#include "core/image/png_codec.h"

namespace tf {
namespace {

TEST(SmallShift, RealDocumentationPages) {
    for (const char* name : {"debref-ch05", "git-tutorial-small-notch", "py-functions-small-rect",
                             "py-tutorial-controlflow", "rust-strings-content"}) {
        const PixelImage truth = loadPng(test::testDataDir() / "corpus" / name / "truth.png");
        const int32_t h = std::min(truth.height - 400, 700);
        for (int32_t shift : {0, 2, 5, 7, 8, 30}) {
            SCOPED_TRACE(testing::Message() << name << " shift " << shift);
            const PixelImage a = test::cropRows(truth, 300, h), b = test::cropRows(truth, 300 + shift, h);
            EXPECT_EQ(smallShiftRows(a, b), shift >= 1 && shift <= kSmallShiftMaxRows ? shift : 0);
        }
    }
}

}  // namespace
}  // namespace tf
