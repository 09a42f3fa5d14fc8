#pragma once
// A window of ours carries the object that runs it in GWLP_USERDATA, taken
// from the CreateWindowExW parameter when WM_NCCREATE arrives; its procedure
// finds the object there for every later message.

#include <windows.h>

namespace tf {

// Null for the few messages before WM_NCCREATE.
template <typename Object>
Object* windowObjectForMessage(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (create != nullptr) {
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
    }
    return reinterpret_cast<Object*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The procedure of a window whose object answers its messages with
// `LRESULT handle(HWND, UINT, WPARAM, LPARAM)`; a class that keeps `handle`
// private befriends this template.
template <typename Object>
LRESULT CALLBACK objectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Object* self = windowObjectForMessage<Object>(window, message, lParam);
    return self != nullptr ? self->handle(window, message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tf
