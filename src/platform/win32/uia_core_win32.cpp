#include "platform/win32/uia_core_win32.h"

namespace tf {
namespace {

using ReturnRawElementProvider = LRESULT(WINAPI*)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*);
using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IRawElementProviderSimple**);

struct UiaCore {
    ReturnRawElementProvider returnRaw = nullptr;
    HostProviderFromHwnd hostFromHwnd = nullptr;
};

const UiaCore& uiaCore() {
    static const UiaCore core = [] {
        UiaCore c;
        HMODULE module = LoadLibraryW(L"uiautomationcore.dll");  // kept for the whole run
        if (module != nullptr) {
            c.returnRaw = reinterpret_cast<ReturnRawElementProvider>(
                reinterpret_cast<void*>(GetProcAddress(module, "UiaReturnRawElementProvider")));
            c.hostFromHwnd = reinterpret_cast<HostProviderFromHwnd>(
                reinterpret_cast<void*>(GetProcAddress(module, "UiaHostProviderFromHwnd")));
        }
        return c;
    }();
    return core;
}

}  // namespace

LRESULT returnRawElementProvider(HWND window, WPARAM wParam, LPARAM lParam, IRawElementProviderSimple* provider) {
    const auto returnRaw = uiaCore().returnRaw;
    return returnRaw != nullptr ? returnRaw(window, wParam, lParam, provider) : 0;
}

HRESULT hostProviderFromHwnd(HWND window, IRawElementProviderSimple** out) {
    const auto host = uiaCore().hostFromHwnd;
    return host != nullptr ? host(window, out) : E_NOTIMPL;
}

}  // namespace tf
