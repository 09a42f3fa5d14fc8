#pragma once
// The saved image as the review window reads it back: the size from its
// header at once, the rows on a thread of their own, top to bottom, as they
// inflate, so that the window shows the first screen while the rest of a long
// capture is still being decoded. The file is opened once; the pixel array is
// the only full copy, and its pages are touched only as rows arrive.

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "core/image/png_stream_decoder.h"
#include "shell/review/review_file_win32.h"

namespace tf {

class ReviewImage {
public:
    ReviewImage() = default;
    ~ReviewImage();
    ReviewImage(const ReviewImage&) = delete;
    ReviewImage& operator=(const ReviewImage&) = delete;

    // Reads the size of `path` and starts decoding it; `progress` is posted
    // to `notify` as rows arrive (a few times a second) and once at the end.
    // False when the file is no image this program can read.
    bool open(const std::filesystem::path& path, HWND notify, UINT progress);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    // Rows [0, rowsReady()) may be read; they never change again.
    int32_t rowsReady() const { return rowsReady_.load(std::memory_order_acquire); }
    bool complete() const { return rowsReady() == height_ && height_ > 0 && !failed(); }
    bool failed() const { return failed_.load(std::memory_order_acquire); }
    const uint32_t* row(int32_t y) const { return pixels_.get() + static_cast<size_t>(y) * static_cast<size_t>(width_); }

    // Blocks until the decoding has ended, from any thread; true when every row arrived.
    bool waitDecoded();

private:
    class Rows;
    bool allocate(uint32_t width, uint32_t height);
    void decodeStreamed(HWND notify, UINT progress);
    void decodeByPlatform(std::filesystem::path path, HWND notify, UINT progress);
    void finish(bool ok, HWND notify, UINT progress);

    int32_t width_ = 0, height_ = 0;
    std::unique_ptr<uint32_t[]> pixels_;
    ReviewFile file_;
    std::unique_ptr<PngStreamDecoder> decoder_;
    std::atomic<int32_t> rowsReady_{0};
    std::atomic<bool> failed_{false};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable ended_;
    bool finished_ = false;
    std::thread worker_;
};

}  // namespace tf
