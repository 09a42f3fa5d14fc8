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
    TrimmedRows(const PixelImage& image, const TrimRect& rect);
    const uint32_t* rows(int32_t firstRow, int32_t count) override;

private:
    const PixelImage& image_;
    TrimRect rect_;
    std::vector<uint32_t> block_;
};

// The stem savePngAsNew numbers as trimmedFileName does: "<capture name>-trimmed".
std::filesystem::path trimmedStem(const std::filesystem::path& capture);

// Writes `rect` of `image` (the capture at `capture`) beside it and returns the
// path written. Throws as savePngAsNew does; a rect outside the image is refused.
std::filesystem::path saveTrimmedAsNew(const PixelImage& image, const TrimRect& rect,
                                       const std::filesystem::path& capture);

}  // namespace tf
