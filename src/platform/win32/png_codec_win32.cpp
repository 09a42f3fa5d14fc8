// PNG files through the Windows Imaging Component. Every COM object is held in
// a ComPtr, so each throw below releases what was taken before it.

#include <windows.h>
#include <shlwapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <stdexcept>

#include "core/image/atomic_file.h"
#include "core/image/png_codec.h"
#include "core/image/png_codec_check.h"

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

// The encoder's view of the temporary file. It never outlives the encoding:
// the file is detached when the encoding ends, so a reference WIC might keep
// can no longer reach it.
class TemporaryFileStream final : public IStream {
public:
    explicit TemporaryFileStream(AtomicFile& file) : file_(&file) {}
    void detach() { file_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(ISequentialStream) || riid == __uuidof(IStream)) {
            *out = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE Read(void* data, ULONG size, ULONG* read) override {
        size_t got = 0;
        const bool ok = file_ && file_->read(data, size, got);
        if (read) *read = static_cast<ULONG>(got);
        return ok ? (got == size ? S_OK : S_FALSE) : STG_E_READFAULT;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG size, ULONG* written) override {
        const bool ok = file_ && file_->write(data, size);
        if (written) *written = ok ? size : 0;
        return ok ? S_OK : STG_E_MEDIUMFULL;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override {
        if (origin > STREAM_SEEK_END) return STG_E_INVALIDFUNCTION;
        uint64_t at = 0;
        if (!file_ || !file_->seek(move.QuadPart, static_cast<int>(origin), at)) return STG_E_SEEKERROR;
        if (position) position->QuadPart = at;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override {
        return file_ && file_->setSize(size.QuadPart) ? S_OK : STG_E_MEDIUMFULL;
    }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    // Durability is the caller's last step (flush, then rename), not the encoder's.
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return file_ ? S_OK : E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        uint64_t bytes = 0;
        if (!file_ || !file_->size(bytes)) return STG_E_ACCESSDENIED;
        *stat = STATSTG{};
        stat->pwcsName = nullptr;  // no name is handed out, as with STATFLAG_NONAME
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = bytes;
        stat->grfMode = STGM_READWRITE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

private:
    ~TemporaryFileStream() = default;
    LONG refs_ = 1;
    AtomicFile* file_;
};

struct StreamDetacher {
    TemporaryFileStream* stream;
    ~StreamDetacher() { stream->detach(); }
};

class StreamSource : public ByteSource {
public:
    explicit StreamSource(IStream* stream) : stream_(stream) {}
    bool read(void* data, size_t size, size_t& got) override {
        got = 0;
        while (got < size) {
            const size_t left = size - got;
            const ULONG chunk = left > (1u << 30) ? (1u << 30) : static_cast<ULONG>(left);
            ULONG n = 0;
            const HRESULT hr = stream_->Read(static_cast<BYTE*>(data) + got, chunk, &n);
            if (FAILED(hr)) return false;
            got += n;
            if (n == 0 || hr == S_FALSE) break;
        }
        return true;
    }

private:
    IStream* stream_;
};

}  // namespace

void encodePng(int32_t width, int32_t height, PngRowSource& rows, AtomicFile& file) {
    using namespace png_messages;
    ComPtr<TemporaryFileStream> fileStream;
    fileStream.Attach(new TemporaryFileStream(file));
    const StreamDetacher detacher{fileStream.Get()};

    ComPtr<IWICImagingFactory> factory = createFactory();
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(&stream))) fail(kStream);
    if (FAILED(stream->InitializeFromIStream(fileStream.Get()))) fail(kOpen);
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder))) fail(kEncoder);
    if (FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache))) fail(kEncoderInit);
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    if (FAILED(encoder->CreateNewFrame(&frame, &options))) fail(kFrame);
    if (FAILED(frame->Initialize(options.Get()))) fail(kFrameInit);
    if (FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))))
        fail(kFrameSize);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat32bppBGRA)
        fail(kPixelFormat);

    const UINT pitch = static_cast<UINT>(width) * 4u;
    for (const RowBlock& b : pngRowBlocks(height)) {
        const UINT bytes = static_cast<UINT>(b.rows) * pitch;
        // WritePixels only reads the block (its parameter is not const).
        BYTE* first = reinterpret_cast<BYTE*>(const_cast<uint32_t*>(rows.rows(b.firstRow, b.rows)));
        if (FAILED(frame->WritePixels(static_cast<UINT>(b.rows), pitch, bytes, first))) fail(kWritePixels);
    }
    if (FAILED(frame->Commit()) || FAILED(encoder->Commit())) fail(kCommit);
}

PixelImage loadPng(const std::filesystem::path& path) {
    using namespace png_messages;
    ComPtr<IWICImagingFactory> factory = createFactory();
    // One open file for the check and the decoding, closed to writers meanwhile,
    // so the decoder sees the bytes that were checked.
    ComPtr<IStream> file;
    if (FAILED(SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, FILE_ATTRIBUTE_NORMAL, FALSE,
                                      nullptr, &file)))
        fail(kDecoder);
    PngHeader header;
    StreamSource source(file.Get());
    switch (checkPngStructure(source, header)) {
        case PngCheck::Sound: break;
        case PngCheck::TooLarge: fail(kCopy);
        case PngCheck::NotPng:
        case PngCheck::Damaged: fail(kDecoder);
    }
    LARGE_INTEGER start{};
    if (FAILED(file->Seek(start, STREAM_SEEK_SET, nullptr))) fail(kDecoder);
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(file.Get(), nullptr, WICDecodeMetadataCacheOnLoad, &decoder)))
        fail(kDecoder);
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame))) fail(kFrameDecode);
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter))) fail(kConverter);
    if (FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)))
        fail(kConvert);
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height))) width = height = 0;
    if (width != header.width || height != header.height || !pngSizeReadable(width, height)) fail(kCopy);

    // Copied in blocks of rows into an array that grows with them, so a
    // file whose data stops early fails before the whole frame is allocated.
    PixelImage image;
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    const size_t framePixels = static_cast<size_t>(width) * height;
    for (const RowBlock& b : pngRowBlocks(image.height)) {
        growPixelRows(image.pixels, static_cast<size_t>(b.firstRow) + static_cast<size_t>(b.rows), width, framePixels);
        const WICRect rows{0, b.firstRow, static_cast<INT>(width), b.rows};
        const UINT bytes = static_cast<UINT>(b.rows) * width * 4u;
        if (FAILED(converter->CopyPixels(&rows, width * 4u, bytes, reinterpret_cast<BYTE*>(image.row(b.firstRow)))))
            fail(kCopy);
    }
    return image;
}

}  // namespace tf
