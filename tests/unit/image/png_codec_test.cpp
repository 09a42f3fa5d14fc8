#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

#include "core/image/atomic_file.h"
#include "core/image/png_codec.h"
#include "core/image/png_codec_check.h"
#include "test_support.h"
#include "zlib_streams.h"

namespace tf {
namespace {

namespace fs = std::filesystem;

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

std::string be32(uint32_t v) {
    std::string out;
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
    return out;
}

std::string ihdrBody(uint32_t w, uint32_t h, uint8_t depth = 8, uint8_t colour = 6, uint8_t interlace = 0) {
    return be32(w) + be32(h) + std::string{static_cast<char>(depth), static_cast<char>(colour), 0, 0,
                                           static_cast<char>(interlace)};
}

std::string storedZlib(const std::string& data) { return test::storedZlibStream(data); }

// A sound PNG whose header claims w x h RGBA pixels while its data holds only
// `rows` rows (filter byte 0, grey pixels).
std::string pngWithRows(uint32_t w, uint32_t h, uint32_t rows, uint8_t interlace = 0) {
    std::string raw;
    for (uint32_t r = 0; r < rows; ++r) raw += std::string(1, '\0') + std::string(size_t{w} * 4, '\x80');
    std::string out = "\x89PNG\r\n\x1a\n";
    putChunk(out, "IHDR", ihdrBody(w, h, 8, 6, interlace));
    putChunk(out, "IDAT", storedZlib(raw));
    putChunk(out, "IEND", "");
    return out;
}

PngCheck checkBytes(const std::string& bytes) {
    MemorySource source(bytes.data(), bytes.size());
    PngHeader header;
    return checkPngStructure(source, header);
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
    // Wide images meet the block limit by their width alone.
    EXPECT_TRUE(pngSizeWritable(192000, 1080));  // 100 full-HD frames scrolled sideways
    EXPECT_TRUE(pngSizeWritable(4194303, 1080));
    EXPECT_FALSE(pngSizeWritable(4194304, 1080));
    EXPECT_FALSE(pngSizeWritable(INT32_MAX, 32));
    EXPECT_FALSE(pngSizeWritable(0, 10));
    EXPECT_FALSE(pngSizeWritable(10, 0));
    EXPECT_FALSE(pngSizeWritable(-5, 10));
    EXPECT_TRUE(pngSizeReadable(32768, 32767));
    EXPECT_FALSE(pngSizeReadable(32768, 32768));  // exactly 4 GiB
    EXPECT_FALSE(pngSizeReadable(70000, 70000));
    EXPECT_FALSE(pngSizeReadable(0, 10));
    EXPECT_TRUE(pngSizeReadable(32767, 32767));
    EXPECT_FALSE(pngSizeReadable(32769, 1));     // no screen is that wide
    EXPECT_FALSE(pngSizeReadable(2147483647, 1));
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

TEST(Png, ReplacesAnExistingFileAndLeavesNothingElse) {
    ScratchDir dir;
    savePng(randomImage(50, 50, 1), dir / "a.png");
    const PixelImage second = randomImage(20, 30, 2);
    savePng(second, dir / "a.png");
    EXPECT_TRUE(imagesEqual(second, loadPng(dir / "a.png")));
    EXPECT_EQ(test::entriesOf(dir.path()), std::vector<std::string>{"a.png"});
}

TEST(Png, AFailedSaveKeepsTheOldFileAndRemovesItsTemporary) {
    ScratchDir dir;
    savePng(randomImage(30, 30, 7), dir / "old.png");
    const std::string before = test::readFile(dir / "old.png");
    // A read-only file is not replaced (as on Windows, also for a user who could).
    fs::permissions(dir / "old.png", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(pngMessage([&] { savePng(randomImage(40, 40, 8), dir / "old.png"); }), "open png failed");
    fs::permissions(dir / "old.png", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(test::readFile(dir / "old.png"), before);
    // A folder in the file's place.
    fs::create_directories(dir / "folder.png");
    EXPECT_EQ(pngMessage([&] { savePng(randomImage(40, 40, 8), dir / "folder.png"); }), "open png failed");
    EXPECT_EQ(test::entriesOf(dir.path()), (std::vector<std::string>{"folder.png", "old.png"}));
    EXPECT_TRUE(fs::is_empty(dir / "folder.png"));
}

TEST(Png, SavingAsNewNeverReplacesAnything) {
    ScratchDir dir;
    const PixelImage a = randomImage(10, 10, 1), b = randomImage(11, 10, 2), c = randomImage(12, 10, 3);
    EXPECT_EQ(savePngAsNew(a, dir.path(), "shot"), dir / "shot.png");
    EXPECT_EQ(savePngAsNew(b, dir.path(), "shot"), dir / "shot-2.png");
    fs::create_directories(dir / "shot-3.png");  // taken by anything, not only by files
    EXPECT_EQ(savePngAsNew(c, dir.path(), "shot"), dir / "shot-4.png");
    EXPECT_TRUE(imagesEqual(a, loadPng(dir / "shot.png")));
    EXPECT_TRUE(imagesEqual(b, loadPng(dir / "shot-2.png")));
    EXPECT_TRUE(imagesEqual(c, loadPng(dir / "shot-4.png")));
    EXPECT_EQ(test::entriesOf(dir.path()), (std::vector<std::string>{"shot-2.png", "shot-3.png", "shot-4.png", "shot.png"}));
}

TEST(Png, SavingAsNewFailsCleanlyWhenEveryNameIsTaken) {
    ScratchDir dir;
    for (unsigned n = 1; n <= kMaxNumberedNames; ++n) test::writeFile(dir.path() / numberedFileName("x", n, ".png"), "");
    EXPECT_EQ(pngMessage([&] { savePngAsNew(randomImage(5, 5, 1), dir.path(), "x"); }), "open png failed");
    size_t entries = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) {
        ++entries;
        EXPECT_EQ(fs::file_size(e.path()), 0u) << e.path();
    }
    EXPECT_EQ(entries, kMaxNumberedNames);
}

TEST(AtomicFile, RandomAccessSeesBufferedWrites) {
    // The Windows encoder's stream reads back, seeks and resizes.
    ScratchDir dir;
    AtomicFile file;
    ASSERT_TRUE(file.create(dir.path()));
    EXPECT_EQ(file.temporaryPath().parent_path(), dir.path());
    EXPECT_NE(file.temporaryPath().extension(), fs::path(".png"));
    ASSERT_TRUE(file.write("hello world", 11));
    uint64_t at = 0, size = 0;
    ASSERT_TRUE(file.size(size));
    EXPECT_EQ(size, 11u);
    ASSERT_TRUE(file.seek(6, 0, at));
    EXPECT_EQ(at, 6u);
    char got[5] = {};
    size_t n = 0;
    ASSERT_TRUE(file.read(got, 5, n));
    EXPECT_EQ(std::string(got, n), "world");
    ASSERT_TRUE(file.seek(-5, 2, at));
    ASSERT_TRUE(file.write("WORLD", 5));
    ASSERT_TRUE(file.setSize(8));
    ASSERT_TRUE(file.seek(0, 1, at));
    EXPECT_EQ(at, 11u);  // resizing keeps the position
    ASSERT_TRUE(file.finish());
    const fs::path temporary = file.temporaryPath();
    EXPECT_EQ(test::readFile(temporary), "hello WO");
    EXPECT_EQ(file.publish(dir / "out.bin", false), PublishOutcome::Published);
    EXPECT_EQ(test::readFile(dir / "out.bin"), "hello WO");
    EXPECT_FALSE(fs::exists(temporary));
}

TEST(AtomicFile, UnpublishedFilesAreRemoved) {
    ScratchDir dir;
    fs::path open, finished;
    {
        AtomicFile a, b;
        ASSERT_TRUE(a.create(dir.path()));
        ASSERT_TRUE(b.create(dir.path()));
        EXPECT_NE(a.temporaryPath(), b.temporaryPath());
        ASSERT_TRUE(a.write("x", 1));
        ASSERT_TRUE(b.write("y", 1));
        ASSERT_TRUE(b.finish());
        test::writeFile(dir / "taken", "old");
        EXPECT_EQ(b.publish(dir / "taken", false), PublishOutcome::NameTaken);
        open = a.temporaryPath();
        finished = b.temporaryPath();
        EXPECT_TRUE(fs::exists(open));
        EXPECT_TRUE(fs::exists(finished));
    }
    EXPECT_EQ(test::entriesOf(dir.path()), std::vector<std::string>{"taken"});
    EXPECT_EQ(test::readFile(dir / "taken"), "old");
    AtomicFile missing;
    EXPECT_FALSE(missing.create(dir / "no" / "such" / "folder"));
}

TEST(NumberedFileName, NumbersGoBeforeTheExtension) {
    EXPECT_EQ(numberedFileName("tallyframe-20261207-084712", 1, ".png"), fs::path("tallyframe-20261207-084712.png"));
    EXPECT_EQ(numberedFileName("tallyframe-20261207-084712", 2, ".png"), fs::path("tallyframe-20261207-084712-2.png"));
    EXPECT_EQ(numberedFileName("a", 17, ".png"), fs::path("a-17.png"));
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

TEST(PngCheck, StructureRules) {
    const std::string sig = "\x89PNG\r\n\x1a\n";
    const std::string idat = storedZlib(std::string(1 + 4 * 2, '\0') + std::string(1 + 4 * 2, '\0'));
    auto file = [&](const std::vector<std::pair<const char*, std::string>>& chunks) {
        std::string out = sig;
        for (const auto& [type, body] : chunks) putChunk(out, type, body);
        return out;
    };
    const std::string ihdr = ihdrBody(2, 2);
    struct Case {
        const char* name;
        std::string bytes;
        PngCheck expected;
    } cases[] = {
        {"sound", file({{"IHDR", ihdr}, {"IDAT", idat}, {"IEND", ""}}), PngCheck::Sound},
        {"ancillary chunks and split data",
         file({{"IHDR", ihdr}, {"tEXt", "a\0b"}, {"IDAT", idat.substr(0, 5)}, {"IDAT", idat.substr(5)}, {"IEND", ""}}),
         PngCheck::Sound},
        {"bytes after IEND are not read", file({{"IHDR", ihdr}, {"IDAT", idat}, {"IEND", ""}}) + "trailing",
         PngCheck::Sound},
        {"empty file", "", PngCheck::NotPng},
        {"other signature", "\xFF\xD8\xFF\xE0" + std::string(40, 'j'), PngCheck::NotPng},
        {"no header first", file({{"IDAT", idat}, {"IHDR", ihdr}, {"IEND", ""}}), PngCheck::NotPng},
        {"no IEND", file({{"IHDR", ihdr}, {"IDAT", idat}}), PngCheck::Damaged},
        {"no image data", file({{"IHDR", ihdr}, {"IEND", ""}}), PngCheck::Damaged},
        {"data interrupted", file({{"IHDR", ihdr}, {"IDAT", idat.substr(0, 5)}, {"tEXt", "a\0b"}, {"IDAT", idat.substr(5)}, {"IEND", ""}}),
         PngCheck::Damaged},
        {"unknown critical chunk", file({{"IHDR", ihdr}, {"ABCD", "x"}, {"IDAT", idat}, {"IEND", ""}}), PngCheck::Damaged},
        {"reserved bit set", file({{"IHDR", ihdr}, {"abcd", "x"}, {"IDAT", idat}, {"IEND", ""}}), PngCheck::Damaged},
        {"palette image without palette", file({{"IHDR", ihdrBody(2, 2, 8, 3)}, {"IDAT", idat}, {"IEND", ""}}),
         PngCheck::Damaged},
        {"palette in a grey image", file({{"IHDR", ihdrBody(2, 2, 8, 0)}, {"PLTE", "abc"}, {"IDAT", idat}, {"IEND", ""}}),
         PngCheck::Damaged},
        {"bit depth 3", file({{"IHDR", ihdrBody(2, 2, 3, 6)}, {"IDAT", idat}, {"IEND", ""}}), PngCheck::Damaged},
        {"zero width", file({{"IHDR", ihdrBody(0, 2)}, {"IDAT", idat}, {"IEND", ""}}), PngCheck::Damaged},
        {"header too short", file({{"IHDR", ihdr.substr(0, 12)}, {"IDAT", idat}, {"IEND", ""}}), PngCheck::Damaged},
        {"wider than a screen", file({{"IHDR", ihdrBody(32769, 1)}, {"IDAT", idat}, {"IEND", ""}}), PngCheck::TooLarge},
        {"2^31-1 wide", file({{"IHDR", ihdrBody(2147483647u, 1)}}), PngCheck::TooLarge},
    };
    for (const Case& c : cases) EXPECT_EQ(checkBytes(c.bytes), c.expected) << c.name;

    // Every single damaged checksum byte, in any chunk, is found.
    const std::string sound = cases[0].bytes;
    for (size_t chunkEnd : {size_t{33}, sound.size() - 12, sound.size()}) {
        for (size_t i = chunkEnd - 4; i < chunkEnd; ++i) {
            std::string bad = sound;
            bad[i] ^= 0x01;
            EXPECT_EQ(checkBytes(bad), PngCheck::Damaged) << "checksum byte " << i;
        }
    }
    // Any cut before IEND is complete.
    for (size_t keep = 8; keep < sound.size(); keep += 3)
        EXPECT_NE(checkBytes(sound.substr(0, keep)), PngCheck::Sound) << keep;
}

// Serves a PNG whose chunk bodies may be long runs of zeros, stored as runs,
// so that files of many megabytes cost no memory.
class GeneratedPng : public ByteSource {
public:
    struct Chunk {
        std::string type;
        uint32_t zeros;    // a body of this many zero bytes when `body` is empty
        std::string body;
        bool rightCrc = true;  // false: a wrong checksum, and none computed
    };
    explicit GeneratedPng(const std::vector<Chunk>& chunks) {
        add("\x89PNG\r\n\x1a\n");
        const std::string zeroBlock(1 << 16, '\0');
        for (const Chunk& c : chunks) {
            const uint32_t length = c.body.empty() ? c.zeros : static_cast<uint32_t>(c.body.size());
            add(be32(length) + c.type + c.body);
            uint32_t crc = pngCrc32(reinterpret_cast<const uint8_t*>(c.type.data()), 4);
            if (c.body.empty()) {
                for (uint32_t left = c.rightCrc ? c.zeros : 0; left > 0;) {
                    const uint32_t n = std::min<uint32_t>(left, static_cast<uint32_t>(zeroBlock.size()));
                    crc = pngCrc32(reinterpret_cast<const uint8_t*>(zeroBlock.data()), n, crc);
                    left -= n;
                }
                segments_.push_back({std::string(), c.zeros});
            } else {
                crc = pngCrc32(reinterpret_cast<const uint8_t*>(c.body.data()), c.body.size(), crc);
            }
            add(be32(c.rightCrc ? crc : ~crc));
        }
    }
    bool read(void* out, size_t size, size_t& got) override {
        auto* bytes = static_cast<uint8_t*>(out);
        got = 0;
        while (got < size && segment_ < segments_.size()) {
            const Segment& s = segments_[segment_];
            const uint64_t length = s.bytes.empty() ? s.zeros : s.bytes.size();
            const size_t n = static_cast<size_t>(std::min<uint64_t>(size - got, length - offset_));
            if (s.bytes.empty()) {
                std::memset(bytes + got, 0, n);
            } else {
                std::memcpy(bytes + got, s.bytes.data() + offset_, n);
            }
            got += n;
            if ((offset_ += n) == length) {
                ++segment_;
                offset_ = 0;
            }
        }
        return true;
    }

private:
    struct Segment {
        std::string bytes;
        uint64_t zeros;
    };
    void add(const std::string& bytes) { segments_.push_back({bytes, 0}); }
    std::vector<Segment> segments_;
    size_t segment_ = 0;
    uint64_t offset_ = 0;
};

TEST(PngCheck, MetadataIsBoundedAcrossChunks) {
    const std::string ihdr = ihdrBody(2, 2);
    const std::string idat = storedZlib(std::string(2 * (1 + 4 * 2), '\0'));
    const uint32_t third = static_cast<uint32_t>(kMaxPngMetadataBytes / 3);
    auto check = [&](std::vector<GeneratedPng::Chunk> middle) {
        std::vector<GeneratedPng::Chunk> chunks = {{"IHDR", 0, ihdr}};
        chunks.insert(chunks.end(), middle.begin(), middle.end());
        chunks.push_back({"IDAT", 0, idat});
        chunks.push_back({"IEND", 0, ""});
        GeneratedPng source(chunks);
        PngHeader header;
        return checkPngStructure(source, header);
    };
    EXPECT_EQ(check({{"zTXt", third, ""}, {"zTXt", third, ""}}), PngCheck::Sound);
    EXPECT_EQ(check({{"zTXt", third, ""}, {"zTXt", third, ""}, {"zTXt", third, ""}, {"tEXt", 0, "a\0b"}}),
              PngCheck::Damaged);
}

// Counts the bytes a check reads: a deterministic measure of what refusing costs.
class CountingSource : public ByteSource {
public:
    explicit CountingSource(ByteSource& inner) : inner_(inner) {}
    bool read(void* data, size_t size, size_t& got) override {
        const bool ok = inner_.read(data, size, got);
        bytes += got;
        return ok;
    }
    uint64_t bytes = 0;

private:
    ByteSource& inner_;
};

// A PNG of w x h RGBA pixels whose image data is `stream`.
std::string pngWithStream(uint32_t w, uint32_t h, const std::string& stream, uint8_t interlace = 0) {
    std::string out = "\x89PNG\r\n\x1a\n";
    putChunk(out, "IHDR", ihdrBody(w, h, 8, 6, interlace));
    putChunk(out, "IDAT", stream);
    putChunk(out, "IEND", "");
    return out;
}

TEST(PngCheck, InflatedImageDataIsTheHeadersRowsExactly) {
    struct Size {
        uint32_t w, h;
        uint8_t depth, colour, interlace;
        uint64_t bytes;
    } sizes[] = {
        {1, 1, 8, 6, 0, 5},
        {1, 1, 8, 6, 1, 5},                  // only the first pass has pixels
        {2, 1, 16, 6, 0, 17},
        {3, 3, 1, 0, 1, 2 + 2 + 2 + 4 + 2},  // passes 1, 4, 5, 6, 7
        {4096, 4096, 8, 2, 0, 4096u * (1 + 4096 * 3)},
    };
    for (const Size& s : sizes) {
        PngHeader h;
        h.width = s.w;
        h.height = s.h;
        h.bitDepth = s.depth;
        h.colourType = s.colour;
        h.interlace = s.interlace;
        EXPECT_EQ(pngImageDataBytes(h), s.bytes) << s.w << "x" << s.h << " interlace " << int{s.interlace};
    }

    const uint64_t rows = 2048u * (1 + 2048 * 4);
    const uint64_t firstPass = 256u * (1 + 256 * 4);
    const std::string badFilter = std::string(1, '\5') + std::string(8, '\0') + std::string(9, '\0');
    struct Case {
        const char* name;
        std::string bytes;
        PngCheck expected;
    } cases[] = {
        {"zeros, every row", pngWithStream(2048, 2048, test::zerosZlibStream(rows, true)), PngCheck::Sound},
        {"a wrong adler32", pngWithStream(2048, 2048, test::zerosZlibStream(rows, false)), PngCheck::Damaged},
        {"one byte short", pngWithStream(2048, 2048, test::zerosZlibStream(rows - 1, true)), PngCheck::Damaged},
        {"one byte more", pngWithStream(2048, 2048, test::zerosZlibStream(rows + 1, true)), PngCheck::Damaged},
        {"filter type 5", pngWithStream(2, 2, storedZlib(badFilter)), PngCheck::Damaged},
        {"interlaced, the first pass only",
         pngWithStream(2048, 2048, test::zerosZlibStream(firstPass, true), 1), PngCheck::Damaged},
        // Seven passes have more rows, so more filter bytes, than the plain image.
        {"interlaced, the plain image's length", pngWithStream(2048, 2048, test::zerosZlibStream(rows, true), 1),
         PngCheck::Damaged},
    };
    for (const Case& c : cases) EXPECT_EQ(checkBytes(c.bytes), c.expected) << c.name;
    PngHeader interlaced;
    interlaced.width = interlaced.height = 2048;
    interlaced.bitDepth = 8;
    interlaced.colourType = 6;
    interlaced.interlace = 1;
    EXPECT_EQ(checkBytes(pngWithStream(2048, 2048, test::zerosZlibStream(pngImageDataBytes(interlaced), true), 1)),
              PngCheck::Sound);
}

TEST(PngCheck, DataBeyondWhatTheRowsCanNeedIsRefusedAtItsLength) {
    // 1 x 1 pixels with an IDAT chunk claiming 2 GiB, alone or in three chunks,
    // and a frame too large to be worth inflating: none is read beyond its heads.
    struct Case {
        const char* name;
        std::vector<GeneratedPng::Chunk> chunks;
        PngCheck expected;
    } cases[] = {
        {"one 2 GiB chunk", {{"IHDR", 0, ihdrBody(1, 1)}, {"IDAT", 0x7FFFFFFFu, "", false}, {"IEND", 0, ""}},
         PngCheck::Damaged},
        {"three 700 MB chunks",
         {{"IHDR", 0, ihdrBody(1000, 1000)},
          {"IDAT", 700u << 20, "", false},
          {"IDAT", 700u << 20, "", false},
          {"IDAT", 700u << 20, "", false},
          {"IEND", 0, ""}},
         PngCheck::Damaged},
        {"16384 x 16384", {{"IHDR", 0, ihdrBody(16384, 16384)}, {"IDAT", 1u << 30, "", false}, {"IEND", 0, ""}},
         PngCheck::TooLarge},
    };
    for (const Case& c : cases) {
        GeneratedPng png(c.chunks);
        CountingSource counted(png);
        PngHeader header;
        EXPECT_EQ(checkPngStructure(counted, header), c.expected) << c.name;
        EXPECT_LT(counted.bytes, 64u * 1024) << c.name;
    }
}

TEST(Png, DataThatFailsLateIsRefusedBeforeTheFrameIsAllocated) {
    // The decoder would allocate the frame and decode most of it before
    // meeting these faults; the check refuses them first, so the message is
    // the check's and not the decoder's.
    ScratchDir dir;
    const uint64_t rows = 4096u * (1 + 4096 * 4);
    const uint64_t firstPass = 512u * (1 + 512 * 4);
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"a deflate bomb with a wrong adler32", pngWithStream(4096, 4096, test::zerosZlibStream(rows, false))},
        {"interlaced, only the first pass", pngWithStream(4096, 4096, test::zerosZlibStream(firstPass, true), 1)},
    };
    for (const Case& c : cases) {
        test::writeFile(dir / "late.png", c.bytes);
        EXPECT_EQ(pngMessage([&] { loadPng(dir / "late.png"); }), "png decoder failed") << c.name;
    }
    // The same bomb with its right checksum is a real (transparent) image.
    test::writeFile(dir / "zeros.png", pngWithStream(4096, 4096, test::zerosZlibStream(rows, true)));
    const PixelImage zeros = loadPng(dir / "zeros.png");
    EXPECT_EQ(zeros.width, 4096);
    EXPECT_EQ(zeros.at(4095, 4095), 0u);
}

TEST(Png, HostileHeadersAreRefusedBeforeTheirSizeIsAllocated) {
    // Each file is a few bytes that claim gigabytes. Refusing them costs
    // nothing when the limits come before the allocation and the pixels grow
    // only with the rows that decode; the old reader zero-filled 4 GiB first.
    ScratchDir dir;
    const std::set<std::string> readFailures = {"png decoder failed", "png frame decode failed", "copy png failed"};
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"32767 x 32767, header only", pngHeaderOnly(32767, 32767)},
        {"2^31-1 x 1, header only", pngHeaderOnly(2147483647u, 1)},
        {"20000 x 20000, header only", pngHeaderOnly(20000, 20000)},
        {"32767 x 32767, two rows of data", pngWithRows(32767, 32767, 2)},
        {"20000 x 20000, three rows of data", pngWithRows(20000, 20000, 3)},
        {"20000 x 20000 interlaced, a few bytes of data", pngWithRows(20000, 20000, 1, 1)},
        {"32768 x 32768, four bytes past 32 bits", pngWithRows(32768, 32768, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(dir / "hostile.png", c.bytes);
        EXPECT_EQ(readFailures.count(pngMessage([&] { loadPng(dir / "hostile.png"); })), 1u);
    }
    // The same construction with all its rows is a real image.
    test::writeFile(dir / "whole.png", pngWithRows(300, 7, 7));
    const PixelImage whole = loadPng(dir / "whole.png");
    EXPECT_EQ(whole.width, 300);
    EXPECT_EQ(whole.height, 7);
    EXPECT_EQ(whole.at(299, 6), 0x80808080u);
}

TEST(Png, BadChecksumsAndOtherFormatsAreRefusedOnEveryPlatform) {
    ScratchDir dir;
    savePng(randomImage(40, 30, 9), dir / "good.png");
    const std::string good = test::readFile(dir / "good.png");
    std::string badData = good, badEnd = good;
    badData[good.size() - 13] ^= 0x20;  // the last IDAT's checksum
    badEnd[good.size() - 1] ^= 0x20;    // IEND's checksum
    test::writeFile(dir / "bad-idat-crc.png", badData);
    test::writeFile(dir / "bad-iend-crc.png", badEnd);
    EXPECT_EQ(pngMessage([&] { loadPng(dir / "bad-idat-crc.png"); }), "png decoder failed");
    EXPECT_EQ(pngMessage([&] { loadPng(dir / "bad-iend-crc.png"); }), "png decoder failed");
    // A real JPEG, which the Windows decoder would read if it were asked.
    EXPECT_EQ(pngMessage([&] { loadPng(test::testDataDir() / "png" / "jpeg-renamed.png"); }), "png decoder failed");
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
