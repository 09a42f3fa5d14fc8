#include "shell/review/review_image_win32.h"

#include <objbase.h>
#include <wincodec.h>

#include <limits>
#include <new>

#include "core/image/png_codec.h"
#include "platform/win32/win32_handles.h"

namespace tf {
namespace {

// {317D06E8-5F24-433D-BDF7-79CE68D8ABC2}
const CLSID kImagingFactory2 = {0x317d06e8, 0x5f24, 0x433d, {0xbd, 0xf7, 0x79, 0xce, 0x68, 0xd8, 0xab, 0xc2}};
// Often enough that the first screen shows as soon as its rows are in.
constexpr ULONGLONG kProgressEveryMs = 50;

// The decoded frame as 32-bit BGRA, or null: for the images the streaming
// decoder leaves to the platform (interlaced PNGs, other formats).
ComPtr<IWICBitmapSource> openBgra(const std::filesystem::path& path) {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(kImagingFactory2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)))) return {};
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder)))
        return {};
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame))) return {};
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter))) return {};
    if (FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return {};
    return converter;
}

}  // namespace

// The decoder's rows straight into the pixel array, announced as they complete.
class ReviewImage::Rows final : public DecodedRowSink {
public:
    Rows(ReviewImage& image, HWND notify, UINT progress) : image_(image), notify_(notify), progress_(progress) {}
    uint32_t* rowBuffer(int32_t y) override { return image_.pixels_.get() + static_cast<size_t>(y) * image_.width_; }
    bool rowsDone(int32_t rows) override {
        image_.rowsReady_.store(rows, std::memory_order_release);
        if (GetTickCount64() - told_ >= kProgressEveryMs) {
            told_ = GetTickCount64();
            PostMessageW(notify_, progress_, 0, 0);
        }
        return !image_.stop_.load();
    }

private:
    ReviewImage& image_;
    HWND notify_;
    UINT progress_;
    ULONGLONG told_ = 0;
};

ReviewImage::~ReviewImage() {
    stop_.store(true);
    if (worker_.joinable()) worker_.join();
}

bool ReviewImage::allocate(uint32_t width, uint32_t height) {
    // A row block is copied with one 32-bit byte count.
    const uint64_t blockBytes = static_cast<uint64_t>(width) * 4u * kPngRowBlock;
    const uint64_t pixels = static_cast<uint64_t>(width) * height;
    if (width == 0 || height == 0 || width > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) ||
        height > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()) || blockBytes > UINT32_MAX ||
        pixels > std::numeric_limits<size_t>::max() / 4)
        return false;
    // Left uninitialised: the system hands out zero pages as they are first
    // written, so memory grows with the decoded rows, and no row is read
    // before it is decoded.
    pixels_.reset(new (std::nothrow) uint32_t[static_cast<size_t>(pixels)]);
    if (!pixels_) return false;
    width_ = static_cast<int32_t>(width);
    height_ = static_cast<int32_t>(height);
    return true;
}

bool ReviewImage::open(const std::filesystem::path& path, HWND notify, UINT progress) {
    if (!file_.open(path)) return false;
    decoder_ = std::make_unique<PngStreamDecoder>(file_);
    switch (decoder_->readHeader()) {
        case PngStreamResult::Decoded:
            if (!allocate(decoder_->header().width, decoder_->header().height)) return false;
            worker_ = std::thread(&ReviewImage::decodeStreamed, this, notify, progress);
            return true;
        case PngStreamResult::Unsupported:
        case PngStreamResult::NotPng: break;
        default: return false;
    }
    decoder_.reset();
    ComPtr<IWICBitmapSource> source = openBgra(path);
    UINT w = 0, h = 0;
    if (!source || FAILED(source->GetSize(&w, &h)) || !allocate(w, h)) return false;
    worker_ = std::thread(&ReviewImage::decodeByPlatform, this, path, notify, progress);
    return true;
}

void ReviewImage::decodeStreamed(HWND notify, UINT progress) {
    Rows rows(*this, notify, progress);
    finish(decoder_->decodeRows(rows) == PngStreamResult::Decoded, notify, progress);
}

void ReviewImage::decodeByPlatform(std::filesystem::path path, HWND notify, UINT progress) {
    const ComApartment com(COINIT_MULTITHREADED);
    ComPtr<IWICBitmapSource> source = openBgra(path);
    UINT w = 0, h = 0;
    bool ok = source && SUCCEEDED(source->GetSize(&w, &h)) && static_cast<int32_t>(w) == width_ &&
              static_cast<int32_t>(h) == height_;
    Rows rows(*this, notify, progress);
    const UINT pitch = w * 4u;
    for (const RowBlock& b : pngRowBlocks(height_)) {
        if (!ok) break;
        const WICRect rect{0, b.firstRow, width_, b.rows};
        ok = SUCCEEDED(source->CopyPixels(&rect, pitch, pitch * static_cast<UINT>(b.rows),
                                          reinterpret_cast<BYTE*>(rows.rowBuffer(b.firstRow)))) &&
             rows.rowsDone(b.firstRow + b.rows);
    }
    finish(ok, notify, progress);
}

void ReviewImage::finish(bool ok, HWND notify, UINT progress) {
    if (!ok) failed_.store(true, std::memory_order_release);
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
    }
    ended_.notify_all();
    if (!stop_.load()) PostMessageW(notify, progress, 0, 0);
}

bool ReviewImage::waitDecoded() {
    std::unique_lock<std::mutex> lock(mutex_);
    ended_.wait(lock, [&] { return finished_; });
    return complete();
}

}  // namespace tf
