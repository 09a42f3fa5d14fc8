#pragma once
// The provider side of UI Automation as MinGW lacks it: the two pattern
// interfaces, the ids this program reports, and the two entry points of
// uiautomationcore.dll (which has no import library), looked up once.

#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>

namespace tf {

// MinGW's uiautomationcore.h has IRawElementProviderSimple but not the two
// pattern interfaces: declared here with the system's IIDs and slot order.
enum ToggleState { ToggleState_Off = 0, ToggleState_On = 1, ToggleState_Indeterminate = 2 };

struct IInvokeProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};

struct IToggleProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Toggle() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ToggleState(ToggleState* out) = 0;
};

}  // namespace tf

#ifdef __MINGW32__
__CRT_UUID_DECL(tf::IInvokeProvider, 0x54fcb24b, 0xe18e, 0x47a2, 0xb4, 0xd3, 0xec, 0xcb, 0xe7, 0x75, 0x99, 0xa2)
__CRT_UUID_DECL(tf::IToggleProvider, 0x56d00bd0, 0xc4f4, 0x433c, 0xa8, 0x36, 0x1a, 0x52, 0xa5, 0x7e, 0x08, 0x92)
#endif

namespace tf {

// Not in MinGW's headers (uiautomationcoreapi.h does not compile as C++).
inline constexpr LONG kUiaRootObjectId = -25;
inline constexpr PATTERNID kUiaInvokePatternId = 10000;
inline constexpr PATTERNID kUiaTogglePatternId = 10015;
inline constexpr PROPERTYID kUiaControlTypePropertyId = 30003;
inline constexpr PROPERTYID kUiaNamePropertyId = 30005;
inline constexpr PROPERTYID kUiaIsKeyboardFocusablePropertyId = 30009;
inline constexpr PROPERTYID kUiaIsEnabledPropertyId = 30010;
inline constexpr PROPERTYID kUiaAutomationIdPropertyId = 30011;
inline constexpr LONG kUiaButtonControlTypeId = 50000;
inline constexpr LONG kUiaCheckBoxControlTypeId = 50002;
inline constexpr HRESULT kUiaElementNotEnabled = static_cast<HRESULT>(0x80040200);
inline constexpr HRESULT kUiaElementNotAvailable = static_cast<HRESULT>(0x80040201);
inline constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509);

inline constexpr LONG kUiaImageControlTypeId = 50006;
inline constexpr LONG kUiaPaneControlTypeId = 50033;

// UiaReturnRawElementProvider and UiaHostProviderFromHwnd; 0 and E_NOTIMPL
// when the library or the entry point is missing.
LRESULT returnRawElementProvider(HWND window, WPARAM wParam, LPARAM lParam, IRawElementProviderSimple* provider);
HRESULT hostProviderFromHwnd(HWND window, IRawElementProviderSimple** out);

}  // namespace tf
