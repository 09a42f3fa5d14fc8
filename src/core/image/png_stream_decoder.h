#pragma once
// A PNG read row by row as it inflates, for a window that shows the top of a
// long image while the rest is still arriving. Memory stays constant besides
// the rows handed over; every chunk's checksum, the zlib stream and the row
// filters are verified on the way, so a damaged or cut-off file ends in
// Damaged (the rows before the fault may already have been handed over),
// never in a hang or a crash.

#include <cstdint>
#include <memory>

#include "core/image/png_codec_check.h"

namespace tf {

namespace png_chunks {
class ChunkWalk;
}

enum class PngStreamResult {
    Decoded,      // readHeader: ready for decodeRows; decodeRows: every row and the file up to IEND are sound
    NotPng,       // no PNG signature or no header chunk first
    Unsupported,  // a sound PNG this decoder leaves to the platform's (interlaced)
    Damaged,      // a bad chunk, checksum, length, header field, zlib stream or filter; data cut short
    TooLarge,     // a row wider than kMaxStreamedPngWidth
    Stopped,      // the sink asked to stop
};

// Wider rows are refused: a row is held three times while it is unfiltered.
inline constexpr uint32_t kMaxStreamedPngWidth = 1u << 20;

class DecodedRowSink {
public:
    virtual ~DecodedRowSink() = default;
    // Where row `y` goes: the header's width in straight BGRA pixels.
    virtual uint32_t* rowBuffer(int32_t y) = 0;
    // Rows [0, rows) are complete and will not be written again. False stops the decoding.
    virtual bool rowsDone(int32_t rows) = 0;
};

class PngStreamDecoder {
public:
    explicit PngStreamDecoder(ByteSource& file);
    ~PngStreamDecoder();
    PngStreamDecoder(const PngStreamDecoder&) = delete;
    PngStreamDecoder& operator=(const PngStreamDecoder&) = delete;

    // Signature, header and every chunk before the image data.
    PngStreamResult readHeader();
    // Valid once readHeader has read the header chunk.
    const PngHeader& header() const;
    // After readHeader returned Decoded: the rows, top to bottom, then the
    // chunks after them up to IEND.
    PngStreamResult decodeRows(DecodedRowSink& sink);

private:
    ByteSource& file_;
    std::unique_ptr<png_chunks::ChunkWalk> walk_;
};

}  // namespace tf
