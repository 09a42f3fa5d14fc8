#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/image/zlib_stream_check.h"
#include "zlib_streams.h"

namespace tf {
namespace {

class StringSource : public CompressedBytesSource {
public:
    explicit StringSource(const std::string& bytes) : bytes_(bytes) {}
    size_t read(uint8_t* data, size_t capacity) override {
        const size_t n = std::min(capacity, bytes_.size() - at_);
        std::memcpy(data, bytes_.data() + at_, n);
        at_ += n;
        return n;
    }
    size_t consumed() const { return at_; }

private:
    const std::string& bytes_;
    size_t at_ = 0;
};

class CollectingSink : public InflatedBytesSink {
public:
    explicit CollectingSink(size_t limit = SIZE_MAX, bool keep = true) : limit_(limit), keep_(keep) {}
    bool take(const uint8_t* data, size_t size) override {
        if (size > limit_ - total) return false;
        total += size;
        if (keep_) text.append(reinterpret_cast<const char*>(data), size);
        return true;
    }
    std::string text;
    size_t total = 0;

private:
    size_t limit_;
    bool keep_;
};

ZlibVerdict check(const std::string& stream, CollectingSink& sink) {
    StringSource source(stream);
    return checkZlibStream(source, sink);
}

TEST(Adler32, KnownValues) {
    const std::string wiki = "Wikipedia";
    EXPECT_EQ(adler32(reinterpret_cast<const uint8_t*>(wiki.data()), wiki.size()), 0x11E60398u);
    // Runs longer than the modulo interval, split anywhere, give the same sum.
    const std::string ff(20000, '\xFF');
    const auto* p = reinterpret_cast<const uint8_t*>(ff.data());
    EXPECT_EQ(adler32(p + 7000, 13000, adler32(p, 7000)), adler32(p, 20000));
    EXPECT_EQ(adler32(nullptr, 0), 1u);
}

TEST(ZlibStreamCheck, SoundStreamsInflateToTheirBytes) {
    CollectingSink stored;
    EXPECT_EQ(check(test::storedZlibStream("hello, frames"), stored), ZlibVerdict::Sound);
    EXPECT_EQ(stored.text, "hello, frames");

    const std::string long70k(70000, 'q');  // two stored blocks
    CollectingSink two;
    EXPECT_EQ(check(test::storedZlibStream(long70k), two), ZlibVerdict::Sound);
    EXPECT_EQ(two.text, long70k);

    CollectingSink zeros(SIZE_MAX, false);
    EXPECT_EQ(check(test::zerosZlibStream(3u << 20, true), zeros), ZlibVerdict::Sound);
    EXPECT_EQ(zeros.total, 3u << 20);

    CollectingSink empty;
    EXPECT_EQ(check(test::storedZlibStream(""), empty), ZlibVerdict::Sound);
    EXPECT_EQ(empty.total, 0u);
}

TEST(ZlibStreamCheck, DamageIsFound) {
    const std::string good = test::storedZlibStream("abcdef");
    auto patched = [&](size_t at, char value) {
        std::string s = good;
        s[at] = value;
        return s;
    };
    std::string distanceBeforeStart = "\x78\x01";
    {
        test::BitWriter bits;
        bits.put(1, 1);
        bits.put(1, 2);              // final block, fixed codes
        test::putFixedSymbol(bits, 257);  // a match of 3 ...
        bits.putCode(0, 5);          // ... one byte back, with nothing before it
        test::putFixedSymbol(bits, 256);
        distanceBeforeStart += bits.finish() + std::string("\0\0\0\1", 4);
    }
    struct Case {
        const char* name;
        std::string stream;
    } cases[] = {
        {"wrong adler32", test::zerosZlibStream(1000, false)},
        {"not deflate", patched(0, '\x79')},
        {"window over 32 KiB", patched(0, '\x88')},
        {"header check bits", patched(1, '\x02')},
        {"preset dictionary", "\x78\x20" + good.substr(2)},
        {"stored length and its complement disagree", patched(4, '\x07')},
        {"reserved block type", std::string("\x78\x01\x07", 3) + std::string(8, '\0')},
        {"distance before the start", distanceBeforeStart},
        {"bytes after the checksum", good + "x"},
        {"nothing", ""},
    };
    for (const Case& c : cases) {
        CollectingSink sink;
        EXPECT_EQ(check(c.stream, sink), ZlibVerdict::Damaged) << c.name;
    }
    // A stream cut anywhere is never sound.
    const std::string bomb = test::zerosZlibStream(100000, true);
    for (size_t keep = 0; keep < bomb.size(); ++keep) {
        CollectingSink sink(SIZE_MAX, false);
        ASSERT_NE(check(bomb.substr(0, keep), sink), ZlibVerdict::Sound) << keep;
    }
}

TEST(ZlibStreamCheck, ARefusingSinkStopsTheInflationAtOnce) {
    // A gigabyte of zeros in about 6.5 MB; the sink wants only 1000 bytes.
    const std::string bomb = test::zerosZlibStream(uint64_t{1} << 30, true);
    StringSource source(bomb);
    CollectingSink sink(1000, false);
    EXPECT_EQ(checkZlibStream(source, sink), ZlibVerdict::Refused);
    EXPECT_LE(sink.total, 1000u);
    // One input buffer at most was read.
    EXPECT_LE(source.consumed(), size_t{1} << 16);
}

}  // namespace
}  // namespace tf
