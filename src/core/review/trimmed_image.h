#pragma once
// Writing the kept part of a reviewed capture as a new file beside it, through
// the atomic save every capture goes through: never over an existing file,
// never over the capture itself, and with the same refusals (a size PNG
// cannot hold, a disk that fills up).

#include <filesystem>
#include <vector>

#include "core/image/png_codec.h"
#include "core/review/trim_model.h"
#include "ground/pixel_image.h"

namespace tf {

// The rows of `rect` of `image`, handed to the encoder block by block.
class TrimmedRows : public PngRowSource {
public:
    // `pixels` is width × height, row-major, no padding.
    TrimmedRows(const uint32_t* pixels, int32_t width, const TrimRect& rect);
    const uint32_t* rows(int32_t firstRow, int32_t count) override;

private:
    const uint32_t* pixels_;
    int32_t width_;
    TrimRect rect_;
    std::vector<uint32_t> block_;
};

// The stem savePngAsNew numbers as trimmedFileName does: "<capture name>-trimmed".
std::filesystem::path trimmedStem(const std::filesystem::path& capture);

// Writes `rect` of `image` (the capture at `capture`) beside it and returns the
// path written. Throws as savePngAsNew does; a rect outside the image is refused.
std::filesystem::path saveTrimmedAsNew(const uint32_t* pixels, int32_t width, int32_t height, const TrimRect& rect,
                                       const std::filesystem::path& capture);
inline std::filesystem::path saveTrimmedAsNew(const PixelImage& image, const TrimRect& rect,
                                              const std::filesystem::path& capture) {
    return saveTrimmedAsNew(image.pixels.data(), image.width, image.height, rect, capture);
}

}  // namespace tf
