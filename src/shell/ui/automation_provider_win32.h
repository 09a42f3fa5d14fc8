#pragma once
// The UI Automation element of one owner-drawn control. Invoke and Toggle
// only post BM_CLICK, so a screen reader gets exactly what a click does.

#include <windows.h>

#include <atomic>

#include "core/app/control_ids.h"
#include "core/app/ui_state.h"
#include "core/settings/ui_language.h"
#include "platform/win32/uia_core_win32.h"

namespace tf {

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
