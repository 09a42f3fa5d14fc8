#include "shell/capture/scroll_target_win32.h"

#include <memory>

#include "platform/win32/win32_handles.h"
#include "shell/capture/target_window_win32.h"

namespace tf {
namespace {

// The last sub-authority of a token's integrity SID.
IntegrityLevel tokenIntegrity(HANDLE token) {
    DWORD size = 0;
    if (GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || size < sizeof(TOKEN_MANDATORY_LABEL)) {
        return {};
    }
    // operator new aligns for every fundamental type, as the label's SID pointer needs.
    const std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
    if (!buffer || !GetTokenInformation(token, TokenIntegrityLevel, buffer.get(), size, &size)) return {};
    const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.get());
    PSID sid = label->Label.Sid;
    if (sid == nullptr || !IsValidSid(sid)) return {};
    const PUCHAR count = GetSidSubAuthorityCount(sid);
    if (count == nullptr || *count == 0) return {};
    const PDWORD rid = GetSidSubAuthority(sid, static_cast<DWORD>(*count - 1));
    if (rid == nullptr) return {};
    return {true, static_cast<uint32_t>(*rid)};
}

IntegrityLevel processIntegrity(HANDLE process) {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &rawToken)) return {};
    const UniqueKernelHandle token(rawToken);
    return tokenIntegrity(token.get());
}

}  // namespace

int32_t ScrollTarget::find(POINT at) {
    targets_.clear();
    // The same window a click there would pick, found the same way, so that
    // what is scrolled is what was picked.
    const HWND window = foreignWindowAt(at);
    if (window == nullptr) return 0;
    targets_.push_back(window);
    for (HWND a = GetAncestor(window, GA_PARENT); a != nullptr && a != GetDesktopWindow();
         a = GetAncestor(a, GA_PARENT)) {
        if ((GetWindowLongPtrW(a, GWL_STYLE) & axis_.barStyle) != 0) targets_.push_back(a);
    }
    return static_cast<int32_t>(targets_.size());
}

// As a scroll bar sends it: the request, then the end of the scroll, which
// some windows wait for before they repaint. Posted, as wheel input is queued:
// the waits after a step give the window its time, and a window busy for a
// moment must not fail the capture as a timed-out send would.
bool ScrollTarget::sendScrollBarMessage(HWND window, WORD request) {
    return PostMessageW(window, axis_.message, MAKEWPARAM(request, 0), 0) &&
           PostMessageW(window, axis_.message, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
}

// Keys go to the foreground window's focus: the target's top-level window
// must be the foreground window first, else the key would reach another one.
bool ScrollTarget::pressKey(WORD key) {
    if (key == 0 || targets_.empty()) return false;
    HWND root = GetAncestor(targets_.front(), GA_ROOT);
    if (root == nullptr) return false;
    if (GetForegroundWindow() != root) {
        SetForegroundWindow(root);
        if (GetForegroundWindow() != root) return false;
    }
    INPUT inputs[2]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

bool ScrollTarget::sendStep(const ScrollRoute& route) {
    switch (route.method) {
        case ScrollMethod::ScrollBarMessage:
            if (route.target < 0 || static_cast<size_t>(route.target) >= targets_.size()) return false;
            return sendScrollBarMessage(targets_[static_cast<size_t>(route.target)], axis_.lineStep);
        case ScrollMethod::ArrowKey: return pressKey(axis_.lineKey);
        case ScrollMethod::PageKey: return pressKey(axis_.pageKey);
        case ScrollMethod::Wheel:
        case ScrollMethod::ShiftWheel:
        case ScrollMethod::Person:
        case ScrollMethod::None: break;
    }
    return false;
}

void ScrollTarget::sendToStart() {
    // Each is worth trying whatever the others did: the settle wait after it
    // shows where the page went.
    for (HWND window : targets_) sendScrollBarMessage(window, axis_.toStart);
    pressKey(axis_.startKey);
}

IntegrityLevel ScrollTarget::integrity() const {
    if (targets_.empty()) return {};
    DWORD processId = 0;
    if (GetWindowThreadProcessId(targets_.front(), &processId) == 0 || processId == 0) return {};
    const UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return {};
    return processIntegrity(process.get());
}

IntegrityLevel ownProcessIntegrity() { return processIntegrity(GetCurrentProcess()); }

}  // namespace tf
