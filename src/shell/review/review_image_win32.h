#pragma once
// The saved image as the review window reads it back: the size at once, the
// rows on a thread of their own, top to bottom, so that the window shows the
// first screen while the rest of a long capture is still being decoded. The
// stitch never holds the long image whole; this is the only full copy.

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "ground/pixel_image.h"

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
    bool complete() const { return rowsReady() == height_ && height_ > 0; }
    bool failed() const { return failed_.load(std::memory_order_acquire); }
    const uint32_t* row(int32_t y) const { return image_.row(y); }

    // Waits for the decoding to end; the whole image when it succeeded.
    const PixelImage* wait();

private:
    void decode(std::filesystem::path path, HWND notify, UINT progress);

    int32_t width_ = 0, height_ = 0;
    PixelImage image_;
    std::atomic<int32_t> rowsReady_{0};
    std::atomic<bool> failed_{false};
    std::atomic<bool> stop_{false};
    std::thread decoder_;
};

}  // namespace tf
