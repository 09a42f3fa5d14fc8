#pragma once
// The UI Automation element of one owner-drawn control. Invoke and Toggle
// only post BM_CLICK, so a screen reader gets exactly what a click does.

#include <windows.h>
#include <ole2.h>
#include <uiautomationcore.h>

#include <atomic>

#include "core/app/control_ids.h"
#include "core/app/ui_state.h"
#include "core/settings/ui_language.h"

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

class ButtonHost;

class ControlAutomationProvider final : public IRawElementProviderSimple, public IInvokeProvider, public IToggleProvider {
public:
    explicit ControlAutomationProvider(HWND window);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IRawElementProviderSimple
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* out) override;
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID patternId, IUnknown** out) override;
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID propertyId, VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override;

    // IInvokeProvider
    HRESULT STDMETHODCALLTYPE Invoke() override;

    // IToggleProvider
    HRESULT STDMETHODCALLTYPE Toggle() override;
    HRESULT STDMETHODCALLTYPE get_ToggleState(ToggleState* out) override;

private:
    ~ControlAutomationProvider() = default;
    bool isSwitch() const;
    HRESULT click() const;
    const ButtonHost* hostNow() const;
    UiLanguage languageNow() const;
    UiState pageNow() const;

    std::atomic<ULONG> references_{1};
    HWND window_;
    ControlId controlId_;
};

// The answer to WM_GETOBJECT for a button: a new provider handed to
// UiaReturnRawElementProvider with wParam and lParam as they came.
LRESULT answerAutomationRequest(HWND button, WPARAM wParam, LPARAM lParam);

}  // namespace tf
