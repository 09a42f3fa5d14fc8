#pragma once
// The image as the clipboard's CF_DIBV5 format wants it: a packed
// BITMAPV5HEADER (124 bytes, 32 bits per pixel, BI_BITFIELDS with the masks of
// 0xAARRGGBB words, sRGB colour space) followed by the rows bottom-up. Portable
// so that the bytes can be checked without Windows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ground/pixel_image.h"

namespace tf {

inline constexpr uint32_t kDibV5HeaderSize = 124;

// The header stores the pixel byte count in 32 bits and programs that paste
// read the block with 32-bit sizes: nothing larger is put on the clipboard.
inline constexpr uint64_t kClipboardBlockLimit = 0xFFFFFFFFu;

// Header plus pixels in 64 bits, or nullopt for an empty image, one whose
// block would pass kClipboardBlockLimit, or one whose row pitch (width × 4
// bytes) passes the signed 32-bit pitch programs compute from the header's
// width: a wide image meets that first.
std::optional<uint64_t> packedDibV5Size(int64_t width, int64_t height);

// Writes header and pixels into `out`, which must be exactly
// packedDibV5Size(image) bytes long; false (nothing written) otherwise. Lets
// the caller write straight into a locked global block without a second copy.
bool writePackedDibV5(const PixelImage& image, std::span<uint8_t> out);

// The same as a new byte vector, or nullopt when the image cannot go there.
std::optional<std::vector<uint8_t>> packedDibV5(const PixelImage& image);

// The formats a saved PNG file of `fileBytes` bytes and this size can be
// offered in: its own bytes as "PNG" when they and its packed bitmap fit a
// clipboard block, and also as CF_DIBV5 when the program can decode the file
// back into pixels (a long or wide image may be past that).
struct ClipboardFormats {
    bool png = false;
    bool dibV5 = false;
};
ClipboardFormats clipboardFormatsFor(uint64_t fileBytes, uint64_t width, uint64_t height);

// Width and height from a PNG file's first bytes (signature and IHDR), so that
// a size can be refused before the file is decoded; nullopt when the bytes are
// not the start of a PNG file.
struct ImageSize {
    uint32_t width = 0;
    uint32_t height = 0;
};
std::optional<ImageSize> pngHeaderSize(std::span<const uint8_t> firstBytes);
inline constexpr size_t kPngHeaderBytes = 24;

}  // namespace tf
