#pragma once
// The one picture type of the program: 32-bit pixels, row-major, top row first,
// no padding between rows. Each value is a little-endian 0xAARRGGBB word, so the
// bytes in memory are blue, green, red, fourth byte.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tf {

struct PixelImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;

    PixelImage() = default;
    PixelImage(int32_t w, int32_t h, uint32_t fill = 0)
        : width(w), height(h),
          pixels(static_cast<size_t>(w > 0 ? w : 0) * static_cast<size_t>(h > 0 ? h : 0), fill) {}

    bool empty() const { return width <= 0 || height <= 0; }
    uint32_t at(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    uint32_t& at(int32_t x, int32_t y) {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
    const uint32_t* row(int32_t y) const { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
    uint32_t* row(int32_t y) { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
    // Size of the pixel array in bytes, computed in 64 bits: a long screenshot
    // passes 4 GiB sooner than one thinks.
    uint64_t byteSize() const {
        return static_cast<uint64_t>(width > 0 ? width : 0) * static_cast<uint64_t>(height > 0 ? height : 0) * 4u;
    }
};

// The image mirrored at its main diagonal: width and height exchanged, pixel
// (x, y) moved to (y, x). Rows become columns, so content that scrolled to the
// right moves downwards in the result.
PixelImage transposed(const PixelImage& image);

// The same for a rectangle of `rows` × `cols` pixels inside a larger buffer:
// source pixel (x, y) at src[y * srcPitch + x] goes to dst[x * dstPitch + y].
// Pitches count pixels.
void transposeBlock(const uint32_t* src, size_t srcPitch, uint32_t* dst, size_t dstPitch, int32_t rows,
                    int32_t cols);

// Integer luma: (299 R + 587 G + 114 B) / 1000, truncating; the fourth byte is ignored.
inline int luma(uint32_t px) {
    const uint32_t r = (px >> 16) & 0xFFu;
    const uint32_t g = (px >> 8) & 0xFFu;
    const uint32_t b = px & 0xFFu;
    return static_cast<int>((299u * r + 587u * g + 114u * b) / 1000u);
}

}  // namespace tf
