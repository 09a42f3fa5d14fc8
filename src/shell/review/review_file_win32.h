#pragma once
// The saved image as a byte stream: opened once, for reading only, closed to
// writers while the review reads it, and only when it is a file on a disk (a
// pipe or a device in its place could be waited on for ever).

#include <windows.h>

#include <filesystem>
#include <vector>

#include "core/image/png_codec_check.h"
#include "platform/win32/win32_handles.h"

namespace tf {

class ReviewFile final : public ByteSource {
public:
    // False when the file cannot be opened or is no file on a disk.
    bool open(const std::filesystem::path& path);
    bool read(void* data, size_t size, size_t& got) override;

private:
    UniqueFileHandle file_;
    std::vector<uint8_t> buffer_;
    size_t at_ = 0, end_ = 0;
    bool failed_ = false;
};

// The width and height in a PNG's header, read without decoding anything.
bool pngFileSize(const std::filesystem::path& path, int32_t& width, int32_t& height);

}  // namespace tf
