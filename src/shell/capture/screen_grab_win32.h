#pragma once
// The one way the program reads pixels from the screen.

#include <windows.h>

#include "ground/rect.h"
#include "ground/pixel_image.h"

namespace tf {

// Copies `rect` (virtual-desktop pixels, right and bottom exclusive) of the
// visible desktop, layered windows included. The image is always at least
// 1 × 1 and exactly the rectangle's size; it stays zero where the copy failed.
// Every pixel is opaque: GDI leaves the fourth byte 0, and PNG files written
// from such pixels would be fully transparent.
PixelImage grabScreenRect(const Rect& rect);

// A 32-bit top-down BI_RGB DIB of w × h: row pitch w × 4, first row on top.
inline BITMAPINFO topDownDib32(int32_t w, int32_t h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace tf
