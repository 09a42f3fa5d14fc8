#include "shell/review/review_image_win32.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <limits>
#include <new>

#include "core/image/png_codec.h"
#include "platform/win32/win32_handles.h"

namespace tf {
namespace {

// {317D06E8-5F24-433D-BDF7-79CE68D8ABC2}
const CLSID kImagingFactory2 = {0x317d06e8, 0x5f24, 0x433d, {0xbd, 0xf7, 0x79, 0xce, 0x68, 0xd8, 0xab, 0xc2}};
constexpr ULONGLONG kProgressEveryMs = 120;

// The decoded frame as 32-bit BGRA, or null.
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

ReviewImage::~ReviewImage() {
    stop_.store(true);
    if (decoder_.joinable()) decoder_.join();
}

bool ReviewImage::open(const std::filesystem::path& path, HWND notify, UINT progress) {
    ComPtr<IWICBitmapSource> source = openBgra(path);
    UINT w = 0, h = 0;
    if (!source || FAILED(source->GetSize(&w, &h))) return false;
    // A row block is copied with one 32-bit byte count.
    const uint64_t blockBytes = static_cast<uint64_t>(w) * 4u * kPngRowBlock;
    if (w == 0 || h == 0 || w > static_cast<UINT>(std::numeric_limits<int32_t>::max()) ||
        h > static_cast<UINT>(std::numeric_limits<int32_t>::max()) || blockBytes > UINT32_MAX)
        return false;
    width_ = static_cast<int32_t>(w);
    height_ = static_cast<int32_t>(h);
    decoder_ = std::thread(&ReviewImage::decode, this, path, notify, progress);
    return true;
}

void ReviewImage::decode(std::filesystem::path path, HWND notify, UINT progress) {
    const ComApartment com(COINIT_MULTITHREADED);
    ULONGLONG told = GetTickCount64();
    try {
        ComPtr<IWICBitmapSource> source = openBgra(path);
        UINT w = 0, h = 0;
        if (!source || FAILED(source->GetSize(&w, &h)) || static_cast<int32_t>(w) != width_ ||
            static_cast<int32_t>(h) != height_)
            throw std::runtime_error("image changed");
        // Allocated here, not on the window's thread: touching the pages of
        // half a gigabyte takes a noticeable moment.
        image_ = PixelImage(width_, height_);
        const UINT pitch = w * 4u;
        for (const RowBlock& b : pngRowBlocks(height_)) {
            if (stop_.load()) return;
            const WICRect rows{0, b.firstRow, width_, b.rows};
            if (FAILED(source->CopyPixels(&rows, pitch, pitch * static_cast<UINT>(b.rows),
                                          reinterpret_cast<BYTE*>(image_.row(b.firstRow)))))
                throw std::runtime_error("copy failed");
            rowsReady_.store(b.firstRow + b.rows, std::memory_order_release);
            if (GetTickCount64() - told >= kProgressEveryMs) {
                told = GetTickCount64();
                PostMessageW(notify, progress, 0, 0);
            }
        }
    } catch (const std::exception&) {
        failed_.store(true, std::memory_order_release);
    }
    PostMessageW(notify, progress, 0, 0);
}

const PixelImage* ReviewImage::wait() {
    if (decoder_.joinable()) decoder_.join();
    return complete() && !failed() ? &image_ : nullptr;
}

}  // namespace tf
