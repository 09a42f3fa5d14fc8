// The bands of the review's scaled cache: their size, the rows they need, and
// the pixels they get when the view shrinks, keeps or enlarges the image.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/review/band_scaler.h"
#include "ground/pixel_image.h"

namespace tf {
namespace {

CacheBand bandOf(double scale, int64_t first, int64_t end, int64_t across, Span64 image, Span64 acrossImage = {}) {
    CacheBand b;
    b.scale = scale;
    b.windowPixels = {first, end};
    b.acrossWindowPixels = {0, across};
    b.imagePositions = image;
    b.acrossImagePositions = acrossImage;
    return b;
}

// Each pixel's blue byte is its column, its green byte its row.
PixelImage gradient(int32_t w, int32_t h) {
    PixelImage image(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) image.at(x, y) = static_cast<uint32_t>(y) << 8 | static_cast<uint32_t>(x);
    return image;
}

std::vector<uint32_t> scaled(const PixelImage& image, const CacheBand& band, bool sideways) {
    const BandSize size = bandSize(band, sideways);
    std::vector<uint32_t> out(static_cast<size_t>(size.width) * static_cast<size_t>(size.height));
    scaleBand(image.pixels.data(), image.width, image.height, band, sideways, out.data());
    return out;
}

TEST(BandScaler, SizesAndSourceRowsFollowTheDirection) {
    const CacheBand b = bandOf(0.5, 512, 1024, 960, {1024, 2048}, {0, 1920});
    EXPECT_EQ(bandSize(b, false), (BandSize{960, 512}));
    EXPECT_EQ(bandSize(b, true), (BandSize{512, 960}));
    EXPECT_EQ(bandSourceRows(b, false, 5000), (Span64{1024, 2048}));
    // A sideways tile reads the rows across it, within the image.
    EXPECT_EQ(bandSourceRows(b, true, 1920), (Span64{0, 1920}));
    EXPECT_EQ(bandSourceRows(b, true, 1000), (Span64{0, 1000}));
}

TEST(BandScaler, PixelsAtEachScale) {
    const PixelImage image = gradient(8, 8);
    const struct {
        const char* name;
        double scale;
        bool sideways;
        int64_t first, end, across;
        std::vector<uint32_t> want;
    } cases[] = {
        // One to one: the image's own pixels, made opaque.
        {"same", 1.0, false, 2, 3, 3, {0xFF000200u, 0xFF000201u, 0xFF000202u}},
        // Halved: the mean of each 2 x 2 block, rounded.
        {"half", 0.5, false, 1, 2, 4, {0xFF000301u, 0xFF000303u, 0xFF000305u, 0xFF000307u}},
        // Doubled: each image pixel under two window pixels.
        {"double", 2.0, false, 5, 6, 4, {0xFF000200u, 0xFF000200u, 0xFF000201u, 0xFF000201u}},
        // Sideways the band runs across the columns: window column 3 is image column 3.
        {"sideways", 1.0, true, 3, 4, 3, {0xFF000003u, 0xFF000103u, 0xFF000203u}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CacheBand band = bandOf(c.scale, c.first, c.end, c.across, {});
        EXPECT_EQ(scaled(image, band, c.sideways), c.want);
    }
}

TEST(BandScaler, FarOutViewsSampleAFewPixelsAndKeepFlatColours) {
    PixelImage image(64, 640, 0x00336699u);
    // A window pixel covers 16 x 16 image pixels here; a flat colour stays itself.
    const CacheBand band = bandOf(1.0 / 16, 0, 40, 4, {});
    for (uint32_t p : scaled(image, band, false)) EXPECT_EQ(p, 0xFF336699u);
    // The last window pixel of an image whose length does not divide still reads inside it.
    const PixelImage odd = gradient(5, 7);
    const CacheBand edge = bandOf(0.5, 3, 4, 2, {});
    EXPECT_EQ(scaled(odd, edge, false), (std::vector<uint32_t>{0xFF000601u, 0xFF000603u}));
}

// The tiles of a view, each scaled on its own, put side by side are the
// whole scaled image: no seam, gap or shifted sample where tiles meet.
TEST(BandScaler, TilesTogetherAreTheWholeScaledImage) {
    const PixelImage image = gradient(150, 130);
    for (const bool sideways : {false, true}) {
        for (const double zoom : {0.37, 1.0, 3.0, 8.0}) {
            SCOPED_TRACE(std::to_string(zoom) + (sideways ? " sideways" : ""));
            ReviewView view(image.width, image.height, sideways);
            view.setViewport(sideways ? 500 : 400, sideways ? 400 : 500, 96);
            view.fit();
            for (int notches = 0; view.scale() < zoom && notches < 40; ++notches) view.zoomAt(kWheelDeltaNotch, 0, 0);
            const CacheBand first = view.band(0, 0);
            const auto tiles = [&](bool acrossAxis) {
                const int64_t length = acrossAxis ? (sideways ? image.height : image.width) : (sideways ? image.width : image.height);
                const auto scaledLength = static_cast<int64_t>(std::llround(length * view.scale()));
                return (scaledLength + kCacheBandPixels - 1) / kCacheBandPixels;
            };
            // One band across the whole image, scaled at once.
            CacheBand whole = first;
            whole.windowPixels = {0, view.band(tiles(false) - 1, 0).windowPixels.end};
            whole.acrossWindowPixels = {0, view.band(0, tiles(true) - 1).acrossWindowPixels.end};
            const std::vector<uint32_t> want = scaled(image, whole, sideways);
            const BandSize wholeSize = bandSize(whole, sideways);
            std::vector<uint32_t> got(want.size(), 0u);
            for (int64_t i = 0; i < tiles(false); ++i) {
                for (int64_t j = 0; j < tiles(true); ++j) {
                    const CacheBand tile = view.band(i, j);
                    const BandSize size = bandSize(tile, sideways);
                    const std::vector<uint32_t> pixels = scaled(image, tile, sideways);
                    const int64_t x0 = sideways ? tile.windowPixels.first : tile.acrossWindowPixels.first;
                    const int64_t y0 = sideways ? tile.acrossWindowPixels.first : tile.windowPixels.first;
                    for (int32_t y = 0; y < size.height; ++y)
                        for (int32_t x = 0; x < size.width; ++x)
                            got[static_cast<size_t>((y0 + y) * wholeSize.width + x0 + x)] =
                                pixels[static_cast<size_t>(y * size.width + x)];
                }
            }
            EXPECT_EQ(got, want);
        }
    }
}

}  // namespace
}  // namespace tf
