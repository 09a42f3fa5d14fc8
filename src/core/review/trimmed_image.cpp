#include "core/review/trimmed_image.h"

#include <algorithm>
#include <stdexcept>

namespace tf {

TrimmedRows::TrimmedRows(const PixelImage& image, const TrimRect& rect) : image_(image), rect_(rect) {}

const uint32_t* TrimmedRows::rows(int32_t firstRow, int32_t count) {
    if (firstRow < 0 || count < 0 || firstRow + count > rect_.height()) throw std::logic_error("row outside the trim");
    const size_t w = static_cast<size_t>(rect_.width());
    block_.resize(w * static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k) {
        const uint32_t* src = image_.row(rect_.top + firstRow + k) + rect_.left;
        std::copy(src, src + w, block_.begin() + static_cast<std::ptrdiff_t>(w * static_cast<size_t>(k)));
    }
    return block_.data();
}

std::filesystem::path trimmedStem(const std::filesystem::path& capture) {
    return std::filesystem::path(capture.stem().wstring() + L"-trimmed");
}

std::filesystem::path saveTrimmedAsNew(const PixelImage& image, const TrimRect& rect,
                                       const std::filesystem::path& capture) {
    if (rect.left < 0 || rect.top < 0 || rect.right > image.width || rect.bottom > image.height || rect.width() < 1 ||
        rect.height() < 1)
        throw std::runtime_error("invalid trim");
    TrimmedRows rows(image, rect);
    return savePngAsNew(rect.width(), rect.height(), rows, capture.parent_path(), trimmedStem(capture));
}

}  // namespace tf
