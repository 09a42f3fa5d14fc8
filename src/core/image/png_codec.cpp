#include "core/image/png_codec.h"

#include <cstdint>
#include <stdexcept>

#include "core/image/atomic_file.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

[[noreturn]] void fail(const char* message) { throw std::runtime_error(message); }

// A whole image hands out its own rows; nothing is copied.
class ImageRows : public PngRowSource {
public:
    explicit ImageRows(const PixelImage& image) : image_(image) {}
    const uint32_t* rows(int32_t firstRow, int32_t) override { return image_.row(firstRow); }

private:
    const PixelImage& image_;
};

// Refused before anything is written: an image the encoder cannot take must
// not cost the user a file.
void requireWritable(const PixelImage& image) {
    if (!pngSizeWritable(image.width, image.height) || image.pixels.size() * 4u < image.byteSize())
        fail(png_messages::kFrameSize);
}

void requireWritable(int32_t width, int32_t height) {
    if (!pngSizeWritable(width, height)) fail(png_messages::kFrameSize);
}

void writeTemporary(int32_t width, int32_t height, PngRowSource& rows, AtomicFile& file, const fs::path& folder) {
    if (!file.create(folder)) fail(png_messages::kOpen);
    encodePng(width, height, rows, file);
    if (!file.finish()) fail(png_messages::kCommit);
}

void saveReplacing(int32_t width, int32_t height, PngRowSource& rows, const fs::path& path) {
    // What would not be replaced is refused before anything is encoded: a
    // folder, a device, a FIFO, a socket, a file the user may not write.
    const ExistingFile existing = inspectExistingFile(path);
    if (existing == ExistingFile::NotRegular || existing == ExistingFile::NotWritable) fail(png_messages::kOpen);
    AtomicFile file;  // removes the temporary file on every throw
    writeTemporary(width, height, rows, file, path.parent_path());
    if (file.publish(path, true) != PublishOutcome::Published) fail(png_messages::kOpen);
}

fs::path saveAsNew(int32_t width, int32_t height, PngRowSource& rows, const fs::path& folder, const fs::path& stem) {
    AtomicFile file;
    writeTemporary(width, height, rows, file, folder);
    const fs::path taken = publishUnderFreeName(file, folder, stem, fs::path(".png"));
    if (taken.empty()) fail(png_messages::kOpen);
    return taken;
}

}  // namespace

void savePng(const PixelImage& image, const fs::path& path) {
    requireWritable(image);
    ImageRows rows(image);
    saveReplacing(image.width, image.height, rows, path);
}

void savePng(int32_t width, int32_t height, PngRowSource& rows, const fs::path& path) {
    requireWritable(width, height);
    saveReplacing(width, height, rows, path);
}

fs::path savePngAsNew(const PixelImage& image, const fs::path& folder, const fs::path& stem) {
    requireWritable(image);
    ImageRows rows(image);
    return saveAsNew(image.width, image.height, rows, folder, stem);
}

fs::path savePngAsNew(int32_t width, int32_t height, PngRowSource& rows, const fs::path& folder,
                      const fs::path& stem) {
    requireWritable(width, height);
    return saveAsNew(width, height, rows, folder, stem);
}

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
    if (width > kMaxFrameSide || height > kMaxFrameSide) return false;
    return width * height * 4u <= UINT32_MAX;
}

}  // namespace tf
