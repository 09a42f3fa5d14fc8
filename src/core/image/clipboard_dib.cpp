#include "core/image/clipboard_dib.h"

#include <cstring>

#include "core/image/png_codec.h"

namespace tf {
namespace {

constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kLcsSrgb = 0x73524742;       // 'sRGB'
constexpr uint32_t kLcsGmImages = 4;            // perceptual rendering intent

void put16(uint8_t*& p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p += 2;
}
void put32(uint8_t*& p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
    p += 4;
}

uint32_t bigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

}  // namespace

std::optional<uint64_t> packedDibV5Size(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return std::nullopt;
    if (static_cast<uint64_t>(width) * 4u > static_cast<uint64_t>(INT32_MAX)) return std::nullopt;
    // Both factors are below 2^31, so the product and the header fit in 64 bits.
    const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u;
    const uint64_t total = pixels + kDibV5HeaderSize;
    if (total > kClipboardBlockLimit) return std::nullopt;
    return total;
}

bool writePackedDibV5(const PixelImage& image, std::span<uint8_t> out) {
    const auto size = packedDibV5Size(image.width, image.height);
    if (!size || out.size() != *size || image.pixels.size() * 4u + kDibV5HeaderSize != *size) return false;
    uint8_t* p = out.data();
    put32(p, kDibV5HeaderSize);
    put32(p, static_cast<uint32_t>(image.width));
    put32(p, static_cast<uint32_t>(image.height));  // positive: bottom row first
    put16(p, 1);                                     // planes
    put16(p, 32);                                    // bits per pixel
    put32(p, kBiBitfields);
    put32(p, static_cast<uint32_t>(*size - kDibV5HeaderSize));
    put32(p, 0);  // pixels per metre, x and y: not known
    put32(p, 0);
    put32(p, 0);  // colours used, important
    put32(p, 0);
    put32(p, 0x00FF0000u);  // red, green, blue and alpha masks
    put32(p, 0x0000FF00u);
    put32(p, 0x000000FFu);
    put32(p, 0xFF000000u);
    put32(p, kLcsSrgb);
    std::memset(p, 0, 36 + 12);  // end points and gamma: unused for sRGB
    p += 36 + 12;
    put32(p, kLcsGmImages);
    put32(p, 0);  // profile data, profile size, reserved
    put32(p, 0);
    put32(p, 0);
    // The words are little-endian 0xAARRGGBB in memory already, as the masks say.
    const size_t rowBytes = static_cast<size_t>(image.width) * 4u;
    for (int32_t y = image.height - 1; y >= 0; --y) {
        std::memcpy(p, image.row(y), rowBytes);
        p += rowBytes;
    }
    return true;
}

std::optional<std::vector<uint8_t>> packedDibV5(const PixelImage& image) {
    const auto size = packedDibV5Size(image.width, image.height);
    if (!size || image.pixels.size() * 4u + kDibV5HeaderSize != *size) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(*size));
    if (!writePackedDibV5(image, bytes)) return std::nullopt;
    return bytes;
}

ClipboardFormats clipboardFormatsFor(uint64_t fileBytes, uint64_t width, uint64_t height) {
    ClipboardFormats formats;
    if (fileBytes == 0 || fileBytes > kClipboardBlockLimit || width == 0 || height == 0) return formats;
    // Whatever format a program asks for, it ends up holding the pixels: an
    // image whose pixels fit no block is not offered at all.
    formats.png = width <= INT32_MAX && height <= INT32_MAX &&
                  packedDibV5Size(static_cast<int64_t>(width), static_cast<int64_t>(height));
    formats.dibV5 = formats.png && pngSizeReadable(width, height);
    return formats;
}

std::optional<ImageSize> pngHeaderSize(std::span<const uint8_t> b) {
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (b.size() < kPngHeaderBytes || std::memcmp(b.data(), kSignature, 8) != 0 ||
        std::memcmp(b.data() + 12, "IHDR", 4) != 0)
        return std::nullopt;
    const ImageSize s{bigEndian32(b.data() + 16), bigEndian32(b.data() + 20)};
    if (s.width == 0 || s.height == 0 || s.width > INT32_MAX || s.height > INT32_MAX) return std::nullopt;
    return s;
}

}  // namespace tf
