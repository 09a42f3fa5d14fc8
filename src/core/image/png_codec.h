#pragma once
// PNG files: 8-bit RGBA out, straight BGRA in. Every failing step throws
// std::runtime_error with the step's fixed message (see png_codec.cpp).

#include <filesystem>

#include "ground/pixel_image.h"

namespace tf {

class AtomicFile;

// The rows of an image that need not exist whole: the encoder asks for them
// block by block, top to bottom, each block once.
class PngRowSource {
public:
    virtual ~PngRowSource() = default;
    // `count` rows from `firstRow` on, contiguous with a pitch of width × 4
    // bytes; valid until the next call. May throw; the save then fails.
    virtual const uint32_t* rows(int32_t firstRow, int32_t count) = 0;
};

// Writes one PNG to a temporary file in the destination folder and gives it
// the name `path` only once it is complete, replacing a file of that name.
// On any failure the temporary file is removed and `path` is untouched.
// Pixels go to the encoder in blocks of at most kPngRowBlock rows. COM must be
// initialised on Windows.
void savePng(const PixelImage& image, const std::filesystem::path& path);

// Like savePng, but never replaces anything: the file is named stem + ".png"
// in `folder`, or stem + "-2.png", "-3.png", ... when that name is taken.
// Returns the path written.
std::filesystem::path savePngAsNew(const PixelImage& image, const std::filesystem::path& folder,
                                   const std::filesystem::path& stem);

// The same for an image whose rows come from `rows` (width × height pixels).
void savePng(int32_t width, int32_t height, PngRowSource& rows, const std::filesystem::path& path);
std::filesystem::path savePngAsNew(int32_t width, int32_t height, PngRowSource& rows,
                                   const std::filesystem::path& folder, const std::filesystem::path& stem);

// Reads the first frame of a PNG file as straight 32-bit BGRA. The file's
// structure and checksums are checked first, so both platforms accept and
// refuse the same files; memory grows only as rows actually decode.
PixelImage loadPng(const std::filesystem::path& path);

inline constexpr int32_t kPngRowBlock = 256;

// The row blocks in which an image of `height` rows is written: first row and row count.
struct RowBlock {
    int32_t firstRow;
    int32_t rows;
};
std::vector<RowBlock> pngRowBlocks(int32_t height);

// The platform encoders take 32-bit byte counts. True when an image of this size
// can be written (pitch × block fits) respectively read back as a frame: a
// frame is a screen rectangle, at most kMaxFrameSide on each side, and its
// bytes fit one 32-bit copy.
bool pngSizeWritable(int32_t width, int32_t height);
bool pngSizeReadable(uint64_t width, uint64_t height);
inline constexpr uint32_t kMaxFrameSide = 32768;

// The platform's encoder: writes the PNG stream into `file`.
void encodePng(int32_t width, int32_t height, PngRowSource& rows, AtomicFile& file);

namespace png_messages {
inline constexpr const char* kFactory = "WIC factory failed";
inline constexpr const char* kStream = "WIC stream failed";
inline constexpr const char* kOpen = "open png failed";
inline constexpr const char* kEncoder = "png encoder failed";
inline constexpr const char* kEncoderInit = "encoder init failed";
inline constexpr const char* kFrame = "png frame failed";
inline constexpr const char* kFrameInit = "frame init failed";
inline constexpr const char* kFrameSize = "frame size failed";
inline constexpr const char* kPixelFormat = "pixel format failed";
inline constexpr const char* kWritePixels = "write pixels failed";
// No message is given for a failed commit; reporting it keeps a broken file
// from being taken for a finished one.
inline constexpr const char* kCommit = "png commit failed";
inline constexpr const char* kDecoder = "png decoder failed";
inline constexpr const char* kFrameDecode = "png frame decode failed";
inline constexpr const char* kConverter = "format converter failed";
inline constexpr const char* kConvert = "convert png failed";
inline constexpr const char* kCopy = "copy png failed";
}  // namespace png_messages

}  // namespace tf
