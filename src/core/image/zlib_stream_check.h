#pragma once
// A zlib stream inflated only to be judged: its blocks, codes, distances,
// inflated length and adler32 are verified with a fixed 128 KiB of memory,
// whatever it claims to hold. Both platforms run it before their decoders
// allocate a frame, so a file that would fail late is refused early and cheaply.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tf {

// Where the inflated bytes go, in order, piece by piece.
class InflatedBytesSink {
public:
    virtual ~InflatedBytesSink() = default;
    // False refuses the stream at once (more bytes than expected, a bad row).
    virtual bool take(const uint8_t* data, size_t size) = 0;
};

// Where the compressed bytes come from.
class CompressedBytesSource {
public:
    virtual ~CompressedBytesSource() = default;
    // Up to `capacity` bytes; 0 at the end of the stream's data or on an error.
    virtual size_t read(uint8_t* data, size_t capacity) = 0;
};

enum class ZlibVerdict {
    Sound,      // a complete stream whose adler32 holds
    Damaged,    // a bad header, block, code or distance, a wrong checksum, or data cut short
    Refused,    // the sink refused what was inflated
};

// Reads the stream from `source` up to its adler32 and no further.
ZlibVerdict checkZlibStream(CompressedBytesSource& source, InflatedBytesSink& sink);

uint32_t adler32(const uint8_t* data, size_t size, uint32_t adler = 1);

}  // namespace tf
