#pragma once
// What a frame file is must not depend on the platform's decoder: every file
// is walked chunk by chunk here first, with constant memory, and only a sound
// PNG of a size a screen can have is handed to the decoder.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tf {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes; `got` < size only at the end of the data.
    // False on a read error.
    virtual bool read(void* data, size_t size, size_t& got) = 0;
};

struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 0;
    uint8_t colourType = 0;
    uint8_t interlace = 0;
};

// Everything but the image data: text, colour profiles, private chunks. A
// frame carries little of it; the decoders' own limits lie above this one, so
// both platforms refuse the same files.
inline constexpr uint64_t kMaxPngMetadataBytes = 64u << 20;

enum class PngCheck {
    Sound,
    NotPng,    // no PNG signature, or no header chunk first
    Damaged,   // a bad checksum, a cut-off file, chunks out of order, invalid header
               // fields, more metadata than kMaxPngMetadataBytes
    TooLarge,  // a size no screen rectangle has, or more bytes than one 32-bit copy holds
};

// Walks signature, chunk lengths, types and checksums up to IEND and returns
// at the first fault; a size that cannot be real is refused as soon as the
// header chunk has been read. The image data is inflated on the way, without
// being kept: it must be one zlib stream whose adler32 holds and whose length
// is exactly what the header's rows (and interlace passes) take, each row with
// a valid filter byte. Compressed data beyond what such rows can need is
// refused at the chunk length that passes it, before it is read. So nothing
// the decoder is later handed can fail part-way, and refusing a file costs at
// most one inflation of the image the header declares. Bytes after IEND are
// not looked at.
PngCheck checkPngStructure(ByteSource& source, PngHeader& header);

// The inflated image data of a header: every row of every pass with its filter
// byte. 0 for an invalid header.
uint64_t pngImageDataBytes(const PngHeader& header);
// The most compressed data such an image can take: stored or fixed-code deflate
// of random bytes never grows by an eighth, plus room for block headers.
uint64_t pngCompressedDataLimit(uint64_t imageDataBytes);
// A frame whose inflated data passes this is refused as too large: inflating
// it just to check it would take longer than refusing a file may.
inline constexpr uint64_t kMaxPngImageDataBytes = uint64_t{512} << 20;

class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    bool read(void* out, size_t size, size_t& got) override;

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

uint32_t pngCrc32(const uint8_t* data, size_t size, uint32_t crc = 0);

// Grows a frame's pixel array to hold `rows` rows as they decode: capacity at
// least doubles (so growing is cheap) but never passes the whole frame.
void growPixelRows(std::vector<uint32_t>& pixels, size_t rows, size_t width, size_t framePixels);

}  // namespace tf
