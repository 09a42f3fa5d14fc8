#pragma once
// The PNG of a finished stream, written from its row store: downward row by
// row, sideways with the stored rows turned back into the file's columns.

#include <filesystem>
#include <memory>
#include <vector>

#include "core/image/png_codec.h"
#include "core/image/png_parts.h"
#include "core/stitch/row_store.h"
#include "core/stitch/stream_composer.h"
#include "ground/scroll_direction.h"

namespace tf {

// The stream's rows from `first` on.
class StreamedRows : public PngRowSource {
public:
    StreamedRows(RowStore& rows, const StreamedImage& image, int32_t first = 0)
        : rows_(rows), image_(image), first_(first) {}
    const uint32_t* rows(int32_t firstRow, int32_t count) override;

private:
    RowStore& rows_;
    const StreamedImage& image_;
    int32_t first_;
    std::vector<uint32_t> block_;
};

// Row r of the file is column r of the stream's image (frames that were
// turned downward, a capture scrolled to the right). Each block of the file
// reads the whole store once, in bands. A part of the file, columns
// [first, first + count) of it, is the stream's rows of that range.
class StreamedColumns : public PngRowSource {
public:
    StreamedColumns(RowStore& rows, const StreamedImage& image);
    StreamedColumns(RowStore& rows, const StreamedImage& image, int32_t first, int32_t count);
    const uint32_t* rows(int32_t firstRow, int32_t count) override;

private:
    RowStore& rows_;
    const StreamedImage& image_;
    int32_t first_ = 0;
    int32_t count_ = 0;
    std::vector<uint32_t> band_;
    std::vector<uint32_t> block_;
};

// The size of the file: the stream's image, turned back when sideways.
struct StreamedSize {
    int32_t width = 0;
    int32_t height = 0;
};
StreamedSize streamedSize(const StreamedImage& image, ScrollDirection direction);

// savePng and savePngAsNew of the stream's image, the same messages at the same steps.
void saveStreamedPng(RowStore& rows, const StreamedImage& image, const std::filesystem::path& path,
                     ScrollDirection direction = ScrollDirection::Down);
std::filesystem::path saveStreamedPngAsNew(RowStore& rows, const StreamedImage& image,
                                           const std::filesystem::path& folder, const std::filesystem::path& stem,
                                           ScrollDirection direction = ScrollDirection::Down);

// The stream's image for saveImageAsNew, whole or in parts of its rows
// (columns of the file, sideways).
class StreamedParts : public ImageParts {
public:
    StreamedParts(RowStore& rows, const StreamedImage& image, ScrollDirection direction)
        : rows_(rows), image_(image), direction_(direction) {}
    int64_t length() const override { return image_.height; }
    PngPart part(const PartRange& range) override;

private:
    RowStore& rows_;
    const StreamedImage& image_;
    ScrollDirection direction_;
    std::vector<std::unique_ptr<PngRowSource>> sources_;
};

}  // namespace tf
