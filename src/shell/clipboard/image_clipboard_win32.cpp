#include "shell/clipboard/image_clipboard_win32.h"

#include <cstring>
#include <fstream>
#include <limits>
#include <span>
#include <system_error>
#include <utility>

#include "core/image/clipboard_dib.h"
#include "core/image/png_codec.h"

namespace tf {

OpenClipboardScope::OpenClipboardScope(HWND owner, int attempts, DWORD pauseMs) noexcept {
    for (int i = 0; i < attempts; ++i) {
        if (OpenClipboard(owner)) {
            open_ = true;
            return;
        }
        if (i + 1 < attempts) Sleep(pauseMs);
    }
}

OpenClipboardScope::~OpenClipboardScope() {
    if (open_) CloseClipboard();
}

GlobalBlock GlobalBlock::allocate(uint64_t bytes) noexcept {
    GlobalBlock block;
    if (bytes == 0 || bytes > std::numeric_limits<SIZE_T>::max()) return block;
    block.handle_ = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(bytes));
    if (block.handle_ != nullptr) block.size_ = static_cast<size_t>(bytes);
    return block;
}

GlobalBlock::~GlobalBlock() {
    if (handle_ != nullptr) GlobalFree(handle_);
}

GlobalBlock::GlobalBlock(GlobalBlock&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), size_(std::exchange(other.size_, 0)) {}

GlobalBlock& GlobalBlock::operator=(GlobalBlock&& other) noexcept {
    if (this != &other) {
        if (handle_ != nullptr) GlobalFree(handle_);
        handle_ = std::exchange(other.handle_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

bool GlobalBlock::giveToClipboard(UINT format) noexcept {
    if (handle_ == nullptr || format == 0) return false;
    if (SetClipboardData(format, handle_) == nullptr) return false;  // still ours to free
    handle_ = nullptr;
    size_ = 0;
    return true;
}

GlobalLockScope::GlobalLockScope(HGLOBAL block) noexcept : block_(block) {
    data_ = block != nullptr ? GlobalLock(block) : nullptr;
}

GlobalLockScope::~GlobalLockScope() {
    if (data_ != nullptr) GlobalUnlock(block_);
}

UINT pngClipboardFormat() noexcept {
    static const UINT format = RegisterClipboardFormatW(L"PNG");
    return format;
}

namespace {

struct FileFacts {
    ClipboardCopy verdict = ClipboardCopy::Unreadable;
    uint64_t fileBytes = 0;
    ClipboardFormats formats;
};

// What the file's header says, before anything is decoded or offered.
FileFacts inspectPngFile(const std::filesystem::path& file) {
    FileFacts facts;
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) return facts;
    std::ifstream in(file, std::ios::binary);
    uint8_t head[kPngHeaderBytes] = {};
    if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return facts;
    const auto dimensions = pngHeaderSize(head);
    if (!dimensions) return facts;
    facts.fileBytes = size;
    // An image too long or too wide to be decoded back still goes as PNG.
    facts.formats = clipboardFormatsFor(size, dimensions->width, dimensions->height);
    facts.verdict = facts.formats.png ? ClipboardCopy::Offered : ClipboardCopy::TooLarge;
    return facts;
}

}  // namespace

ClipboardCopy ClipboardImageOffer::offer(HWND owner, const std::filesystem::path& pngFile) {
    const FileFacts facts = inspectPngFile(pngFile);
    if (facts.verdict != ClipboardCopy::Offered) return facts.verdict;
    const UINT png = pngClipboardFormat();
    if (owner == nullptr || png == 0) return ClipboardCopy::Failed;

    OpenClipboardScope clipboard(owner);
    if (!clipboard) return ClipboardCopy::Busy;
    // The previous owner (perhaps this very window) hears WM_DESTROYCLIPBOARD here.
    if (!EmptyClipboard()) return ClipboardCopy::Failed;
    forget();
    SetClipboardData(png, nullptr);
    if (facts.formats.dibV5) SetClipboardData(CF_DIBV5, nullptr);
    // A delayed offer returns no handle either way: ask what the clipboard holds.
    if (!IsClipboardFormatAvailable(png) || (facts.formats.dibV5 && !IsClipboardFormatAvailable(CF_DIBV5))) {
        EmptyClipboard();  // nothing half-offered
        return ClipboardCopy::Failed;
    }
    owner_ = owner;
    file_ = pngFile;
    return ClipboardCopy::Offered;
}

bool ClipboardImageOffer::renderPng(UINT format) {
    if (inspectPngFile(file_).verdict != ClipboardCopy::Offered) return false;
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(file_, ec);
    if (ec || size == 0) return false;
    GlobalBlock block = GlobalBlock::allocate(size);
    if (!block) return false;
    {
        GlobalLockScope lock(block.get());
        if (lock.data() == nullptr) return false;
        std::ifstream in(file_, std::ios::binary);
        if (!in.read(static_cast<char*>(lock.data()), static_cast<std::streamsize>(size))) return false;
    }
    return block.giveToClipboard(format);
}

bool ClipboardImageOffer::renderDibV5() {
    if (!inspectPngFile(file_).formats.dibV5) return false;
    GlobalBlock block;
    try {
        const PixelImage image = loadPng(file_);
        const auto size = packedDibV5Size(image.width, image.height);
        if (!size) return false;
        block = GlobalBlock::allocate(*size);
        if (!block) return false;
        GlobalLockScope lock(block.get());
        if (lock.data() == nullptr ||
            !writePackedDibV5(image, std::span<uint8_t>(static_cast<uint8_t*>(lock.data()), block.size())))
            return false;
    } catch (const std::exception&) {
        return false;  // the file went away or no longer decodes
    }
    return block.giveToClipboard(CF_DIBV5);
}

bool ClipboardImageOffer::renderFormat(UINT format) {
    if (owner_ == nullptr) return false;
    if (format == CF_DIBV5) return renderDibV5();
    if (format == pngClipboardFormat()) return renderPng(format);
    return false;
}

void ClipboardImageOffer::renderAllFormats(HWND owner) {
    if (owner_ == nullptr || owner != owner_) return;
    {
        OpenClipboardScope clipboard(owner);
        // Another program may have taken the clipboard meanwhile.
        if (clipboard && GetClipboardOwner() == owner) {
            renderPng(pngClipboardFormat());
            renderDibV5();
        }
    }
    forget();
}

void ClipboardImageOffer::forget() noexcept {
    owner_ = nullptr;
    file_.clear();
}

bool handleClipboardMessage(ClipboardImageOffer& offer, HWND window, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_RENDERFORMAT:
        offer.renderFormat(static_cast<UINT>(wParam));
        return true;
    case WM_RENDERALLFORMATS:
        offer.renderAllFormats(window);
        return true;
    case WM_DESTROYCLIPBOARD:
        offer.forget();
        return true;
    default:
        return false;
    }
}

}  // namespace tf
