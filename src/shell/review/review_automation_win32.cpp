#include "shell/review/review_automation_win32.h"

#include <atomic>
#include <new>
#include <utility>

#include "platform/win32/uia_core_win32.h"

namespace tf {
namespace {

class ReviewElementProvider final : public IRawElementProviderSimple, public IInvokeProvider {
public:
    ReviewElementProvider(HWND window, ReviewElement element) : window_(window), element_(std::move(element)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_INVALIDARG;
        *out = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IRawElementProviderSimple)) {
            *out = static_cast<IRawElementProviderSimple*>(this);
        } else if (iid == __uuidof(IInvokeProvider) && element_.invokable) {
            *out = static_cast<IInvokeProvider*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* out) override {
        if (out == nullptr) return E_INVALIDARG;
        *out = ProviderOptions_ServerSideProvider;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** out) override {
        if (out == nullptr) return E_INVALIDARG;
        *out = nullptr;
        if (pattern == kUiaInvokePatternId && element_.invokable) {
            *out = static_cast<IInvokeProvider*>(this);
            AddRef();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* out) override {
        if (out == nullptr) return E_INVALIDARG;
        VariantInit(out);
        switch (property) {
            case kUiaControlTypePropertyId:
                out->vt = VT_I4;
                out->lVal = element_.controlType;
                return S_OK;
            case kUiaNamePropertyId: return text(out, element_.name);
            case kUiaAutomationIdPropertyId: return text(out, element_.automationId);
            case kUiaIsKeyboardFocusablePropertyId:
            case kUiaIsEnabledPropertyId:
                out->vt = VT_BOOL;
                out->boolVal = property == kUiaIsEnabledPropertyId && !IsWindowEnabled(window_) ? VARIANT_FALSE
                                                                                                : VARIANT_TRUE;
                return S_OK;
            default: return S_OK;
        }
    }
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override {
        if (out == nullptr) return E_INVALIDARG;
        *out = nullptr;
        return hostProviderFromHwnd(window_, out);
    }

    HRESULT STDMETHODCALLTYPE Invoke() override {
        if (!IsWindow(window_)) return kUiaElementNotAvailable;
        if (!IsWindowEnabled(window_)) return kUiaElementNotEnabled;
        PostMessageW(window_, BM_CLICK, 0, 0);
        return S_OK;
    }

private:
    ~ReviewElementProvider() = default;
    static HRESULT text(VARIANT* out, const std::wstring& s) {
        BSTR b = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
        if (b == nullptr) return E_OUTOFMEMORY;
        out->vt = VT_BSTR;
        out->bstrVal = b;
        return S_OK;
    }

    std::atomic<ULONG> references_{1};
    HWND window_;
    ReviewElement element_;
};

}  // namespace

LRESULT answerReviewAutomation(HWND window, WPARAM wParam, LPARAM lParam, ReviewElement element) {
    if (static_cast<LONG>(lParam) != kUiaRootObjectId) return 0;
    auto* provider = new (std::nothrow) ReviewElementProvider(window, std::move(element));
    if (provider == nullptr) return 0;
    const LRESULT answer = returnRawElementProvider(window, wParam, lParam, provider);
    provider->Release();
    return answer;
}

}  // namespace tf
