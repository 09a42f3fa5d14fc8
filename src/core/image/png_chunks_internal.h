#pragma once
// The chunk walk that the structure check and the streaming decoder share:
// chunk heads, the image data of consecutive IDAT chunks as one checked byte
// stream, and the rows each interlace pass holds.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/image/png_codec_check.h"
#include "core/image/zlib_stream_check.h"

namespace tf::png_chunks {

uint32_t be32(const uint8_t* p);
bool readExactly(ByteSource& source, void* data, size_t size);
bool isType(const uint8_t* type, const char* name);
bool validDepth(uint8_t colourType, uint8_t depth);
// The fields of a 13-byte IHDR body; false for any invalid one.
bool parseHeader(const uint8_t* body, PngHeader& header);

struct ChunkHead {
    uint32_t length = 0;
    uint8_t type[4] = {};
};

enum class HeadRead { Read, End, Bad };
HeadRead readChunkHead(ByteSource& source, ChunkHead& head);

// The image data of consecutive IDAT chunks as one byte stream, each chunk's
// checksum verified as its end is reached. Stops at the first other chunk,
// whose head it keeps for the walk.
class ImageDataSource : public CompressedBytesSource {
public:
    ImageDataSource(ByteSource& file, const ChunkHead& first, uint64_t limit);
    size_t read(uint8_t* data, size_t capacity) override;
    // The walk goes on from here once the stream was judged sound.
    bool ended() const { return ended_ && !damaged_; }
    const ChunkHead& next() const { return next_; }

private:
    bool begin(const ChunkHead& head);
    size_t fail();

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
std::vector<Pass> imagePasses(const PngHeader& h);
// Bits of one pixel of the header's colour type and depth.
uint32_t bitsPerPixel(const PngHeader& h);

// Whether an image of the header's size may be read at all.
using SizeRule = bool (*)(const PngHeader& header);

// The walk of a file's chunks with PNG's rules, in two legs around the image
// data, which the caller reads through an ImageDataSource of its own.
class ChunkWalk {
public:
    ChunkWalk(ByteSource& source, SizeRule sizeAllowed) : source_(source), sizeAllowed_(sizeAllowed) {}
    // Signature, header and every chunk before the image data; Sound when the
    // first IDAT head has been read (dataHead()).
    PngCheck toImageData();
    // From the head the image data stream stopped at, up to IEND.
    PngCheck toEnd(const ChunkHead& next);

    const PngHeader& header() const { return header_; }
    const ChunkHead& dataHead() const { return head_; }
    // PLTE as read (three bytes an entry) and tRNS (empty when absent).
    const std::vector<uint8_t>& palette() const { return palette_; }
    const std::vector<uint8_t>& transparency() const { return transparency_; }

private:
    enum class Leg { BeforeData, AfterData };
    PngCheck walk(Leg leg, bool headPending);
    PngCheck takeChunk(Leg leg);

    ByteSource& source_;
    SizeRule sizeAllowed_;
    PngHeader header_;
    ChunkHead head_;
    bool first_ = true, sawPalette_ = false;
    uint64_t metadataBytes_ = 0;
    std::vector<uint8_t> body_;
    std::vector<uint8_t> palette_, transparency_;
};

}  // namespace tf::png_chunks
