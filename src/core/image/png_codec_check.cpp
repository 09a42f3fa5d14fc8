#include "core/image/png_codec_check.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/image/png_codec.h"

namespace tf {
namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

const std::array<uint32_t, 256>& crcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

uint32_t be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

bool readExactly(ByteSource& source, void* data, size_t size) {
    size_t got = 0;
    return source.read(data, size, got) && got == size;
}

bool isType(const uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

bool validDepth(uint8_t colourType, uint8_t depth) {
    switch (colourType) {
        case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6: return depth == 8 || depth == 16;
        default: return false;
    }
}

}  // namespace

bool MemorySource::read(void* out, size_t size, size_t& got) {
    got = std::min(size, size_ - at_);
    if (got) std::memcpy(out, data_ + at_, got);
    at_ += got;
    return true;
}

uint32_t pngCrc32(const uint8_t* data, size_t size, uint32_t crc) {
    const auto& table = crcTable();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

PngCheck checkPngStructure(ByteSource& source, PngHeader& header) {
    uint8_t signature[8];
    if (!readExactly(source, signature, 8) || std::memcmp(signature, kSignature, 8) != 0) return PngCheck::NotPng;

    bool first = true, sawPalette = false, sawData = false, dataEnded = false;
    uint64_t metadataBytes = 0;
    std::vector<uint8_t> body(64 * 1024);
    for (;;) {
        uint8_t head[8];
        if (!readExactly(source, head, 8)) return first ? PngCheck::NotPng : PngCheck::Damaged;
        const uint32_t length = be32(head);
        const uint8_t* type = head + 4;
        if (first && !isType(type, "IHDR")) return PngCheck::NotPng;
        if (length > 0x7FFFFFFFu) return PngCheck::Damaged;
        for (int i = 0; i < 4; ++i)
            if (!((type[i] >= 'A' && type[i] <= 'Z') || (type[i] >= 'a' && type[i] <= 'z'))) return PngCheck::Damaged;

        if (!isType(type, "IDAT") && (metadataBytes += length) > kMaxPngMetadataBytes) return PngCheck::Damaged;

        uint32_t crc = pngCrc32(type, 4);
        uint8_t kept[13] = {};  // the start of the body: all of IHDR
        for (uint32_t done = 0; done < length;) {
            const size_t n = std::min<size_t>(body.size(), length - done);
            if (!readExactly(source, body.data(), n)) return PngCheck::Damaged;
            if (done == 0) std::memcpy(kept, body.data(), std::min<size_t>(n, sizeof kept));
            crc = pngCrc32(body.data(), n, crc);
            done += static_cast<uint32_t>(n);
        }
        uint8_t stored[4];
        if (!readExactly(source, stored, 4) || be32(stored) != crc) return PngCheck::Damaged;

        const bool critical = (type[0] & 0x20) == 0;
        if (isType(type, "IHDR")) {
            if (!first || length != 13) return PngCheck::Damaged;
            header.width = be32(kept);
            header.height = be32(kept + 4);
            header.bitDepth = kept[8];
            header.colourType = kept[9];
            header.interlace = kept[12];
            if (header.width == 0 || header.height == 0 || !validDepth(header.colourType, header.bitDepth) ||
                kept[10] != 0 || kept[11] != 0 || header.interlace > 1)
                return PngCheck::Damaged;
            if (!pngSizeReadable(header.width, header.height)) return PngCheck::TooLarge;
        } else if (isType(type, "PLTE")) {
            if (sawPalette || sawData || header.colourType == 0 || header.colourType == 4) return PngCheck::Damaged;
            if (length == 0 || length % 3 != 0 || length / 3 > 256) return PngCheck::Damaged;
            if (header.colourType == 3 && length / 3 > (1u << header.bitDepth)) return PngCheck::Damaged;
            sawPalette = true;
        } else if (isType(type, "IDAT")) {
            if (dataEnded || (header.colourType == 3 && !sawPalette)) return PngCheck::Damaged;
            sawData = true;
        } else if (isType(type, "IEND")) {
            return sawData && length == 0 ? PngCheck::Sound : PngCheck::Damaged;
        } else if (critical || (type[2] & 0x20) != 0) {
            // An unknown critical chunk cannot be skipped; a lower-case third
            // letter is reserved and makes the chunk invalid.
            return PngCheck::Damaged;
        }
        if (sawData && !isType(type, "IDAT")) dataEnded = true;
        first = false;
    }
}

void growPixelRows(std::vector<uint32_t>& pixels, size_t rows, size_t width, size_t framePixels) {
    const size_t needed = std::min(rows * width, framePixels);
    if (pixels.size() >= needed) return;
    if (pixels.capacity() < needed) pixels.reserve(std::min(framePixels, std::max(needed, pixels.capacity() * 2)));
    pixels.resize(needed, 0u);
}

}  // namespace tf
