#pragma once
// Every WM_PAINT of ours begins and ends the paint the same way; EndPaint must
// run even when BeginPaint gave no device context, or the window stays invalid
// and the system sends WM_PAINT again at once.

#include <windows.h>

namespace tf {

template <typename Paint>
void paintWindow(HWND window, Paint&& paint) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc != nullptr) paint(dc);
    EndPaint(window, &ps);
}

}  // namespace tf
