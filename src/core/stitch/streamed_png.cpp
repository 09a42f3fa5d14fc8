#include "core/stitch/streamed_png.h"

#include <algorithm>
#include <stdexcept>

namespace tf {
namespace {

// Stored rows are read in bands of this many when they are turned into the
// file's rows: few reads, and a band that stays in the cache.
constexpr int32_t kStoredRowBand = 256;

}  // namespace

const uint32_t* StreamedRows::rows(int32_t firstRow, int32_t count) {
    block_.resize(static_cast<size_t>(std::max(image_.width, 0)) * static_cast<size_t>(std::max(count, 0)));
    readStreamedRows(rows_, image_, first_ + firstRow, count, block_.data());
    return block_.data();
}

StreamedColumns::StreamedColumns(RowStore& rows, const StreamedImage& image)
    : rows_(rows), image_(image), count_(std::max(image.height, 0)) {}

StreamedColumns::StreamedColumns(RowStore& rows, const StreamedImage& image, int32_t first, int32_t count)
    : rows_(rows), image_(image), first_(first), count_(count) {
    if (first < 0 || count < 0 || static_cast<int64_t>(first) + count > image.height)
        throw std::logic_error("part outside the image");
}

const uint32_t* StreamedColumns::rows(int32_t firstRow, int32_t count) {
    const size_t width = static_cast<size_t>(std::max(image_.width, 0));
    const size_t fileWidth = static_cast<size_t>(count_);
    if (firstRow < 0 || count < 0 || static_cast<size_t>(firstRow) + static_cast<size_t>(count) > width)
        throw std::logic_error("row outside the image");
    block_.resize(fileWidth * static_cast<size_t>(count));
    band_.resize(width * std::min<size_t>(kStoredRowBand, fileWidth));
    for (int32_t band = 0; band < count_; band += kStoredRowBand) {
        const int32_t bandRows = std::min(kStoredRowBand, count_ - band);
        readStreamedRows(rows_, image_, first_ + band, bandRows, band_.data());
        transposeBlock(band_.data() + firstRow, width, block_.data() + band, fileWidth, bandRows, count);
    }
    return block_.data();
}

StreamedSize streamedSize(const StreamedImage& image, ScrollDirection direction) {
    if (direction == ScrollDirection::Right) return {image.height, image.width};
    return {image.width, image.height};
}

namespace {

template <class Save>
auto saveOriented(RowStore& rows, const StreamedImage& image, ScrollDirection direction, Save&& save) {
    const StreamedSize size = streamedSize(image, direction);
    if (direction == ScrollDirection::Right) {
        StreamedColumns columns(rows, image);
        return save(size.width, size.height, columns);
    }
    StreamedRows down(rows, image);
    return save(size.width, size.height, down);
}

}  // namespace

void saveStreamedPng(RowStore& rows, const StreamedImage& image, const std::filesystem::path& path,
                     ScrollDirection direction) {
    saveOriented(rows, image, direction,
                 [&](int32_t width, int32_t height, PngRowSource& source) { savePng(width, height, source, path); });
}

std::filesystem::path saveStreamedPngAsNew(RowStore& rows, const StreamedImage& image,
                                           const std::filesystem::path& folder, const std::filesystem::path& stem,
                                           ScrollDirection direction) {
    return saveOriented(rows, image, direction, [&](int32_t width, int32_t height, PngRowSource& source) {
        return savePngAsNew(width, height, source, folder, stem);
    });
}

PngPart StreamedParts::part(const PartRange& range) {
    const int32_t first = static_cast<int32_t>(range.first);
    const int32_t count = static_cast<int32_t>(range.count);
    if (direction_ == ScrollDirection::Right) {
        sources_.push_back(std::make_unique<StreamedColumns>(rows_, image_, first, count));
        return {count, image_.width, sources_.back().get()};
    }
    if (first < 0 || count < 0 || static_cast<int64_t>(first) + count > image_.height)
        throw std::logic_error("part outside the image");
    sources_.push_back(std::make_unique<StreamedRows>(rows_, image_, first));
    return {image_.width, count, sources_.back().get()};
}

}  // namespace tf
