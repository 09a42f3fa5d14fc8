// PNG files through libspng, for the builds without the Windows Imaging
// Component. Each step raises the same message at the same point as the WIC
// version, so callers and logs cannot tell the two apart.

#include <spng.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "core/image/atomic_file.h"
#include "core/image/png_codec.h"
#include "core/image/png_codec_check.h"

namespace tf {
namespace {

struct CtxDeleter {
    void operator()(spng_ctx* c) const { spng_ctx_free(c); }
};
using SpngCtx = std::unique_ptr<spng_ctx, CtxDeleter>;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void fail(const char* message) { throw std::runtime_error(message); }

}  // namespace

namespace {

constexpr int kPngCompressionLevel = 3;

// B, G, R, A words to R, G, B, A bytes; whole words, so that the compiler vectorises it.
void swapRedAndBlue(const uint32_t* src, uint8_t* dst, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i) {
        const uint32_t px = src[i];
        const uint32_t swapped = (px & 0xFF00FF00u) | ((px >> 16) & 0xFFu) | ((px & 0xFFu) << 16);
        std::memcpy(dst + 4 * i, &swapped, 4);
    }
}

int writeToFile(spng_ctx*, void* user, void* data, size_t length) {
    return static_cast<AtomicFile*>(user)->write(data, length) ? 0 : SPNG_IO_ERROR;
}

class FileSource : public ByteSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    bool read(void* data, size_t size, size_t& got) override {
        got = std::fread(data, 1, size, file_);
        return got == size || !std::ferror(file_);
    }

private:
    std::FILE* file_;
};

}  // namespace

void encodePng(int32_t width, int32_t height, PngRowSource& rows, AtomicFile& file) {
    using namespace png_messages;
    SpngCtx ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx) fail(kFactory);
    if (spng_set_png_stream(ctx.get(), writeToFile, &file) != 0) fail(kEncoderInit);

    spng_ihdr ihdr{};
    ihdr.width = static_cast<uint32_t>(width);
    ihdr.height = static_cast<uint32_t>(height);
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    if (spng_set_ihdr(ctx.get(), &ihdr) != 0) fail(kFrameSize);
    // Screenshots are mostly flat colour and text: unfiltered rows at a low zlib
    // level come out about as small as the adaptive filters at level 6 give
    // (smaller on real pages, measured) for a sixth of the time. The heuristic
    // that tries every filter per row was most of the cost of a long save.
    if (spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_NONE) != 0 ||
        spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, kPngCompressionLevel) != 0)
        fail(kEncoderInit);
    if (spng_encode_image(ctx.get(), nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE) != 0)
        fail(kPixelFormat);

    // Blocks of at most 256 rows, each swizzled from BGRA to RGBA once.
    const size_t pitch = static_cast<size_t>(width) * 4u;
    std::vector<uint8_t> block;
    for (const RowBlock& b : pngRowBlocks(height)) {
        block.resize(pitch * static_cast<size_t>(b.rows));
        const uint32_t* src = rows.rows(b.firstRow, b.rows);
        swapRedAndBlue(src, block.data(), static_cast<size_t>(width) * static_cast<size_t>(b.rows));
        for (int32_t r = 0; r < b.rows; ++r) {
            const int rc = spng_encode_row(ctx.get(), block.data() + pitch * static_cast<size_t>(r), pitch);
            // The last row reports SPNG_EOI: the image is complete.
            if (rc != 0 && !(rc == SPNG_EOI && b.firstRow + r == height - 1)) fail(kWritePixels);
        }
    }
    // The stream was finalised with the last row; flushing and closing
    // the file is the caller's step.
}

PixelImage loadPng(const std::filesystem::path& path) {
    using namespace png_messages;
    SpngCtx ctx(spng_ctx_new(0));
    if (!ctx) fail(kFactory);
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) fail(kDecoder);
    PngHeader header;
    FileSource source(file.get());
    switch (checkPngStructure(source, header)) {
        case PngCheck::Sound: break;
        case PngCheck::TooLarge: fail(kCopy);
        case PngCheck::NotPng:
        case PngCheck::Damaged: fail(kDecoder);
    }
    if (std::fseek(file.get(), 0, SEEK_SET) != 0) fail(kDecoder);
    if (spng_set_png_file(ctx.get(), file.get()) != 0) fail(kDecoder);
    spng_set_image_limits(ctx.get(), kMaxFrameSide, kMaxFrameSide);
    // The check above already bounds the metadata; these limits only keep the
    // decoder's memory bounded should the file change in between.
    spng_set_chunk_limits(ctx.get(), 2 * kMaxPngMetadataBytes, 2 * kMaxPngMetadataBytes);
    spng_ihdr ihdr{};
    if (spng_get_ihdr(ctx.get(), &ihdr) != 0) fail(kDecoder);
    // The file changed between the check and the decoding.
    if (ihdr.width != header.width || ihdr.height != header.height) fail(kDecoder);

    size_t decodedSize = 0;
    if (spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &decodedSize) != 0) fail(kFrameDecode);
    if (!pngSizeReadable(ihdr.width, ihdr.height) || decodedSize != static_cast<size_t>(ihdr.width) * ihdr.height * 4u)
        fail(kCopy);
    // Straight alpha: tRNS applied, no gamma; images without alpha come out opaque.
    if (spng_decode_image(ctx.get(), nullptr, 0, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE) != 0)
        fail(kFrameDecode);

    // Rows are decoded one by one into an array that grows with them, so
    // a file whose data stops early costs only what it really holds.
    PixelImage image;
    image.width = static_cast<int32_t>(ihdr.width);
    image.height = static_cast<int32_t>(ihdr.height);
    const size_t width = ihdr.width;
    const size_t framePixels = width * ihdr.height;
    int rc = 0;
    for (;;) {
        spng_row_info info{};
        rc = spng_get_row_info(ctx.get(), &info);
        if (rc != 0) break;
        if (info.row_num >= ihdr.height) fail(kCopy);
        // Interlaced passes revisit rows: the array reaches past the row being filled.
        growPixelRows(image.pixels, static_cast<size_t>(info.row_num) + 1, width, framePixels);
        rc = spng_decode_row(ctx.get(), image.pixels.data() + width * info.row_num, width * 4u);
        if (rc != 0) break;
    }
    if (rc != SPNG_EOI) fail(kCopy);
    // The pixels may be complete while the file is cut short or its last chunks are
    // damaged: read on to the end so that a broken file is never taken for a good one.
    if (spng_decode_chunks(ctx.get()) != 0) fail(kCopy);
    growPixelRows(image.pixels, ihdr.height, width, framePixels);
    for (uint32_t& px : image.pixels) {
        // The buffer holds R, G, B, A bytes; the image wants B, G, R, A.
        const uint8_t* b = reinterpret_cast<const uint8_t*>(&px);
        px = (static_cast<uint32_t>(b[3]) << 24) | (static_cast<uint32_t>(b[0]) << 16) |
             (static_cast<uint32_t>(b[1]) << 8) | static_cast<uint32_t>(b[2]);
    }
    return image;
}

}  // namespace tf
