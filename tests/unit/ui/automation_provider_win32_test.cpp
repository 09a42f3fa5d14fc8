#include "shell/ui/automation_provider_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "core/texts/automation_names.h"
#include "shell/ui/button_proc_win32.h"
#include "ui_test_support_win32.h"
#include "uia_client_win32.h"

namespace {

using tf::ControlAutomationProvider;
using tf::controlSlot;
using tf::ControlId;
using tf::idNumber;

// One provider for a control, released at the end of the scope.
struct Provider {
    explicit Provider(HWND w) : p(new ControlAutomationProvider(w)) {}
    ~Provider() { p->Release(); }
    ControlAutomationProvider* operator->() const { return p; }
    ControlAutomationProvider* p;
};

std::wstring stringProperty(const Provider& p, PROPERTYID id) {
    VARIANT v;
    EXPECT_EQ(p->GetPropertyValue(id, &v), S_OK);
    std::wstring s = v.vt == VT_BSTR ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"<not a string>";
    VariantClear(&v);
    return s;
}

VARIANT property(const Provider& p, PROPERTYID id) {
    VARIANT v;
    EXPECT_EQ(p->GetPropertyValue(id, &v), S_OK);
    return v;
}

int countPostedClicks(HWND button) {
    int n = 0;
    MSG msg;
    while (PeekMessageW(&msg, button, BM_CLICK, BM_CLICK, PM_REMOVE)) ++n;
    return n;
}

class Automation : public tf::test::MainWindowFixture {};

TEST_F(Automation, EveryControlReportsItsTypeNameAndIdInBothLanguages) {
    struct Case {
        ControlId id;
        const wchar_t* automationId;
        const wchar_t* english;
        const wchar_t* chinese;
        LONG type;
    } cases[] = {
        {ControlId::StartCapture, L"StartCaptureButton", L"Start long screenshot", L"开始截长图", tf::kUiaButtonControlTypeId},
        {ControlId::OpenImage, L"OpenImageButton", L"Open image", L"打开图片", tf::kUiaButtonControlTypeId},
        {ControlId::CaptureAnother, L"CaptureAgainButton", L"Capture another", L"再截一张", tf::kUiaButtonControlTypeId},
        {ControlId::Settings, L"SettingsButton", L"Settings", L"设置", tf::kUiaButtonControlTypeId},
        {ControlId::OpenFolder, L"OpenContainingFolderButton", L"Open containing folder", L"打开所在文件夹", tf::kUiaButtonControlTypeId},
        {ControlId::GeneralNavigation, L"SettingsGeneralNavigationItem", L"General", L"基础设置", tf::kUiaButtonControlTypeId},
        {ControlId::Language, L"LanguageButton", L"Interface language: English", L"界面语言：简体中文", tf::kUiaButtonControlTypeId},
        {ControlId::OpenAfterCapture, L"OpenAfterCaptureToggle", L"Open result when complete", L"完成后打开结果", tf::kUiaCheckBoxControlTypeId},
        {ControlId::CaptureLogging, L"CaptureLoggingToggle", L"Enable capture logging", L"开启截图日志", tf::kUiaCheckBoxControlTypeId},
        {ControlId::CheckUpdates, L"CheckUpdateButton", L"Check for updates", L"检查更新", tf::kUiaButtonControlTypeId},
        {ControlId::AboutProduct, L"AboutTalizenButton", L"About Tallyframe", L"关于塔利帧", tf::kUiaButtonControlTypeId},
    };
    for (const Case& c : cases) {
        HWND w = controlSlot(app(), c.id);
        ASSERT_NE(w, nullptr) << idNumber(c.id);
        Provider p(w);
        tf::test::useLanguage(app(), tf::UiLanguage::English);
        EXPECT_EQ(stringProperty(p, tf::kUiaNamePropertyId), c.english) << idNumber(c.id);
        tf::test::useLanguage(app(), tf::UiLanguage::ChineseSimplified);
        EXPECT_EQ(stringProperty(p, tf::kUiaNamePropertyId), c.chinese) << idNumber(c.id);
        EXPECT_EQ(stringProperty(p, tf::kUiaAutomationIdPropertyId), c.automationId) << idNumber(c.id);
        VARIANT type = property(p, tf::kUiaControlTypePropertyId);
        EXPECT_EQ(type.vt, VT_I4);
        EXPECT_EQ(type.lVal, c.type) << idNumber(c.id);
        VARIANT focusable = property(p, tf::kUiaIsKeyboardFocusablePropertyId);
        EXPECT_EQ(focusable.vt, VT_BOOL);
        EXPECT_EQ(focusable.boolVal, VARIANT_TRUE);
        VARIANT other = property(p, 30001 /* bounding rectangle: not answered */);
        EXPECT_EQ(other.vt, VT_EMPTY);
        ProviderOptions options{};
        EXPECT_EQ(p->get_ProviderOptions(&options), S_OK);
        EXPECT_EQ(options, ProviderOptions_ServerSideProvider);
    }
    HWND unknown = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 1, 1, app().main.window(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(77)), nullptr, nullptr);
    Provider p(unknown);
    EXPECT_EQ(stringProperty(p, tf::kUiaAutomationIdPropertyId), L"TallyframeControl");
    EXPECT_EQ(stringProperty(p, tf::kUiaNamePropertyId), L"塔利帧控件");
}

TEST_F(Automation, SettingsButtonReadsBackButtonOnASettingsPage) {
    Provider p(controlSlot(app(), ControlId::Settings));
    tf::setUiState(app(), tf::UiState::SettingsGeneral);
    EXPECT_EQ(stringProperty(p, tf::kUiaAutomationIdPropertyId), L"BackButton");
    tf::setUiState(app(), tf::UiState::SettingsAbout);
    EXPECT_EQ(stringProperty(p, tf::kUiaAutomationIdPropertyId), L"BackButton");
    tf::setUiState(app(), tf::UiState::Home);
    EXPECT_EQ(stringProperty(p, tf::kUiaAutomationIdPropertyId), L"SettingsButton");
}

TEST_F(Automation, InvokePostsOneClickAndRefusesDisabledAndVanishedButtons) {
    HWND start = controlSlot(app(), ControlId::StartCapture);
    Provider p(start);
    countPostedClicks(start);
    EXPECT_EQ(p->Invoke(), S_OK);
    EXPECT_EQ(countPostedClicks(start), 1);
    VARIANT enabled = property(p, tf::kUiaIsEnabledPropertyId);
    EXPECT_EQ(enabled.boolVal, VARIANT_TRUE);

    EnableWindow(start, FALSE);  // as while saving
    EXPECT_EQ(p->Invoke(), tf::kUiaElementNotEnabled);
    EXPECT_EQ(countPostedClicks(start), 0);
    enabled = property(p, tf::kUiaIsEnabledPropertyId);
    EXPECT_EQ(enabled.boolVal, VARIANT_FALSE);
    EnableWindow(start, TRUE);

    HWND temporary = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 1, 1, app().main.window(),
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(2)), nullptr, nullptr);
    Provider gone(temporary);
    DestroyWindow(temporary);
    EXPECT_EQ(gone->Invoke(), tf::kUiaElementNotAvailable);
    // Properties still answer from the stored id.
    EXPECT_EQ(stringProperty(gone, tf::kUiaAutomationIdPropertyId), L"OpenImageButton");
}

TEST_F(Automation, InvokeOfTheSettingsButtonOpensTheSettingsWindow) {
    Provider p(controlSlot(app(), ControlId::Settings));
    ASSERT_EQ(p->Invoke(), S_OK);
    pump(300);
    ASSERT_NE(app().settingsWindow.handle(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(app().main.window()));
    SendMessageW(app().settingsWindow.handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(app().settingsWindow.handle(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(app().main.window()));
}

TEST_F(Automation, SwitchesToggleAndButtonsInvokeButNeverTheOtherPattern) {
    HWND openAfter = controlSlot(app(), ControlId::OpenAfterCapture);
    Provider sw(openAfter);
    Provider button(controlSlot(app(), ControlId::StartCapture));

    tf::test::changeSettings(app(), [](tf::Settings& s) { s.openAfterCapture = true; });
    tf::ToggleState state{};
    EXPECT_EQ(sw->get_ToggleState(&state), S_OK);
    EXPECT_EQ(static_cast<int>(state), 1);
    tf::test::changeSettings(app(), [](tf::Settings& s) { s.openAfterCapture = false; });
    EXPECT_EQ(sw->get_ToggleState(&state), S_OK);
    EXPECT_EQ(static_cast<int>(state), 0);
    Provider logging(controlSlot(app(), ControlId::CaptureLogging));
    tf::test::changeSettings(app(), [](tf::Settings& s) { s.captureLoggingEnabled = true; });
    EXPECT_EQ(logging->get_ToggleState(&state), S_OK);
    EXPECT_EQ(static_cast<int>(state), 1);

    countPostedClicks(openAfter);
    EXPECT_EQ(sw->Toggle(), S_OK);
    EXPECT_EQ(countPostedClicks(openAfter), 1);
    EXPECT_EQ(button->Toggle(), tf::kInvalidOperation);

    IUnknown* pattern = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(sw->GetPatternProvider(tf::kUiaInvokePatternId, &pattern), S_OK);
    EXPECT_EQ(pattern, nullptr);
    EXPECT_EQ(button->GetPatternProvider(tf::kUiaTogglePatternId, &pattern), S_OK);
    EXPECT_EQ(pattern, nullptr);
    EXPECT_EQ(button->GetPatternProvider(tf::kUiaInvokePatternId, &pattern), S_OK);
    ASSERT_NE(pattern, nullptr);
    pattern->Release();
    EXPECT_EQ(sw->GetPatternProvider(tf::kUiaTogglePatternId, &pattern), S_OK);
    ASSERT_NE(pattern, nullptr);
    pattern->Release();

    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(button->QueryInterface(__uuidof(tf::IToggleProvider), &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(sw->QueryInterface(__uuidof(tf::IInvokeProvider), &out), E_NOINTERFACE);
    EXPECT_EQ(sw->QueryInterface(__uuidof(tf::IToggleProvider), &out), S_OK);
    static_cast<tf::IToggleProvider*>(out)->Release();
    EXPECT_EQ(button->QueryInterface(__uuidof(IRawElementProviderSimple), &out), S_OK);
    static_cast<IUnknown*>(out)->Release();

    EXPECT_EQ(button->QueryInterface(__uuidof(IUnknown), nullptr), E_INVALIDARG);
    EXPECT_EQ(button->GetPatternProvider(tf::kUiaInvokePatternId, nullptr), E_INVALIDARG);
    EXPECT_EQ(button->GetPropertyValue(tf::kUiaNamePropertyId, nullptr), E_INVALIDARG);
    EXPECT_EQ(button->get_ProviderOptions(nullptr), E_INVALIDARG);
    EXPECT_EQ(button->get_HostRawElementProvider(nullptr), E_INVALIDARG);
    EXPECT_EQ(sw->get_ToggleState(nullptr), E_INVALIDARG);
}

TEST_F(Automation, ReferenceCountsBalance) {
    auto* p = new ControlAutomationProvider(controlSlot(app(), ControlId::StartCapture));
    EXPECT_EQ(p->AddRef(), 2u);
    void* invoke = nullptr;
    ASSERT_EQ(p->QueryInterface(__uuidof(tf::IInvokeProvider), &invoke), S_OK);
    EXPECT_EQ(static_cast<tf::IInvokeProvider*>(invoke)->Release(), 2u);
    EXPECT_EQ(p->Release(), 1u);
    EXPECT_EQ(p->Release(), 0u);
}

TEST_F(Automation, ButtonsAnswerTheRootObjectRequestAndForwardOthers) {
    HWND start = controlSlot(app(), ControlId::StartCapture);
    // Wine's UI Automation core serves providers: the answer is a real result.
    const LRESULT answer = SendMessageW(start, WM_GETOBJECT, 0, static_cast<LPARAM>(tf::kUiaRootObjectId));
    EXPECT_NE(answer, 0);
    Provider p(start);
    IRawElementProviderSimple* host = nullptr;
    EXPECT_EQ(p->get_HostRawElementProvider(&host), S_OK);
    ASSERT_NE(host, nullptr);
    host->Release();
}

TEST_F(Automation, HoverTrackingRedrawsBothButtonsAndTheHandOnlyOnLinks) {
    HWND start = controlSlot(app(), ControlId::StartCapture), gear = controlSlot(app(), ControlId::Settings);
    SendMessageW(start, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(app().buttons.hover(), start);
    SendMessageW(gear, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(app().buttons.hover(), gear);
    SendMessageW(gear, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(app().buttons.hover(), nullptr);

    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(SendMessageW(controlSlot(app(), ControlId::Feedback), WM_SETCURSOR, reinterpret_cast<WPARAM>(controlSlot(app(), ControlId::Feedback)),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(start, WM_SETCURSOR, reinterpret_cast<WPARAM>(start), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

    app().buttons.suppressSettingsFocusRing(true);
    SendMessageW(gear, WM_LBUTTONUP, 0, 0);
    EXPECT_FALSE(app().buttons.settingsFocusRingSuppressed());
}

}  // namespace

namespace {

using tf::test::UiaClient;

class AutomationClient : public tf::test::MainWindowFixture {};

TEST_F(AutomationClient, NamesAndIdsArriveThroughWmGetObject) {
    UiaClient client;
    if (client.nodeFromHandle == nullptr || client.getPropertyValue == nullptr || client.nodeRelease == nullptr) {
        GTEST_SKIP() << "no flat UI Automation client functions here";
    }
    tf::test::useLanguage(app(), tf::UiLanguage::English);
    EXPECT_EQ(client.stringOf(controlSlot(app(), ControlId::StartCapture), tf::kUiaAutomationIdPropertyId), L"StartCaptureButton");
    EXPECT_EQ(client.stringOf(controlSlot(app(), ControlId::StartCapture), tf::kUiaNamePropertyId), L"Start long screenshot");
    tf::test::useLanguage(app(), tf::UiLanguage::ChineseSimplified);
    EXPECT_EQ(client.stringOf(controlSlot(app(), ControlId::Settings), tf::kUiaNamePropertyId), L"设置");
    EXPECT_EQ(client.stringOf(controlSlot(app(), ControlId::CaptureLogging), tf::kUiaAutomationIdPropertyId), L"CaptureLoggingToggle");
}

}  // namespace
