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

}  // namespace tf
