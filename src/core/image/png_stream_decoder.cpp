#include "core/image/png_stream_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "core/image/png_chunks_internal.h"
#include "core/image/zlib_stream_check.h"

namespace tf {
namespace {

using namespace png_chunks;

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Undoes one row's filter in place; `above` is the row before, unfiltered
// (zeros for the first). `unit` is the filter's byte step: a pixel's bytes, at least one.
void unfilter(uint8_t filter, uint8_t* row, const uint8_t* above, size_t bytes, size_t unit) {
    switch (filter) {
        case 1:
            for (size_t i = unit; i < bytes; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - unit]);
            break;
        case 2:
            for (size_t i = 0; i < bytes; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
            break;
        case 3:
            for (size_t i = 0; i < bytes; ++i) {
                const int left = i >= unit ? row[i - unit] : 0;
                row[i] = static_cast<uint8_t>(row[i] + ((left + above[i]) >> 1));
            }
            break;
        case 4:
            for (size_t i = 0; i < bytes; ++i) {
                const int left = i >= unit ? row[i - unit] : 0, corner = i >= unit ? above[i - unit] : 0;
                row[i] = static_cast<uint8_t>(row[i] + paeth(left, above[i], corner));
            }
            break;
        default: break;
    }
}

uint32_t bgra(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return a << 24 | r << 16 | g << 8 | b; }

// How the unfiltered bytes of a row become BGRA pixels.
class RowFormat {
public:
    RowFormat(const PngHeader& h, const std::vector<uint8_t>& palette, const std::vector<uint8_t>& transparency)
        : type_(h.colourType), depth_(h.bitDepth) {
        palette_.fill(0xFF000000u);
        for (size_t i = 0; i + 2 < palette.size() && i / 3 < 256; i += 3)
            palette_[i / 3] = bgra(palette[i], palette[i + 1], palette[i + 2], 255);
        if (type_ == 3) {
            for (size_t i = 0; i < transparency.size() && i < 256; ++i)
                palette_[i] = (palette_[i] & 0x00FFFFFFu) | uint32_t{transparency[i]} << 24;
        } else if ((type_ == 0 && transparency.size() >= 2) || (type_ == 2 && transparency.size() >= 6)) {
            hasKey_ = true;
            for (size_t c = 0; c < (type_ == 0 ? 1u : 3u); ++c)
                key_[c] = static_cast<uint16_t>(transparency[2 * c] << 8 | transparency[2 * c + 1]);
        }
    }

    void convert(const uint8_t* raw, uint32_t width, uint32_t* out) const {
        if (type_ == 6 && depth_ == 8) {
            for (uint32_t x = 0; x < width; ++x, raw += 4) out[x] = bgra(raw[0], raw[1], raw[2], raw[3]);
            return;
        }
        const uint32_t channels = type_ == 2 ? 3 : type_ == 4 ? 2 : type_ == 6 ? 4 : 1;
        for (uint32_t x = 0; x < width; ++x) {
            uint16_t s[4] = {};
            for (uint32_t c = 0; c < channels; ++c) s[c] = sample(raw, x * channels + c);
            switch (type_) {
                case 3: out[x] = palette_[s[0]]; break;
                case 0: {
                    const uint32_t g = eight(s[0]);
                    out[x] = bgra(g, g, g, hasKey_ && s[0] == key_[0] ? 0 : 255);
                    break;
                }
                case 2: {
                    const bool clear = hasKey_ && s[0] == key_[0] && s[1] == key_[1] && s[2] == key_[2];
                    out[x] = bgra(eight(s[0]), eight(s[1]), eight(s[2]), clear ? 0 : 255);
                    break;
                }
                case 4: out[x] = bgra(eight(s[0]), eight(s[0]), eight(s[0]), eight(s[1])); break;
                default: out[x] = bgra(eight(s[0]), eight(s[1]), eight(s[2]), eight(s[3])); break;
            }
        }
    }

private:
    // Sample `i` of the row at the header's depth, most significant bits first.
    uint16_t sample(const uint8_t* raw, uint32_t i) const {
        switch (depth_) {
            case 16: return static_cast<uint16_t>(raw[2 * i] << 8 | raw[2 * i + 1]);
            case 8: return raw[i];
            default: {
                const uint32_t bit = i * depth_;
                const uint32_t shift = 8 - depth_ - bit % 8;
                return static_cast<uint16_t>((raw[bit / 8] >> shift) & ((1u << depth_) - 1));
            }
        }
    }
    uint32_t eight(uint16_t s) const {
        if (depth_ == 16) return s >> 8;
        if (depth_ == 8) return s;
        return s * 255u / ((1u << depth_) - 1);
    }

    uint8_t type_, depth_;
    std::array<uint32_t, 256> palette_{};
    bool hasKey_ = false;
    uint16_t key_[3] = {};
};

// Inflated bytes into rows: each one unfiltered against the one before and
// handed to the sink as BGRA.
class RowAssembler : public InflatedBytesSink {
public:
    RowAssembler(const PngHeader& h, const RowFormat& format, DecodedRowSink& sink)
        : width_(h.width), height_(h.height), unit_(std::max<size_t>(bitsPerPixel(h) / 8, 1)),
          rowBytes_(static_cast<size_t>(imagePasses(h)[0].rowBytes)), format_(format), sink_(sink),
          row_(rowBytes_), above_(rowBytes_) {}

    bool take(const uint8_t* data, size_t size) override {
        while (size > 0) {
            if (y_ == height_) return fail(damaged_);  // more than the rows hold
            const size_t n = std::min(size, rowBytes_ - filled_);
            std::memcpy(row_.data() + filled_, data, n);
            filled_ += n;
            data += n;
            size -= n;
            if (filled_ == rowBytes_ && !finishRow()) return fail(damaged_);
        }
        if (!sink_.rowsDone(static_cast<int32_t>(y_))) return fail(stopped_);
        return true;
    }
    bool complete() const { return y_ == height_ && filled_ == 0; }
    bool stopped() const { return stopped_; }

private:
    bool finishRow() {
        const uint8_t filter = row_[0];
        if (filter > 4) return false;
        unfilter(filter, row_.data() + 1, above_.data() + 1, rowBytes_ - 1, unit_);
        format_.convert(row_.data() + 1, width_, sink_.rowBuffer(static_cast<int32_t>(y_)));
        std::swap(row_, above_);
        filled_ = 0;
        ++y_;
        return true;
    }
    bool fail(bool& why) {
        why = true;
        return false;
    }

    uint32_t width_, height_;
    size_t unit_, rowBytes_;
    const RowFormat& format_;
    DecodedRowSink& sink_;
    std::vector<uint8_t> row_, above_;
    size_t filled_ = 0;
    uint32_t y_ = 0;
    bool damaged_ = false, stopped_ = false;
};

PngStreamResult resultOf(PngCheck c) {
    switch (c) {
        case PngCheck::Sound: return PngStreamResult::Decoded;
        case PngCheck::NotPng: return PngStreamResult::NotPng;
        case PngCheck::TooLarge: return PngStreamResult::TooLarge;
        case PngCheck::Damaged: break;
    }
    return PngStreamResult::Damaged;
}

}  // namespace

PngStreamDecoder::PngStreamDecoder(ByteSource& file)
    : file_(file), walk_(std::make_unique<ChunkWalk>(file, [](const PngHeader& h) {
          return h.width <= kMaxStreamedPngWidth;
      })) {}

PngStreamDecoder::~PngStreamDecoder() = default;

const PngHeader& PngStreamDecoder::header() const { return walk_->header(); }

PngStreamResult PngStreamDecoder::readHeader() {
    const PngStreamResult r = resultOf(walk_->toImageData());
    if (r == PngStreamResult::Decoded && header().interlace != 0) return PngStreamResult::Unsupported;
    return r;
}

PngStreamResult PngStreamDecoder::decodeRows(DecodedRowSink& sink) {
    const PngHeader& h = header();
    const RowFormat format(h, walk_->palette(), walk_->transparency());
    ImageDataSource data(file_, walk_->dataHead(), pngCompressedDataLimit(pngImageDataBytes(h)));
    RowAssembler rows(h, format, sink);
    const ZlibVerdict verdict = checkZlibStream(data, rows);
    if (rows.stopped()) return PngStreamResult::Stopped;
    if (verdict != ZlibVerdict::Sound || !rows.complete() || !data.ended()) return PngStreamResult::Damaged;
    return resultOf(walk_->toEnd(data.next()));
}

}  // namespace tf
