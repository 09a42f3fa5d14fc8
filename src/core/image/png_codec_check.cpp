#include "core/image/png_codec_check.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/image/png_codec.h"
#include "core/image/png_chunks_internal.h"
#include "core/image/zlib_stream_check.h"

namespace tf {
namespace {

using namespace png_chunks;

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
    ChunkWalk walk(source, [](const PngHeader& h) {
        return pngSizeReadable(h.width, h.height) && pngImageDataBytes(h) <= kMaxPngImageDataBytes;
    });
    PngCheck c = walk.toImageData();
    header = walk.header();
    if (c != PngCheck::Sound) return c;
    ImageDataSource data(source, walk.dataHead(), pngCompressedDataLimit(pngImageDataBytes(header)));
    RowSink rows(header);
    if (checkZlibStream(data, rows) != ZlibVerdict::Sound || !rows.complete() || !data.ended())
        return PngCheck::Damaged;
    return walk.toEnd(data.next());
}

void growPixelRows(std::vector<uint32_t>& pixels, size_t rows, size_t width, size_t framePixels) {
    const size_t needed = std::min(rows * width, framePixels);
    if (pixels.size() >= needed) return;
    if (pixels.capacity() < needed) pixels.reserve(std::min(framePixels, std::max(needed, pixels.capacity() * 2)));
    pixels.resize(needed, 0u);
}

}  // namespace tf
