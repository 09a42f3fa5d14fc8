#include "core/image/zlib_stream_check.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tf {
namespace {

constexpr size_t kWindowBytes = 32768;
// History plus room for fresh output; bytes go to the sink a block at a time.
constexpr size_t kOutputBytes = 4 * kWindowBytes;
constexpr size_t kMaxMatch = 258;
constexpr size_t kInputBytes = 1 << 16;
constexpr int kMaxCodeBits = 15;
// Codes up to this length are decoded by one table look-up; longer ones bit by bit.
constexpr int kFastBits = 9;

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// A canonical Huffman code as deflate defines it.
struct HuffmanCode {
    uint16_t count[kMaxCodeBits + 1];
    uint16_t symbol[320];
    uint16_t fast[1u << kFastBits];  // symbol << 4 | length; 0 for a longer code
};

enum class CodeKind { CodeLengths, LiteralsOrDistances };

// What zlib accepts: no over-subscribed code, and no incomplete one except a
// single code of one bit (or no code at all) for literals and distances.
bool buildCode(HuffmanCode& h, const uint8_t* lengths, int n, CodeKind kind) {
    std::memset(h.count, 0, sizeof h.count);
    for (int s = 0; s < n; ++s) ++h.count[lengths[s]];
    h.count[0] = 0;
    int left = 1, longest = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
        left = (left << 1) - h.count[len];
        if (left < 0) return false;
        if (h.count[len]) longest = len;
    }
    if (longest == 0 && kind == CodeKind::CodeLengths) return false;
    if (left > 0 && longest != 0 && (kind == CodeKind::CodeLengths || longest != 1)) return false;

    uint16_t offset[kMaxCodeBits + 2] = {};
    for (int len = 1; len <= kMaxCodeBits; ++len) offset[len + 1] = static_cast<uint16_t>(offset[len] + h.count[len]);
    for (int s = 0; s < n; ++s)
        if (lengths[s]) h.symbol[offset[lengths[s]]++] = static_cast<uint16_t>(s);

    std::memset(h.fast, 0, sizeof h.fast);
    uint32_t next[kMaxCodeBits + 1] = {};
    uint32_t code = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
        code = (code + h.count[len - 1]) << 1;
        next[len] = code;
    }
    for (int s = 0; s < n; ++s) {
        const int len = lengths[s];
        if (len == 0 || len > kFastBits) continue;
        const uint32_t c = next[len]++;
        uint32_t reversed = 0;
        for (int b = 0; b < len; ++b) reversed |= ((c >> b) & 1u) << (len - 1 - b);
        for (uint32_t k = reversed; k < (1u << kFastBits); k += 1u << len)
            h.fast[k] = static_cast<uint16_t>(s << 4 | len);
    }
    return true;
}

class Inflater {
public:
    Inflater(CompressedBytesSource& source, InflatedBytesSink& sink)
        : source_(source), sink_(sink), input_(kInputBytes), output_(kOutputBytes) {}

    ZlibVerdict run() {
        if (!readHeader()) return ZlibVerdict::Damaged;
        bool last = false;
        while (!last) {
            uint32_t head = 0;
            if (!bits(3, head)) return ZlibVerdict::Damaged;
            last = head & 1u;
            bool ok = false;
            switch (head >> 1) {
                case 0: ok = storedBlock(); break;
                case 1: ok = fixedBlock(); break;
                case 2: ok = dynamicBlock(); break;
                default: return ZlibVerdict::Damaged;
            }
            if (refused_) return ZlibVerdict::Refused;
            if (!ok) return ZlibVerdict::Damaged;
        }
        if (!flush()) return ZlibVerdict::Refused;
        // The checksum starts on a byte boundary.
        alignToByte();
        uint32_t stored = 0;
        for (int i = 0; i < 4; ++i) {
            uint32_t byte = 0;
            if (!bits(8, byte)) return ZlibVerdict::Damaged;
            stored = stored << 8 | byte;
        }
        if (stored != adler_) return ZlibVerdict::Damaged;
        // Nothing may follow the stream.
        if (bitCount_ > 0 || inAt_ < inEnd_) return ZlibVerdict::Damaged;
        uint8_t extra = 0;
        if (source_.read(&extra, 1) != 0) return ZlibVerdict::Damaged;
        return ZlibVerdict::Sound;
    }

private:
    bool fillInput() {
        inAt_ = 0;
        inEnd_ = source_.read(input_.data(), input_.size());
        return inEnd_ > 0;
    }

    // Tops the bit buffer up to at least 57 bits while input lasts.
    void refill() {
        while (bitCount_ <= 56) {
            if (inAt_ == inEnd_ && !fillInput()) return;
            bitBuffer_ |= static_cast<uint64_t>(input_[inAt_++]) << bitCount_;
            bitCount_ += 8;
        }
    }

    bool bits(int n, uint32_t& value) {
        if (bitCount_ < n) refill();
        if (bitCount_ < n) return false;
        value = static_cast<uint32_t>(bitBuffer_ & ((uint64_t{1} << n) - 1));
        bitBuffer_ >>= n;
        bitCount_ -= n;
        return true;
    }

    void alignToByte() {
        const int drop = bitCount_ % 8;
        bitBuffer_ >>= drop;
        bitCount_ -= drop;
    }

    bool decode(const HuffmanCode& h, int& symbol) {
        if (bitCount_ < kMaxCodeBits) refill();
        const uint16_t entry = h.fast[bitBuffer_ & ((1u << kFastBits) - 1)];
        if (entry != 0 && (entry & 15) <= bitCount_) {
            bitBuffer_ >>= entry & 15;
            bitCount_ -= entry & 15;
            symbol = entry >> 4;
            return true;
        }
        // Bit by bit, the way the canonical code is defined.
        int code = 0, first = 0, index = 0;
        for (int len = 1; len <= kMaxCodeBits && len <= bitCount_; ++len) {
            code |= static_cast<int>((bitBuffer_ >> (len - 1)) & 1u);
            const int count = h.count[len];
            if (code - count < first) {
                bitBuffer_ >>= len;
                bitCount_ -= len;
                symbol = h.symbol[index + (code - first)];
                return true;
            }
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return false;  // no such code, or the data ends inside it
    }

    bool readHeader() {
        uint32_t cmf = 0, flg = 0;
        if (!bits(8, cmf) || !bits(8, flg)) return false;
        // Deflate, a window of at most 32 KiB, the check bits, no preset dictionary.
        return (cmf & 15) == 8 && (cmf >> 4) <= 7 && (cmf << 8 | flg) % 31 == 0 && (flg & 0x20) == 0;
    }

    // Hands the bytes not yet given to the sink over, keeping the window.
    bool flush() {
        if (outAt_ > handed_) {
            adler_ = adler32(output_.data() + handed_, outAt_ - handed_, adler_);
            if (!sink_.take(output_.data() + handed_, outAt_ - handed_)) {
                refused_ = true;
                return false;
            }
            handed_ = outAt_;
        }
        return true;
    }

    bool makeRoom(size_t bytes) {
        if (outAt_ + bytes <= output_.size()) return true;
        if (!flush()) return false;
        const size_t keep = std::min(outAt_, kWindowBytes);
        std::memmove(output_.data(), output_.data() + outAt_ - keep, keep);
        outAt_ = handed_ = keep;
        return true;
    }

    bool storedBlock() {
        alignToByte();
        uint32_t len = 0, nlen = 0;
        if (!bits(16, len) || !bits(16, nlen) || (len ^ 0xFFFFu) != nlen) return false;
        while (len > 0) {
            if (!makeRoom(1)) return false;
            size_t room = std::min<size_t>(len, output_.size() - outAt_);
            // Whole bytes still in the bit buffer come first.
            while (room > 0 && bitCount_ >= 8) {
                output_[outAt_++] = static_cast<uint8_t>(bitBuffer_);
                bitBuffer_ >>= 8;
                bitCount_ -= 8;
                --room;
                --len;
            }
            if (room == 0) continue;
            if (inAt_ == inEnd_ && !fillInput()) return false;
            const size_t n = std::min(room, inEnd_ - inAt_);
            std::memcpy(output_.data() + outAt_, input_.data() + inAt_, n);
            inAt_ += n;
            outAt_ += n;
            len -= static_cast<uint32_t>(n);
        }
        return true;
    }

    bool fixedBlock() {
        static const auto codes = [] {
            struct Fixed {
                HuffmanCode literals, distances;
            } f{};
            uint8_t lengths[288];
            std::fill(lengths, lengths + 144, 8);
            std::fill(lengths + 144, lengths + 256, 9);
            std::fill(lengths + 256, lengths + 280, 7);
            std::fill(lengths + 280, lengths + 288, 8);
            buildCode(f.literals, lengths, 288, CodeKind::LiteralsOrDistances);
            // All 32 distance codes exist; the last two are invalid where they occur.
            std::fill(lengths, lengths + 32, 5);
            buildCode(f.distances, lengths, 32, CodeKind::LiteralsOrDistances);
            return f;
        }();
        return codedBlock(codes.literals, codes.distances);
    }

    bool dynamicBlock() {
        uint32_t nlen = 0, ndist = 0, ncode = 0;
        if (!bits(5, nlen) || !bits(5, ndist) || !bits(4, ncode)) return false;
        nlen += 257;
        ndist += 1;
        ncode += 4;
        if (nlen > 286 || ndist > 30) return false;
        uint8_t lengths[286 + 30] = {};
        for (uint32_t i = 0; i < ncode; ++i) {
            uint32_t l = 0;
            if (!bits(3, l)) return false;
            lengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(l);
        }
        if (!buildCode(lengthCode_, lengths, 19, CodeKind::CodeLengths)) return false;
        std::memset(lengths, 0, sizeof lengths);
        for (uint32_t i = 0; i < nlen + ndist;) {
            int symbol = 0;
            if (!decode(lengthCode_, symbol)) return false;
            if (symbol < 16) {
                lengths[i++] = static_cast<uint8_t>(symbol);
                continue;
            }
            uint32_t repeat = 0;
            uint8_t value = 0;
            if (symbol == 16) {
                if (i == 0 || !bits(2, repeat)) return false;
                value = lengths[i - 1];
                repeat += 3;
            } else if (symbol == 17) {
                if (!bits(3, repeat)) return false;
                repeat += 3;
            } else {
                if (!bits(7, repeat)) return false;
                repeat += 11;
            }
            if (i + repeat > nlen + ndist) return false;
            while (repeat--) lengths[i++] = value;
        }
        // A block that cannot end is no block.
        if (lengths[256] == 0) return false;
        if (!buildCode(literalCode_, lengths, static_cast<int>(nlen), CodeKind::LiteralsOrDistances) ||
            !buildCode(distanceCode_, lengths + nlen, static_cast<int>(ndist), CodeKind::LiteralsOrDistances))
            return false;
        return codedBlock(literalCode_, distanceCode_);
    }

    bool codedBlock(const HuffmanCode& literals, const HuffmanCode& distances) {
        for (;;) {
            if (!makeRoom(kMaxMatch)) return false;
            int symbol = 0;
            if (!decode(literals, symbol)) return false;
            if (symbol < 256) {
                output_[outAt_++] = static_cast<uint8_t>(symbol);
                continue;
            }
            if (symbol == 256) return true;
            symbol -= 257;
            if (symbol >= 29) return false;
            uint32_t extra = 0;
            if (!bits(kLengthExtra[symbol], extra)) return false;
            const size_t length = kLengthBase[symbol] + extra;
            int d = 0;
            if (!decode(distances, d) || d >= 30) return false;
            if (!bits(kDistanceExtra[d], extra)) return false;
            const size_t distance = kDistanceBase[d] + extra;
            if (distance > outAt_) return false;  // before the start of the data
            uint8_t* to = output_.data() + outAt_;
            const uint8_t* from = to - distance;
            if (distance == 1) {
                std::memset(to, *from, length);
            } else if (distance >= length) {
                std::memcpy(to, from, length);
            } else {
                for (size_t i = 0; i < length; ++i) to[i] = from[i];
            }
            outAt_ += length;
        }
    }

    CompressedBytesSource& source_;
    InflatedBytesSink& sink_;
    std::vector<uint8_t> input_;
    size_t inAt_ = 0, inEnd_ = 0;
    uint64_t bitBuffer_ = 0;
    int bitCount_ = 0;
    std::vector<uint8_t> output_;
    size_t outAt_ = 0, handed_ = 0;
    uint32_t adler_ = 1;
    bool refused_ = false;
    HuffmanCode lengthCode_{}, literalCode_{}, distanceCode_{};
};

}  // namespace

uint32_t adler32(const uint8_t* data, size_t size, uint32_t adler) {
    constexpr uint32_t kBase = 65521;
    // The largest run before the sums could pass 32 bits.
    constexpr size_t kRun = 5552;
    uint32_t a = adler & 0xFFFFu, b = adler >> 16;
    while (size > 0) {
        size_t n = std::min(size, kRun);
        size -= n;
        for (; n >= 8; n -= 8, data += 8) {
            a += data[0]; b += a;
            a += data[1]; b += a;
            a += data[2]; b += a;
            a += data[3]; b += a;
            a += data[4]; b += a;
            a += data[5]; b += a;
            a += data[6]; b += a;
            a += data[7]; b += a;
        }
        for (; n > 0; --n) {
            a += *data++;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return b << 16 | a;
}

ZlibVerdict checkZlibStream(CompressedBytesSource& source, InflatedBytesSink& sink) {
    // About 140 KiB of state: on the heap, not on a caller's stack.
    auto inflater = std::make_unique<Inflater>(source, sink);
    return inflater->run();
}

}  // namespace tf
