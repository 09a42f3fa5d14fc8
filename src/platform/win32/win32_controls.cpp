#include "platform/win32/win32_controls.h"

namespace tf {

void placeControl(HWND control, const ControlPlacement& p) {
    if (control == nullptr) return;
    HWND parent = GetParent(control);
    RECT old{};
    GetWindowRect(control, &old);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&old), 2);
    SetWindowPos(control, nullptr, p.rect.left, p.rect.top, p.rect.width(), p.rect.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    InvalidateRect(parent, &old, FALSE);
    InvalidateRect(control, nullptr, TRUE);
    const bool visible = (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible != p.visible) ShowWindow(control, p.visible ? SW_SHOWNA : SW_HIDE);
}

}  // namespace tf
