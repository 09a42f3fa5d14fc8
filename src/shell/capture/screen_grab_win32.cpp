#include "shell/capture/screen_grab_win32.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_handles.h"

namespace tf {

PixelImage grabScreenRect(const Rect& rect) {
    const int32_t w = std::max(rect.right - rect.left, 1);
    const int32_t h = std::max(rect.bottom - rect.top, 1);
    PixelImage image(w, h);

    WindowDc screen(nullptr);
    if (!screen) return image;
    UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    if (!memory) return image;

    BITMAPINFO info = topDownDib32(w, h);  // the first row in memory is the top screen row
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || bits == nullptr) return image;
    {
        SelectedObject selected(memory.get(), dib.get());
        if (!selected) return image;
        BitBlt(memory.get(), 0, 0, w, h, screen.get(), rect.left, rect.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
    }
    // One pass: the DIB's pitch is w × 4 bytes, the same layout as the image.
    const uint32_t* src = static_cast<const uint32_t*>(bits);
    uint32_t* dst = image.pixels.data();
    const size_t n = image.pixels.size();
    for (size_t i = 0; i < n; ++i) dst[i] = src[i] | 0xFF000000u;
    return image;
}

}  // namespace tf
