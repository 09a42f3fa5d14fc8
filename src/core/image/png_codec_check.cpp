#include "core/image/png_codec_check.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/image/png_codec.h"
#include "core/image/zlib_stream_check.h"

namespace tf {
namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Eight tables, eight bytes a step: the checksum of a long data chunk is
// otherwise the slowest part of refusing it.
const std::array<std::array<uint32_t, 256>, 8>& crcTables() {
    static const auto tables = [] {
        std::array<std::array<uint32_t, 256>, 8> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][n] = c;
        }
        for (uint32_t n = 0; n < 256; ++n)
            for (size_t k = 1; k < 8; ++k) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFFu];
        return t;
    }();
    return tables;
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
    const auto& t = crcTables();
    crc = ~crc;
    for (; size >= 8; size -= 8, data += 8) {
        const uint32_t lo = crc ^ (uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 |
                                   uint32_t{data[3]} << 24);
        crc = t[7][lo & 0xFFu] ^ t[6][(lo >> 8) & 0xFFu] ^ t[5][(lo >> 16) & 0xFFu] ^ t[4][lo >> 24] ^
              t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
    }
    for (; size > 0; --size) crc = t[0][(crc ^ *data++) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

namespace {

struct ChunkHead {
    uint32_t length = 0;
    uint8_t type[4] = {};
};

enum class HeadRead { Read, End, Bad };

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

// The image data of consecutive IDAT chunks as one byte stream, each chunk's
// checksum verified as its end is reached. Stops at the first other chunk,
// whose head it keeps for the walk.
class ImageDataSource : public CompressedBytesSource {
public:
    ImageDataSource(ByteSource& file, const ChunkHead& first, uint64_t limit) : file_(file), limit_(limit) {
        begin(first);
    }
    size_t read(uint8_t* data, size_t capacity) override {
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
    // The walk goes on from here once the stream was judged sound.
    bool ended() const { return ended_ && !damaged_; }
    const ChunkHead& next() const { return next_; }

private:
    bool begin(const ChunkHead& head) {
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
    size_t fail() {
        damaged_ = true;
        return 0;
    }

    ByteSource& file_;
    uint64_t limit_;
    uint64_t total_ = 0;
    uint64_t left_ = 0;
    uint32_t crc_ = 0;
    bool ended_ = false, damaged_ = false;
    ChunkHead next_;
};

struct Pass {
    uint32_t rows;
    uint64_t rowBytes;  // with the filter byte
};

std::vector<Pass> imagePasses(const PngHeader& h) {
    static const uint8_t kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const uint64_t bitsPerPixel = uint64_t{kChannels[h.colourType <= 6 ? h.colourType : 1]} * h.bitDepth;
    auto rowBytes = [&](uint64_t width) { return 1 + (width * bitsPerPixel + 7) / 8; };
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

// Takes exactly the header's rows, each starting with a filter type 0 to 4.
class RowSink : public InflatedBytesSink {
public:
    explicit RowSink(const PngHeader& header) : passes_(imagePasses(header)) {
        for (const Pass& p : passes_) left_ += p.rows * p.rowBytes;
        rowsLeft_ = passes_.empty() ? 0 : passes_[0].rows;
    }
    bool take(const uint8_t* data, size_t size) override {
        if (size > left_) return false;
        left_ -= size;
        while (size > 0) {
            const Pass& pass = passes_[pass_];
            if (inRow_ == 0 && data[0] > 4) return false;
            const size_t n = static_cast<size_t>(std::min<uint64_t>(size, pass.rowBytes - inRow_));
            inRow_ += n;
            data += n;
            size -= n;
            if (inRow_ == pass.rowBytes) {
                inRow_ = 0;
                if (--rowsLeft_ == 0 && ++pass_ < passes_.size()) rowsLeft_ = passes_[pass_].rows;
            }
        }
        return true;
    }
    bool complete() const { return left_ == 0; }

private:
    std::vector<Pass> passes_;
    uint64_t left_ = 0;
    size_t pass_ = 0;
    uint64_t rowsLeft_ = 0;
    uint64_t inRow_ = 0;
};

}  // namespace

uint64_t pngImageDataBytes(const PngHeader& header) {
    if (header.width == 0 || header.height == 0 || !validDepth(header.colourType, header.bitDepth) ||
        header.interlace > 1)
        return 0;
    uint64_t bytes = 0;
    for (const Pass& p : imagePasses(header)) bytes += p.rows * p.rowBytes;
    return bytes;
}

uint64_t pngCompressedDataLimit(uint64_t imageDataBytes) {
    return imageDataBytes + imageDataBytes / 8 + (uint64_t{1} << 20);
}

PngCheck checkPngStructure(ByteSource& source, PngHeader& header) {
    uint8_t signature[8];
    if (!readExactly(source, signature, 8) || std::memcmp(signature, kSignature, 8) != 0) return PngCheck::NotPng;

    bool first = true, sawPalette = false, sawData = false;
    uint64_t metadataBytes = 0;
    std::vector<uint8_t> body(64 * 1024);
    ChunkHead head;
    bool headPending = false;  // read by the image data stream, not yet walked
    for (;;) {
        if (!headPending) {
            const HeadRead r = readChunkHead(source, head);
            if (r != HeadRead::Read) return first ? PngCheck::NotPng : PngCheck::Damaged;
        }
        headPending = false;
        const uint8_t* type = head.type;
        const uint32_t length = head.length;
        if (first && !isType(type, "IHDR")) return PngCheck::NotPng;

        if (isType(type, "IDAT")) {
            // Every IDAT chunk is read here at once, so another one later is out of order.
            if (sawData || (header.colourType == 3 && !sawPalette)) return PngCheck::Damaged;
            sawData = true;
            const uint64_t imageBytes = pngImageDataBytes(header);
            ImageDataSource data(source, head, pngCompressedDataLimit(imageBytes));
            RowSink rows(header);
            if (checkZlibStream(data, rows) != ZlibVerdict::Sound || !rows.complete() || !data.ended())
                return PngCheck::Damaged;
            head = data.next();
            headPending = true;
            continue;
        }

        if ((metadataBytes += length) > kMaxPngMetadataBytes) return PngCheck::Damaged;
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
            if (!pngSizeReadable(header.width, header.height) || pngImageDataBytes(header) > kMaxPngImageDataBytes)
                return PngCheck::TooLarge;
        } else if (isType(type, "PLTE")) {
            if (sawPalette || sawData || header.colourType == 0 || header.colourType == 4) return PngCheck::Damaged;
            if (length == 0 || length % 3 != 0 || length / 3 > 256) return PngCheck::Damaged;
            if (header.colourType == 3 && length / 3 > (1u << header.bitDepth)) return PngCheck::Damaged;
            sawPalette = true;
        } else if (isType(type, "IEND")) {
            return sawData && length == 0 ? PngCheck::Sound : PngCheck::Damaged;
        } else if (critical || (type[2] & 0x20) != 0) {
            // An unknown critical chunk cannot be skipped; a lower-case third
            // letter is reserved and makes the chunk invalid.
            return PngCheck::Damaged;
        }
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
