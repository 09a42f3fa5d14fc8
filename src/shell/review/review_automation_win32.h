#pragma once
// What the review window's controls, its image and its seam marks tell
// assistive technology. Each request gets a new element with the words of
// that moment; invoking one posts BM_CLICK to its window, as a click would.

#include <windows.h>

#include <string>

namespace tf {

struct ReviewElement {
    std::wstring name;
    std::wstring automationId;
    LONG controlType = 0;   // a UIA control type id
    bool invokable = false;
};

// The answer to WM_GETOBJECT for `window` (0 when it is not the root object request).
LRESULT answerReviewAutomation(HWND window, WPARAM wParam, LPARAM lParam, ReviewElement element);

}  // namespace tf
