#include "shell/ui/automation_provider_win32.h"

#include <new>

#include "core/ui/setting_switches.h"
#include "platform/win32/win32_controls.h"
#include "shell/ui/button_proc_win32.h"
#include "core/texts/automation_names.h"

namespace tf {
namespace {

HRESULT bstrVariant(VARIANT* out, std::wstring_view text) {
    BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (s == nullptr) return E_OUTOFMEMORY;
    out->vt = VT_BSTR;
    out->bstrVal = s;
    return S_OK;
}

}  // namespace

ControlAutomationProvider::ControlAutomationProvider(HWND window) : window_(window), controlId_(controlIdOf(window)) {}

bool ControlAutomationProvider::isSwitch() const { return isSwitchControl(controlId_); }

HRESULT STDMETHODCALLTYPE ControlAutomationProvider::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IRawElementProviderSimple)) {
        *out = static_cast<IRawElementProviderSimple*>(this);
    } else if (iid == __uuidof(IInvokeProvider) && !isSwitch()) {
        *out = static_cast<IInvokeProvider*>(this);
    } else if (iid == __uuidof(IToggleProvider) && isSwitch()) {
        *out = static_cast<IToggleProvider*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ControlAutomationProvider::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE ControlAutomationProvider::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE ControlAutomationProvider::get_ProviderOptions(ProviderOptions* out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = ProviderOptions_ServerSideProvider;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlAutomationProvider::GetPatternProvider(PATTERNID patternId, IUnknown** out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    if (patternId == kUiaInvokePatternId && !isSwitch()) {
        *out = static_cast<IInvokeProvider*>(this);
    } else if (patternId == kUiaTogglePatternId && isSwitch()) {
        *out = static_cast<IToggleProvider*>(this);
    } else {
        return S_OK;
    }
    AddRef();
    return S_OK;
}

// Asked at each request, through the control's window: a provider a client
// still holds after its window went answers with the defaults.
const ButtonHost* ControlAutomationProvider::hostNow() const {
    const OwnerButtons* buttons = OwnerButtons::of(window_);
    return buttons != nullptr ? &buttons->host() : nullptr;
}

UiLanguage ControlAutomationProvider::languageNow() const {
    const ButtonHost* host = hostNow();
    return host != nullptr ? host->settings().language : Settings{}.language;
}

UiState ControlAutomationProvider::pageNow() const {
    const ButtonHost* host = hostNow();
    return host != nullptr ? host->uiState() : UiState::Home;
}

HRESULT STDMETHODCALLTYPE ControlAutomationProvider::GetPropertyValue(PROPERTYID propertyId, VARIANT* out) {
    if (out == nullptr) return E_INVALIDARG;
    VariantInit(out);
    switch (propertyId) {
        case kUiaControlTypePropertyId:
            out->vt = VT_I4;
            out->lVal = isSwitch() ? kUiaCheckBoxControlTypeId : kUiaButtonControlTypeId;
            return S_OK;
        case kUiaNamePropertyId: return bstrVariant(out, automationNameFor(controlId_, languageNow()));
        case kUiaAutomationIdPropertyId: return bstrVariant(out, automationIdFor(controlId_, pageNow()));
        case kUiaIsKeyboardFocusablePropertyId:
            out->vt = VT_BOOL;
            out->boolVal = VARIANT_TRUE;
            return S_OK;
        case kUiaIsEnabledPropertyId:
            out->vt = VT_BOOL;
            out->boolVal = IsWindowEnabled(window_) ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        default: return S_OK;
    }
}

HRESULT STDMETHODCALLTYPE ControlAutomationProvider::get_HostRawElementProvider(IRawElementProviderSimple** out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    return hostProviderFromHwnd(window_, out);
}

HRESULT ControlAutomationProvider::click() const {
    if (!IsWindow(window_)) return kUiaElementNotAvailable;
    if (!IsWindowEnabled(window_)) return kUiaElementNotEnabled;
    PostMessageW(window_, BM_CLICK, 0, 0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlAutomationProvider::Invoke() { return click(); }

HRESULT STDMETHODCALLTYPE ControlAutomationProvider::Toggle() {
    if (!isSwitch()) return kInvalidOperation;
    return click();
}

HRESULT STDMETHODCALLTYPE ControlAutomationProvider::get_ToggleState(ToggleState* out) {
    if (out == nullptr) return E_INVALIDARG;
    const ButtonHost* host = hostNow();
    const bool on = host != nullptr && switchIsOn(host->settings(), controlId_);
    *out = on ? ToggleState_On : ToggleState_Off;
    return S_OK;
}

LRESULT answerAutomationRequest(HWND button, WPARAM wParam, LPARAM lParam) {
    auto* provider = new (std::nothrow) ControlAutomationProvider(button);
    if (provider == nullptr) return 0;
    const LRESULT answer = returnRawElementProvider(button, wParam, lParam, provider);
    provider->Release();
    return answer;
}

}  // namespace tf
