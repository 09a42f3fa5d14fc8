#pragma once
// Mutated PNG files almost never keep their chunk checksums, so a plain
// mutator stops at the checksum test. The custom mutator below repairs the
// checksums of most mutants, which lets the fuzzer reach the decoder and the
// stitching behind it; the rest keep their broken checksums for the check.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/image/png_codec_check.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace tf::fuzz {

inline const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

inline uint32_t readBe32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

// Rewrites the checksum of every complete chunk of the PNG file at [data, data + size).
inline void repairChecksums(uint8_t* data, size_t size) {
    if (size < 8 || std::memcmp(data, kPngSignature, 8) != 0) return;
    size_t at = 8;
    while (at + 12 <= size) {
        const uint32_t length = readBe32(data + at);
        if (length > size - at - 12) return;
        const uint32_t crc = tf::pngCrc32(data + at + 4, size_t{length} + 4);
        uint8_t* out = data + at + 8 + length;
        out[0] = static_cast<uint8_t>(crc >> 24);
        out[1] = static_cast<uint8_t>(crc >> 16);
        out[2] = static_cast<uint8_t>(crc >> 8);
        out[3] = static_cast<uint8_t>(crc);
        at += size_t{length} + 12;
    }
}

// Repairs each PNG file of a concatenation (split at every signature).
inline void repairAllChecksums(uint8_t* data, size_t size) {
    size_t start = 0;
    while (start < size) {
        size_t next = start + 8;
        while (next + 8 <= size && std::memcmp(data + next, kPngSignature, 8) != 0) ++next;
        if (next + 8 > size) next = size;
        repairChecksums(data + start, next - start);
        start = next;
    }
}

// Sound files whose pixels alone would take more than this are not decoded
// by the targets: their memory is the image's, not a fault's.
inline constexpr uint64_t kMaxFuzzedFrameBytes = 32u << 20;
inline bool decodesTooLarge(tf::PngCheck check, const tf::PngHeader& header) {
    return check == tf::PngCheck::Sound && uint64_t{header.width} * header.height * 4u > kMaxFuzzedFrameBytes;
}

}  // namespace tf::fuzz

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    if (seed % 8 != 0) tf::fuzz::repairAllChecksums(data, size);
    return size;
}
