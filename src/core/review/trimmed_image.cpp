#include "core/review/trimmed_image.h"

#include <algorithm>
#include <stdexcept>

namespace tf {

TrimmedRows::TrimmedRows(const uint32_t* pixels, int32_t width, const TrimRect& rect)
    : pixels_(pixels), width_(width), rect_(rect) {}

const uint32_t* TrimmedRows::rows(int32_t firstRow, int32_t count) {
    if (firstRow < 0 || count < 0 || firstRow + count > rect_.height()) throw std::logic_error("row outside the trim");
    const size_t w = static_cast<size_t>(rect_.width());
    block_.resize(w * static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k) {
        const size_t y = static_cast<size_t>(rect_.top + firstRow + k);
        const uint32_t* src = pixels_ + y * static_cast<size_t>(width_) + rect_.left;
        std::copy(src, src + w, block_.begin() + static_cast<std::ptrdiff_t>(w * static_cast<size_t>(k)));
    }
    return block_.data();
}

std::filesystem::path trimmedStem(const std::filesystem::path& capture) {
    return std::filesystem::path(capture.stem().wstring() + L"-trimmed");
}

std::filesystem::path saveTrimmedAsNew(const uint32_t* pixels, int32_t width, int32_t height, const TrimRect& rect,
                                       const std::filesystem::path& capture) {
    if (pixels == nullptr || rect.left < 0 || rect.top < 0 || rect.right > width || rect.bottom > height ||
        rect.width() < 1 || rect.height() < 1)
        throw std::runtime_error("invalid trim");
    TrimmedRows rows(pixels, width, rect);
    return savePngAsNew(rect.width(), rect.height(), rows, capture.parent_path(), trimmedStem(capture));
}

}  // namespace tf
