#include <algorithm>
#include <cstring>

#include "core/image/png_chunks_internal.h"

namespace tf::png_chunks {

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

bool parseHeader(const uint8_t* body, PngHeader& header) {
    header.width = be32(body);
    header.height = be32(body + 4);
    header.bitDepth = body[8];
    header.colourType = body[9];
    header.interlace = body[12];
    return header.width != 0 && header.height != 0 && header.width <= 0x7FFFFFFFu && header.height <= 0x7FFFFFFFu &&
           validDepth(header.colourType, header.bitDepth) && body[10] == 0 && body[11] == 0 && header.interlace <= 1;
}

HeadRead readChunkHead(ByteSource& source, ChunkHead& head) {
    uint8_t bytes[8];
    size_t got = 0;
    if (!source.read(bytes, 8, got) || got != 8) return got == 0 ? HeadRead::End : HeadRead::Bad;
    head.length = be32(bytes);
    std::memcpy(head.type, bytes + 4, 4);
    if (head.length > 0x7FFFFFFFu) return HeadRead::Bad;
    for (uint8_t c : head.type)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return HeadRead::Bad;
    return HeadRead::Read;
}

ImageDataSource::ImageDataSource(ByteSource& file, const ChunkHead& first, uint64_t limit) : file_(file), limit_(limit) {
    begin(first);
}

size_t ImageDataSource::read(uint8_t* data, size_t capacity) {
    while (left_ == 0) {
        if (ended_ || damaged_) return 0;
        uint8_t stored[4];
        if (!readExactly(file_, stored, 4) || be32(stored) != crc_) return fail();
        ChunkHead head;
        const HeadRead r = readChunkHead(file_, head);
        if (r != HeadRead::Read) return fail();
        if (!isType(head.type, "IDAT")) {
            next_ = head;
            ended_ = true;
            return 0;
        }
        if (!begin(head)) return 0;
    }
    const size_t n = static_cast<size_t>(std::min<uint64_t>(capacity, left_));
    if (!readExactly(file_, data, n)) return fail();
    crc_ = pngCrc32(data, n, crc_);
    left_ -= n;
    return n;
}

bool ImageDataSource::begin(const ChunkHead& head) {
    total_ += head.length;
    // Refused at the length: more data than the rows can need is never read.
    if (total_ > limit_) {
        fail();
        return false;
    }
    crc_ = pngCrc32(head.type, 4);
    left_ = head.length;
    return true;
}

size_t ImageDataSource::fail() {
    damaged_ = true;
    return 0;
}

uint32_t bitsPerPixel(const PngHeader& h) {
    static const uint8_t kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    return uint32_t{kChannels[h.colourType <= 6 ? h.colourType : 1]} * h.bitDepth;
}

std::vector<Pass> imagePasses(const PngHeader& h) {
    const uint64_t bits = bitsPerPixel(h);
    auto rowBytes = [&](uint64_t width) { return 1 + (width * bits + 7) / 8; };
    std::vector<Pass> passes;
    if (h.interlace == 0) {
        passes.push_back({h.height, rowBytes(h.width)});
        return passes;
    }
    // Adam7: first column and row, column and row step of each pass.
    static const uint8_t kAdam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                         {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto& p : kAdam7) {
        const uint64_t columns = h.width > p[0] ? (h.width - p[0] + p[2] - 1) / p[2] : 0;
        const uint64_t rows = h.height > p[1] ? (h.height - p[1] + p[3] - 1) / p[3] : 0;
        if (columns > 0 && rows > 0) passes.push_back({static_cast<uint32_t>(rows), rowBytes(columns)});
    }
    return passes;
}

namespace {
const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
}  // namespace

PngCheck ChunkWalk::toImageData() {
    uint8_t signature[8];
    if (!readExactly(source_, signature, 8) || std::memcmp(signature, kSignature, 8) != 0) return PngCheck::NotPng;
    body_.resize(64 * 1024);
    return walk(Leg::BeforeData, false);
}

PngCheck ChunkWalk::toEnd(const ChunkHead& next) {
    head_ = next;
    return walk(Leg::AfterData, true);
}

PngCheck ChunkWalk::walk(Leg leg, bool headPending) {
    for (;;) {
        if (!headPending) {
            const HeadRead r = readChunkHead(source_, head_);
            if (r != HeadRead::Read) return first_ ? PngCheck::NotPng : PngCheck::Damaged;
        }
        headPending = false;
        if (first_ && !isType(head_.type, "IHDR")) return PngCheck::NotPng;
        if (isType(head_.type, "IDAT")) {
            // All the image data is one run of chunks: another one later is out of order.
            if (leg == Leg::AfterData || (header_.colourType == 3 && !sawPalette_)) return PngCheck::Damaged;
            return PngCheck::Sound;
        }
        if (isType(head_.type, "IEND")) {
            const bool end = leg == Leg::AfterData && head_.length == 0;
            uint8_t stored[4];
            if (!end || !readExactly(source_, stored, 4) || be32(stored) != pngCrc32(head_.type, 4))
                return PngCheck::Damaged;
            return PngCheck::Sound;
        }
        const PngCheck taken = takeChunk(leg);
        if (taken != PngCheck::Sound) return taken;
        first_ = false;
    }
}

// One chunk other than IDAT and IEND: read whole, its checksum verified, its rules kept.
PngCheck ChunkWalk::takeChunk(Leg leg) {
    const uint8_t* type = head_.type;
    const uint32_t length = head_.length;
    if ((metadataBytes_ += length) > kMaxPngMetadataBytes) return PngCheck::Damaged;
    const bool palette = isType(type, "PLTE"), alpha = isType(type, "tRNS");
    std::vector<uint8_t>* keep = palette ? &palette_ : alpha ? &transparency_ : nullptr;
    uint32_t crc = pngCrc32(type, 4);
    uint8_t kept[13] = {};  // the start of the body: all of IHDR
    for (uint32_t done = 0; done < length;) {
        const size_t n = std::min<size_t>(body_.size(), length - done);
        if (!readExactly(source_, body_.data(), n)) return PngCheck::Damaged;
        if (done == 0) std::memcpy(kept, body_.data(), std::min<size_t>(n, sizeof kept));
        // A palette holds at most 256 entries, its transparency as many bytes.
        if (keep != nullptr && keep->size() < 768)
            keep->insert(keep->end(), body_.data(), body_.data() + std::min<size_t>(n, 768 - keep->size()));
        crc = pngCrc32(body_.data(), n, crc);
        done += static_cast<uint32_t>(n);
    }
    uint8_t stored[4];
    if (!readExactly(source_, stored, 4) || be32(stored) != crc) return PngCheck::Damaged;

    const bool critical = (type[0] & 0x20) == 0;
    const bool afterData = leg == Leg::AfterData;
    if (isType(type, "IHDR")) {
        if (!first_ || length != 13 || !parseHeader(kept, header_)) return PngCheck::Damaged;
        if (!sizeAllowed_(header_)) return PngCheck::TooLarge;
    } else if (palette) {
        const uint8_t c = header_.colourType;
        if (sawPalette_ || afterData || c == 0 || c == 4) return PngCheck::Damaged;
        if (length == 0 || length % 3 != 0 || length / 3 > 256) return PngCheck::Damaged;
        if (c == 3 && length / 3 > (1u << header_.bitDepth)) return PngCheck::Damaged;
        sawPalette_ = true;
    } else if (critical || (type[2] & 0x20) != 0) {
        // An unknown critical chunk cannot be skipped; a lower-case third
        // letter is reserved and makes the chunk invalid.
        return PngCheck::Damaged;
    }
    return PngCheck::Sound;
}

}  // namespace tf::png_chunks
