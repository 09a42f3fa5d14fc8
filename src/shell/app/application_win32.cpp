#include "shell/app/application_win32.h"

namespace tf {

void attachApplication(HWND window, LPARAM createStruct) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(createStruct);
    if (create == nullptr) return;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
}

// Only the windows made with the application are asked (the overlay; the
// tests' probes): their user data is this pointer or, before WM_NCCREATE, zero.
Application* applicationOf(HWND window) {
    if (window == nullptr) return nullptr;
    return reinterpret_cast<Application*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

Application* applicationForMessage(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) attachApplication(window, lParam);
    return applicationOf(window);
}

Application* applicationOfControl(HWND control) {
    return control == nullptr ? nullptr : applicationOf(GetParent(control));
}

}  // namespace tf
