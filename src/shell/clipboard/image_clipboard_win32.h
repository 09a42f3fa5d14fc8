#pragma once
// The saved image on the clipboard: offered as the registered "PNG" format (the
// file's own bytes, transparency intact) and as CF_DIBV5 for older programs,
// both by delayed rendering, so that a long screenshot of hundreds of megabytes
// is read and converted only when a program pastes it.
//
// The owner window's procedure passes three messages on:
//   case WM_RENDERFORMAT: case WM_RENDERALLFORMATS: case WM_DESTROYCLIPBOARD:
//       if (handleClipboardMessage(offer, window, message, wParam)) return 0;

#include <windows.h>

#include <cstdint>
#include <filesystem>

namespace tf {

inline constexpr int kClipboardOpenAttempts = 20;
inline constexpr DWORD kClipboardOpenPauseMs = 15;

// The clipboard opened for a window; another program may hold it for a moment,
// so opening is tried again a few times before giving up. Closed on destruction.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner, int attempts = kClipboardOpenAttempts,
                                DWORD pauseMs = kClipboardOpenPauseMs) noexcept;
    ~OpenClipboardScope();
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    explicit operator bool() const noexcept { return open_; }

private:
    bool open_ = false;
};

// A movable global memory block for the clipboard. Freed on destruction unless
// the clipboard took it: ownership passes only when SetClipboardData succeeds.
class GlobalBlock {
public:
    GlobalBlock() noexcept = default;
    // Empty when the size is 0, does not fit in SIZE_T or memory is short.
    static GlobalBlock allocate(uint64_t bytes) noexcept;
    ~GlobalBlock();
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    GlobalBlock(GlobalBlock&& other) noexcept;
    GlobalBlock& operator=(GlobalBlock&& other) noexcept;

    explicit operator bool() const noexcept { return handle_ != nullptr; }
    HGLOBAL get() const noexcept { return handle_; }
    size_t size() const noexcept { return size_; }
    // SetClipboardData(format, block) on an open clipboard; true when the
    // clipboard took the block (this object is then empty).
    bool giveToClipboard(UINT format) noexcept;

private:
    HGLOBAL handle_ = nullptr;
    size_t size_ = 0;
};

// GlobalLock for one scope.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL block) noexcept;
    ~GlobalLockScope();
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* data() const noexcept { return data_; }

private:
    HGLOBAL block_ = nullptr;
    void* data_ = nullptr;
};

// The registered "PNG" clipboard format (0 if it could not be registered).
UINT pngClipboardFormat() noexcept;

enum class ClipboardCopy {
    Offered,     // on the clipboard; rendered when a program pastes
    TooLarge,    // the file or its pixels do not fit a clipboard block
    Unreadable,  // no such file, or it is not a PNG file
    Busy,        // another program kept the clipboard open
    Failed,      // the clipboard refused the offer
};

// One offered image at a time, for one owner window. Never writes the file.
class ClipboardImageOffer {
public:
    // Empties the clipboard and offers `pngFile` as PNG and, when its pixels fit
    // a bitmap the program can make, as CF_DIBV5. Size limits
    // are checked from the file's header first, so a refusal leaves the
    // clipboard as it was.
    ClipboardCopy offer(HWND owner, const std::filesystem::path& pngFile);
    // WM_RENDERFORMAT: the clipboard is open already (by whoever asked); puts
    // the data of `format` on it. False when the file can no longer be read.
    bool renderFormat(UINT format);
    // WM_RENDERALLFORMATS: the owner is going; everything still offered is put
    // on the clipboard now, if the window still owns it.
    void renderAllFormats(HWND owner);
    // WM_DESTROYCLIPBOARD: another owner took over; nothing left to render.
    void forget() noexcept;

    bool pending() const noexcept { return owner_ != nullptr; }
    const std::filesystem::path& file() const noexcept { return file_; }

private:
    bool renderPng(UINT format);
    bool renderDibV5();

    HWND owner_ = nullptr;
    std::filesystem::path file_;
};

// The three clipboard messages for the owner's window procedure; true when the
// message was one of them (the procedure then returns 0).
bool handleClipboardMessage(ClipboardImageOffer& offer, HWND window, UINT message, WPARAM wParam);

}  // namespace tf
