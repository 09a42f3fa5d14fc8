#include "image/png_codec.h"

#include <cstdint>

namespace tf {

std::vector<RowBlock> pngRowBlocks(int32_t height) {
    std::vector<RowBlock> blocks;
    for (int32_t r = 0; r < height; r += kPngRowBlock) blocks.push_back({r, std::min(height - r, kPngRowBlock)});
    return blocks;
}

bool pngSizeWritable(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return false;
    const uint64_t pitch = static_cast<uint64_t>(width) * 4u;
    const uint64_t block = pitch * static_cast<uint64_t>(std::min(height, kPngRowBlock));
    return block <= UINT32_MAX;
}

bool pngSizeReadable(uint64_t width, uint64_t height) {
    if (width == 0 || height == 0) return false;
    if (width > INT32_MAX || height > INT32_MAX) return false;
    return width * height * 4u <= UINT32_MAX;
}

}  // namespace tf
