#pragma once
// The PNG of a finished stream, written from its row store: downward row by
// row, sideways with the stored rows turned back into the file's columns.

#include <filesystem>

#include "core/image/png_codec.h"
#include "core/stitch/row_store.h"
#include "core/stitch/stream_composer.h"
#include "ground/scroll_direction.h"

namespace tf {

class StreamedRows : public PngRowSource {
public:
    StreamedRows(RowStore& rows, const StreamedImage& image) : rows_(rows), image_(image) {}
    const uint32_t* rows(int32_t firstRow, int32_t count) override;

private:
    RowStore& rows_;
    const StreamedImage& image_;
    std::vector<uint32_t> block_;
};

// Row r of the file is column r of the stream's image (frames that were
// turned downward, a capture scrolled to the right). Each block of the file
// reads the whole store once, in bands.
class StreamedColumns : public PngRowSource {
public:
    StreamedColumns(RowStore& rows, const StreamedImage& image) : rows_(rows), image_(image) {}
    const uint32_t* rows(int32_t firstRow, int32_t count) override;

private:
    RowStore& rows_;
    const StreamedImage& image_;
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

}  // namespace tf
