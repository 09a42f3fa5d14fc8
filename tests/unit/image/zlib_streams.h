#pragma once
// zlib streams built by hand for the codec tests: no compressor is needed on
// either platform, and a bomb of any size costs only its compressed bytes.

#include <algorithm>
#include <cstdint>
#include <string>

#include "core/image/zlib_stream_check.h"

namespace tf::test {

// Deflate's bit order: values from their lowest bit, Huffman codes from their highest.
class BitWriter {
public:
    void put(uint32_t value, int count) {
        for (int i = 0; i < count; ++i) bit((value >> i) & 1u);
    }
    void putCode(uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) bit((code >> i) & 1u);
    }
    std::string finish() {
        if (used_ > 0) out_.push_back(static_cast<char>(current_));
        current_ = 0;
        used_ = 0;
        return out_;
    }

private:
    void bit(uint32_t b) {
        current_ |= b << used_;
        if (++used_ == 8) {
            out_.push_back(static_cast<char>(current_));
            current_ = 0;
            used_ = 0;
        }
    }
    std::string out_;
    uint32_t current_ = 0;
    int used_ = 0;
};

// A literal/length symbol of the fixed code.
inline void putFixedSymbol(BitWriter& bits, int symbol) {
    if (symbol < 144) bits.putCode(0x30 + symbol, 8);
    else if (symbol < 256) bits.putCode(0x190 + (symbol - 144), 9);
    else if (symbol < 280) bits.putCode(symbol - 256, 7);
    else bits.putCode(0xC0 + (symbol - 280), 8);
}

inline std::string bigEndian32(uint32_t v) {
    std::string out;
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
    return out;
}

// Stored (uncompressed) blocks.
inline std::string storedZlibStream(const std::string& data) {
    std::string out = "\x78\x01";
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(65535, data.size() - at);
        out.push_back(at + n == data.size() ? 1 : 0);
        out.push_back(static_cast<char>(n & 0xFF));
        out.push_back(static_cast<char>(n >> 8));
        out.push_back(static_cast<char>(~n & 0xFF));
        out.push_back(static_cast<char>((~n >> 8) & 0xFF));
        out += data.substr(at, n);
        at += n;
    } while (at < data.size());
    return out + bigEndian32(adler32(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
}

// `bytes` zero bytes as one literal and matches of 258 one byte back: about
// 13 bits per 258 bytes. With `rightChecksum` false the adler32 is off by one.
inline std::string zerosZlibStream(uint64_t bytes, bool rightChecksum) {
    BitWriter bits;
    bits.put(1, 1);
    bits.put(1, 2);  // the only block, fixed codes
    uint64_t left = bytes;
    if (left > 0) {
        putFixedSymbol(bits, 0);
        --left;
    }
    for (; left >= 258; left -= 258) {
        putFixedSymbol(bits, 285);  // length 258
        bits.putCode(0, 5);         // distance 1
    }
    for (; left > 0; --left) putFixedSymbol(bits, 0);
    putFixedSymbol(bits, 256);
    // Zeros leave the first sum at 1; the second grows by one per byte.
    const uint32_t adler = static_cast<uint32_t>(bytes % 65521) << 16 | 1u;
    return "\x78\x01" + bits.finish() + bigEndian32(rightChecksum ? adler : adler + 1);
}

}  // namespace tf::test
