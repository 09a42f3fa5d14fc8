// PNG files through the Windows Imaging Component. Every COM object is held in
// a ComPtr, so each throw below releases what was taken before it.

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <stdexcept>

#include "image/png_codec.h"

using Microsoft::WRL::ComPtr;

namespace tf {
namespace {

[[noreturn]] void fail(const char* message) { throw std::runtime_error(message); }

// {317D06E8-5F24-433D-BDF7-79CE68D8ABC2}
const CLSID kImagingFactory2 = {0x317d06e8, 0x5f24, 0x433d, {0xbd, 0xf7, 0x79, 0xce, 0x68, 0xd8, 0xab, 0xc2}};

ComPtr<IWICImagingFactory> createFactory() {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(kImagingFactory2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
        fail(png_messages::kFactory);
    return factory;
}

}  // namespace

void savePng(const PixelImage& image, const std::filesystem::path& path) {
    using namespace png_messages;
    // Refused before the file is opened: an image whose byte counts do not fit
    // WIC's 32-bit sizes would be truncated, and must not cost an existing file.
    if (!pngSizeWritable(image.width, image.height) || image.pixels.size() * 4u < image.byteSize())
        fail(kFrameSize);

    ComPtr<IWICImagingFactory> factory = createFactory();                                  // S1
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(&stream))) fail(kStream);                             // S2
    if (FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) fail(kOpen);  // S3
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder))) fail(kEncoder);  // S4
    if (FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache))) fail(kEncoderInit);      // S5
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    if (FAILED(encoder->CreateNewFrame(&frame, &options))) fail(kFrame);                   // S6
    if (FAILED(frame->Initialize(options.Get()))) fail(kFrameInit);                        // S7
    if (FAILED(frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height))))
        fail(kFrameSize);                                                                  // S8
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat32bppBGRA)
        fail(kPixelFormat);                                                                // S9

    const UINT pitch = static_cast<UINT>(image.width) * 4u;
    for (const RowBlock& b : pngRowBlocks(image.height)) {                                 // S10
        const UINT bytes = static_cast<UINT>(b.rows) * pitch;
        BYTE* first = reinterpret_cast<BYTE*>(const_cast<uint32_t*>(image.row(b.firstRow)));
        if (FAILED(frame->WritePixels(static_cast<UINT>(b.rows), pitch, bytes, first))) fail(kWritePixels);
    }
    if (FAILED(frame->Commit()) || FAILED(encoder->Commit())) fail(kCommit);               // S11
}

PixelImage loadPng(const std::filesystem::path& path) {
    using namespace png_messages;
    ComPtr<IWICImagingFactory> factory = createFactory();                                  // L1
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnLoad, &decoder)))
        fail(kDecoder);                                                                    // L2
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame))) fail(kFrameDecode);                          // L3
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter))) fail(kConverter);              // L4
    if (FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)))
        fail(kConvert);                                                                    // L5
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height))) width = height = 0;                   // L6

    // L7: one CopyPixels into the result; its byte count is a 32-bit UINT, so a
    // larger frame is refused rather than copied short.
    if (!pngSizeReadable(width, height)) fail(kCopy);
    PixelImage image;
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
    const UINT bytes = static_cast<UINT>(image.byteSize());
    if (FAILED(converter->CopyPixels(nullptr, width * 4u, bytes, reinterpret_cast<BYTE*>(image.pixels.data()))))
        fail(kCopy);
    return image;
}

}  // namespace tf
