#pragma once
// Move-only owners of Win32 handles. Every handle the program makes goes into
// one of these at once, so no early return leaks a DC, a bitmap or a menu.
// Copying is deleted; moving leaves the source empty; reset() frees the old
// handle before taking the new one; release() gives the handle up unfreed.

#include <windows.h>
#include <wrl/client.h>

#include <utility>

namespace tf {

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : handle_(h) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return Traits::valid(handle_); }

    Handle release() noexcept {
        Handle h = handle_;
        handle_ = Traits::empty();
        return h;
    }
    void reset(Handle h = Traits::empty()) noexcept {
        Handle old = handle_;
        handle_ = h;
        if (Traits::valid(old) && old != h) Traits::close(old);
    }

private:
    Handle handle_ = Traits::empty();
};

namespace handle_traits {
template <typename H>
struct NullIsEmpty {
    static H empty() noexcept { return nullptr; }
    static bool valid(H h) noexcept { return h != nullptr; }
};
struct Gdi : NullIsEmpty<HGDIOBJ> {
    static void close(HGDIOBJ h) noexcept { DeleteObject(h); }
};
struct Bitmap : NullIsEmpty<HBITMAP> {
    static void close(HBITMAP h) noexcept { DeleteObject(h); }
};
struct MemoryDc : NullIsEmpty<HDC> {
    static void close(HDC h) noexcept { DeleteDC(h); }
};
struct Menu : NullIsEmpty<HMENU> {
    static void close(HMENU h) noexcept { DestroyMenu(h); }
};
struct Window : NullIsEmpty<HWND> {
    static void close(HWND h) noexcept {
        if (IsWindow(h)) DestroyWindow(h);
    }
};
struct Kernel : NullIsEmpty<HANDLE> {
    static void close(HANDLE h) noexcept { CloseHandle(h); }
};
// Files and a few others use INVALID_HANDLE_VALUE for "none".
struct KernelFile {
    static HANDLE empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool valid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void close(HANDLE h) noexcept { CloseHandle(h); }
};
struct Icon : NullIsEmpty<HICON> {
    static void close(HICON h) noexcept { DestroyIcon(h); }
};
struct GlobalMemory : NullIsEmpty<HGLOBAL> {
    static void close(HGLOBAL h) noexcept { GlobalFree(h); }
};
}  // namespace handle_traits

using UniqueGdiObject = UniqueHandle<HGDIOBJ, handle_traits::Gdi>;
using UniqueBitmap = UniqueHandle<HBITMAP, handle_traits::Bitmap>;
using UniqueMemoryDc = UniqueHandle<HDC, handle_traits::MemoryDc>;  // CreateCompatibleDC
using UniqueMenu = UniqueHandle<HMENU, handle_traits::Menu>;
using UniqueWindow = UniqueHandle<HWND, handle_traits::Window>;    // only windows we own
using UniqueKernelHandle = UniqueHandle<HANDLE, handle_traits::Kernel>;
using UniqueFileHandle = UniqueHandle<HANDLE, handle_traits::KernelFile>;
using UniqueIcon = UniqueHandle<HICON, handle_traits::Icon>;       // not for LR_SHARED icons
using UniqueGlobal = UniqueHandle<HGLOBAL, handle_traits::GlobalMemory>;

// A DC from GetDC must go back with ReleaseDC and the same window.
class WindowDc {
public:
    WindowDc() noexcept = default;
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { reset(); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& o) noexcept : window_(o.window_), dc_(o.dc_) {
        o.window_ = nullptr;
        o.dc_ = nullptr;
    }
    WindowDc& operator=(WindowDc&& o) noexcept {
        if (this != &o) {
            reset();
            window_ = std::exchange(o.window_, nullptr);
            dc_ = std::exchange(o.dc_, nullptr);
        }
        return *this;
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }
    void reset() noexcept {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
        dc_ = nullptr;
        window_ = nullptr;
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// Selects an object into a DC and puts the previous one back on destruction,
// so the DC can be deleted with its original objects and ours can be deleted.
class SelectedObject {
public:
    SelectedObject() noexcept = default;
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc) {
        previous_ = (dc != nullptr && object != nullptr) ? SelectObject(dc, object) : nullptr;
        if (previous_ == nullptr || previous_ == HGDI_ERROR) {
            previous_ = nullptr;
            dc_ = nullptr;
        }
    }
    ~SelectedObject() { restore(); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    SelectedObject(SelectedObject&& o) noexcept
        : dc_(std::exchange(o.dc_, nullptr)), previous_(std::exchange(o.previous_, nullptr)) {}
    SelectedObject& operator=(SelectedObject&& o) noexcept {
        if (this != &o) {
            restore();
            dc_ = std::exchange(o.dc_, nullptr);
            previous_ = std::exchange(o.previous_, nullptr);
        }
        return *this;
    }
    explicit operator bool() const noexcept { return dc_ != nullptr; }
    void restore() noexcept {
        if (dc_ != nullptr && previous_ != nullptr) SelectObject(dc_, previous_);
        dc_ = nullptr;
        previous_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

template <typename T>
using ComPtr = Microsoft::WRL::ComPtr<T>;

// COM on the calling thread for the scope: CoUninitialize only when the
// initialisation succeeded (S_FALSE, "already initialised", counts and must
// be balanced too). A thread already in the other apartment kind gets
// RPC_E_CHANGED_MODE and is left alone.
class ComApartment {
public:
    explicit ComApartment(DWORD model) noexcept : result_(CoInitializeEx(nullptr, model)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT result() const noexcept { return result_; }
    explicit operator bool() const noexcept { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

}  // namespace tf
