#pragma once
// A UI Automation client for the in-process window tests: Wine's core has
// no CUIAutomation, but its flat functions work.

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "platform/win32/uia_core_win32.h"

namespace tf::test {

// The flat client functions of Wine's UI Automation core reach the provider
// through WM_GETOBJECT, as a screen reader would.
struct UiaClient {
    using NodeFromHandle = HRESULT(WINAPI*)(HWND, void**);
    using GetPropertyValue = HRESULT(WINAPI*)(void*, PROPERTYID, VARIANT*);
    using NodeRelease = BOOL(WINAPI*)(void*);
    NodeFromHandle nodeFromHandle = nullptr;
    GetPropertyValue getPropertyValue = nullptr;
    NodeRelease nodeRelease = nullptr;
    UiaClient() {
        HMODULE m = LoadLibraryW(L"uiautomationcore.dll");
        if (m == nullptr) return;
        nodeFromHandle = reinterpret_cast<NodeFromHandle>(reinterpret_cast<void*>(GetProcAddress(m, "UiaNodeFromHandle")));
        getPropertyValue =
            reinterpret_cast<GetPropertyValue>(reinterpret_cast<void*>(GetProcAddress(m, "UiaGetPropertyValue")));
        nodeRelease = reinterpret_cast<NodeRelease>(reinterpret_cast<void*>(GetProcAddress(m, "UiaNodeRelease")));
    }
    std::wstring stringOf(HWND w, PROPERTYID id) const {
        void* node = nullptr;
        if (FAILED(nodeFromHandle(w, &node)) || node == nullptr) return L"<no node>";
        VARIANT v;
        VariantInit(&v);
        std::wstring s = L"<no value>";
        if (SUCCEEDED(getPropertyValue(node, id, &v)) && v.vt == VT_BSTR) s.assign(v.bstrVal, SysStringLen(v.bstrVal));
        VariantClear(&v);
        nodeRelease(node);
        return s;
    }
};

}  // namespace tf::test
