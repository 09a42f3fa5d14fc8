#include "shell/review/review_file_win32.h"

#include <algorithm>
#include <cstring>

#include "core/image/png_stream_decoder.h"

namespace tf {
namespace {

// Large enough that a chunk head costs no call of its own.
constexpr size_t kReadBytes = 256 * 1024;

}  // namespace

bool ReviewFile::open(const std::filesystem::path& path) {
    file_.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file_ || GetFileType(file_.get()) != FILE_TYPE_DISK) {
        file_.reset();
        return false;
    }
    buffer_.resize(kReadBytes);
    return true;
}

bool ReviewFile::read(void* data, size_t size, size_t& got) {
    got = 0;
    auto* out = static_cast<uint8_t*>(data);
    while (got < size) {
        if (at_ == end_) {
            if (failed_ || !file_) return false;
            DWORD n = 0;
            if (!ReadFile(file_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), &n, nullptr)) {
                failed_ = true;
                return false;
            }
            at_ = 0;
            end_ = n;
            if (n == 0) return true;  // the end of the file
        }
        const size_t take = std::min(size - got, end_ - at_);
        std::memcpy(out + got, buffer_.data() + at_, take);
        at_ += take;
        got += take;
    }
    return true;
}

bool pngFileSize(const std::filesystem::path& path, int32_t& width, int32_t& height) {
    ReviewFile file;
    if (!file.open(path)) return false;
    PngStreamDecoder decoder(file);
    const PngStreamResult r = decoder.readHeader();
    if (r != PngStreamResult::Decoded && r != PngStreamResult::Unsupported) return false;
    width = static_cast<int32_t>(decoder.header().width);
    height = static_cast<int32_t>(decoder.header().height);
    return true;
}

}  // namespace tf
