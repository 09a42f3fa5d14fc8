#include "ui/automation_names.h"

#include "settings/texts.h"

namespace tf {
namespace {

struct ControlNames {
    int id;
    const wchar_t* automationId;
    const wchar_t* english;
    const wchar_t* chinese;
};

constexpr ControlNames kNames[] = {
    {1, L"StartCaptureButton", L"Start long screenshot", L"开始截长图"},
    {2, L"OpenImageButton", L"Open image", L"打开图片"},
    {3, L"CaptureAgainButton", L"Capture another", L"再截一张"},
    {4, L"SettingsButton", L"Settings", L"设置"},
    {5, L"OpenContainingFolderButton", L"Open containing folder", L"打开所在文件夹"},
    {10, L"MinimizeButton", L"Minimize", L"最小化"},
    {11, L"CloseButton", L"Close", L"关闭"},
    {12, L"CloseSettingsButton", L"Close settings", L"关闭设置"},
    {20, L"SettingsGeneralNavigationItem", L"General", L"基础设置"},
    {21, L"SettingsHelpNavigationItem", L"Help", L"使用帮助"},
    {22, L"SettingsAboutNavigationItem", L"About Tallyframe", L"关于塔利帧"},
    {30, L"CaptureFolderButton", L"Change capture folder", L"更改截图保存位置"},
    {31, L"LanguageButton", L"Interface language: English", L"界面语言：简体中文"},
    {32, L"OpenAfterCaptureToggle", L"Open result when complete", L"完成后打开结果"},
    {33, L"CaptureLoggingToggle", L"Enable capture logging", L"开启截图日志"},
    {40, L"ProductHomeButton", L"Product home", L"站点首页"},
    {41, L"ProductSiteButton", L"Open the Tallyframe website", L"打开塔利帧产品站点"},
    {42, L"FeedbackButton", L"Feedback", L"问题反馈"},
    {43, L"CheckUpdateButton", L"Check for updates", L"检查更新"},
    {44, L"QuorvelleHomeButton", texts::publisherCredit.english, texts::publisherCredit.chinese},
    {45, L"AboutTalizenButton", L"About Tallyframe", L"关于塔利帧"},
};
constexpr ControlNames kOther{0, L"TallyframeControl", L"Tallyframe control", L"塔利帧控件"};

const ControlNames& namesFor(int id) {
    for (const ControlNames& n : kNames) {
        if (n.id == id) return n;
    }
    return kOther;
}

}  // namespace

std::wstring_view automationIdFor(int controlId, UiState state) {
    const int s = static_cast<int>(state);
    if (controlId == 4 && s >= 6 && s <= 8) return L"BackButton";
    return namesFor(controlId).automationId;
}

std::wstring_view automationNameFor(int controlId, UiLanguage language) {
    const ControlNames& n = namesFor(controlId);
    return language == UiLanguage::English ? n.english : n.chinese;
}

}  // namespace tf
