#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/image/png_codec.h"
#include "core/image/png_stream_decoder.h"
#include "test_support.h"
#include "zlib_streams.h"

namespace tf {
namespace {

using test::imagesEqual;

std::string be32(uint32_t v) { return test::bigEndian32(v); }

std::string chunk(const char* type, const std::string& body) {
    const std::string typed = std::string(type, 4) + body;
    return be32(static_cast<uint32_t>(body.size())) + typed +
           be32(pngCrc32(reinterpret_cast<const uint8_t*>(typed.data()), typed.size()));
}

struct Layout {
    uint32_t width, height;
    uint8_t depth, colour;
};

uint32_t rowBytes(const Layout& l) {
    const uint32_t channels = l.colour == 2 ? 3 : l.colour == 4 ? 2 : l.colour == 6 ? 4 : 1;
    return (l.width * channels * l.depth + 7) / 8;
}

// Random row bytes behind the given filter bytes: whatever they unfilter to
// is a valid image, so every filter meets every kind of neighbour.
std::string rawRows(const Layout& l, const std::vector<uint8_t>& filters, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string raw;
    for (uint32_t y = 0; y < l.height; ++y) {
        raw.push_back(static_cast<char>(filters[y % filters.size()]));
        for (uint32_t i = 0; i < rowBytes(l); ++i) raw.push_back(static_cast<char>(rng() & 0xFF));
    }
    return raw;
}

std::string pngFile(const Layout& l, const std::string& raw, const std::string& extra = "", size_t idatSize = 1000) {
    std::string out = "\x89PNG\r\n\x1a\n";
    out += chunk("IHDR", be32(l.width) + be32(l.height) +
                             std::string{static_cast<char>(l.depth), static_cast<char>(l.colour), 0, 0, 0});
    out += extra;
    const std::string z = test::storedZlibStream(raw);
    for (size_t at = 0; at < z.size(); at += idatSize) out += chunk("IDAT", z.substr(at, idatSize));
    return out + chunk("IEND", "");
}

class CollectRows : public DecodedRowSink {
public:
    explicit CollectRows(const PngHeader& h, int32_t stopAfter = -1)
        : image(static_cast<int32_t>(h.width), static_cast<int32_t>(h.height)), stopAfter_(stopAfter) {}
    uint32_t* rowBuffer(int32_t y) override { return image.row(y); }
    bool rowsDone(int32_t rows) override {
        EXPECT_GE(rows, done);
        done = rows;
        return stopAfter_ < 0 || rows < stopAfter_;
    }
    PixelImage image;
    int32_t done = 0;

private:
    int32_t stopAfter_;
};

struct Decoded {
    PngStreamResult header = PngStreamResult::Damaged, rows = PngStreamResult::Damaged;
    PixelImage image;
    int32_t rowsDone = 0;
};

Decoded decode(const std::string& bytes, int32_t stopAfter = -1) {
    MemorySource source(bytes.data(), bytes.size());
    PngStreamDecoder decoder(source);
    Decoded d;
    d.header = decoder.readHeader();
    if (d.header != PngStreamResult::Decoded) return d;
    CollectRows sink(decoder.header(), stopAfter);
    d.rows = decoder.decodeRows(sink);
    d.image = std::move(sink.image);
    d.rowsDone = sink.done;
    return d;
}

// The platform's reader is the reference for what each layout means.
PixelImage reference(const std::string& bytes) {
    test::ScratchDir dir;
    test::writeFile(dir / "ref.png", bytes);
    return loadPng(dir / "ref.png");
}

std::string palette(int entries, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string p;
    for (int i = 0; i < entries * 3; ++i) p.push_back(static_cast<char>(rng() & 0xFF));
    return p;
}

TEST(PngStreamDecoder, EveryLayoutAndFilterDecodesAsThePlatformReaderDoes) {
    const std::string fullPalette = chunk("PLTE", palette(256, 3));
    const struct {
        const char* name;
        Layout layout;
        std::string extra;
    } cases[] = {
        {"rgba8", {37, 29, 8, 6}, ""},
        {"rgba16", {19, 11, 16, 6}, ""},
        {"rgb8", {23, 17, 8, 2}, ""},
        {"rgb8 with a key colour", {23, 17, 8, 2}, chunk("tRNS", std::string("\0\x10\0\x20\0\x30", 6))},
        {"rgb16", {9, 7, 16, 2}, ""},
        {"grey1", {45, 13, 1, 0}, ""},
        {"grey2", {21, 9, 2, 0}, ""},
        {"grey4", {13, 9, 4, 0}, ""},
        {"grey8 with a key", {31, 9, 8, 0}, chunk("tRNS", std::string("\0\x80", 2))},
        {"grey16", {11, 9, 16, 0}, ""},
        {"grey-alpha8", {17, 9, 8, 4}, ""},
        {"grey-alpha16", {7, 5, 16, 4}, ""},
        {"palette8 with alpha", {29, 15, 8, 3}, fullPalette + chunk("tRNS", palette(40, 9).substr(0, 100))},
        {"palette4", {15, 9, 4, 3}, chunk("PLTE", palette(16, 4))},
        {"palette1", {33, 5, 1, 3}, chunk("PLTE", palette(2, 5))},
        {"one pixel", {1, 1, 8, 6}, ""},
    };
    const std::vector<uint8_t> filters = {0, 1, 2, 3, 4, 4, 3, 2, 1, 0, 2};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = pngFile(c.layout, rawRows(c.layout, filters, c.layout.width), c.extra, 97);
        const Decoded d = decode(file);
        ASSERT_EQ(d.header, PngStreamResult::Decoded);
        EXPECT_EQ(d.rows, PngStreamResult::Decoded);
        EXPECT_EQ(d.rowsDone, static_cast<int32_t>(c.layout.height));
        EXPECT_TRUE(imagesEqual(reference(file), d.image));
    }
}

TEST(PngStreamDecoder, ReadsWhatTheProgramSaves) {
    PixelImage image(300, 700);
    std::mt19937 rng(11);
    for (uint32_t& p : image.pixels) p = rng();
    test::ScratchDir dir;
    savePng(image, dir / "saved.png");
    const Decoded d = decode(test::readFile(dir / "saved.png"));
    ASSERT_EQ(d.rows, PngStreamResult::Decoded);
    EXPECT_TRUE(imagesEqual(image, d.image));
}

TEST(PngStreamDecoder, StopsWhenTheSinkAsks) {
    const Layout l{64, 4000, 8, 6};
    const Decoded d = decode(pngFile(l, rawRows(l, {0}, 1), "", 4096), 100);
    EXPECT_EQ(d.rows, PngStreamResult::Stopped);
    EXPECT_GE(d.rowsDone, 100);
    EXPECT_LT(d.rowsDone, 4000);
}

TEST(PngStreamDecoder, InterlacedFilesAreLeftToThePlatform) {
    std::string file = pngFile({8, 8, 8, 6}, std::string(8 * 33, '\0'));
    std::string ihdr = be32(8) + be32(8) + std::string("\x08\x06\x00\x00\x01", 5);
    file.replace(8, 25, chunk("IHDR", ihdr));
    EXPECT_EQ(decode(file).header, PngStreamResult::Unsupported);
}

// A damaged file is refused with Damaged at the fault, whatever it is; the
// rows before it may have been shown, the rest never are.
TEST(PngStreamDecoder, DamagedAndCutOffFilesAreRefused) {
    const Layout l{40, 120, 8, 6};
    const std::string raw = rawRows(l, {0, 1, 4}, 2);
    const std::string good = pngFile(l, raw, "", 1500);
    ASSERT_EQ(decode(good).rows, PngStreamResult::Decoded);
    const size_t firstData = good.find("IDAT") + 4;
    auto flipped = [&](size_t at) {
        std::string b = good;
        b[at] = static_cast<char>(b[at] ^ 0x40);
        return b;
    };
    std::string badFilter = raw;
    badFilter[static_cast<size_t>(rowBytes(l) + 1) * 60] = 5;
    std::string wrongLength = good;
    wrongLength[firstData - 5] = static_cast<char>(0x7F);  // the first IDAT claims far more than the file holds
    const struct {
        const char* name;
        std::string bytes;
        PngStreamResult header, rows;
    } cases[] = {
        {"cut inside the signature", good.substr(0, 5), PngStreamResult::NotPng, PngStreamResult::Damaged},
        {"cut inside the header", good.substr(0, 20), PngStreamResult::Damaged, PngStreamResult::Damaged},
        {"header checksum", flipped(30), PngStreamResult::Damaged, PngStreamResult::Damaged},
        {"cut in the middle of the data", good.substr(0, good.size() / 2), PngStreamResult::Decoded,
         PngStreamResult::Damaged},
        {"cut before IEND", good.substr(0, good.size() - 12), PngStreamResult::Decoded, PngStreamResult::Damaged},
        {"a data byte flipped", flipped(firstData + 3000), PngStreamResult::Decoded, PngStreamResult::Damaged},
        {"a bad filter type", pngFile(l, badFilter, "", 1500), PngStreamResult::Decoded, PngStreamResult::Damaged},
        {"a chunk length past the end", wrongLength, PngStreamResult::Decoded, PngStreamResult::Damaged},
        {"rows missing", pngFile(l, raw.substr(0, raw.size() / 3)), PngStreamResult::Decoded, PngStreamResult::Damaged},
        {"rows to spare", pngFile(l, raw + raw.substr(0, 41)), PngStreamResult::Decoded, PngStreamResult::Damaged},
        {"not a PNG at all", std::string("GIF89a") + std::string(100, 'x'), PngStreamResult::NotPng,
         PngStreamResult::Damaged},
        {"too wide", pngFile({kMaxStreamedPngWidth + 1, 1, 8, 6}, ""), PngStreamResult::TooLarge,
         PngStreamResult::Damaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = decode(c.bytes);
        EXPECT_EQ(d.header, c.header);
        if (c.header == PngStreamResult::Decoded) {
            EXPECT_EQ(d.rows, c.rows);
        }
    }
}

}  // namespace
}  // namespace tf
