#include "ui/automation_names.h"

#include "settings/texts.h"

namespace tf {
namespace {

struct ControlNames {
    int id;
    const wchar_t* automationId;
    BilingualText name;
};

constexpr ControlNames kNames[] = {
    {1, L"StartCaptureButton", texts::startButton},
    {2, L"OpenImageButton", texts::openImageButton},
    {3, L"CaptureAgainButton", texts::captureAnotherButton},
    {4, L"SettingsButton", texts::settingsButton},
    {5, L"OpenContainingFolderButton", texts::openFolderButton},
    {10, L"MinimizeButton", texts::minimizeName},
    {11, L"CloseButton", texts::closeName},
    {12, L"CloseSettingsButton", texts::closeSettingsName},
    {20, L"SettingsGeneralNavigationItem", texts::generalNavigation},
    {21, L"SettingsHelpNavigationItem", texts::helpNavigation},
    {22, L"SettingsAboutNavigationItem", texts::aboutNavigation},
    {30, L"CaptureFolderButton", texts::changeFolderCommand},
    {31, L"LanguageButton", texts::languageCommand},
    {32, L"OpenAfterCaptureToggle", texts::openResultCommand},
    {33, L"CaptureLoggingToggle", texts::captureLoggingCommand},
    {40, L"ProductHomeButton", texts::productHomeCommand},
    {41, L"ProductSiteButton", texts::productSiteCommand},
    {42, L"FeedbackButton", texts::feedbackCommand},
    {43, L"CheckUpdateButton", texts::checkUpdatesCommand},
    {44, L"QuorvelleHomeButton", texts::publisherCredit},
    {45, L"AboutTalizenButton", texts::aboutNavigation},
};
constexpr ControlNames kOther{0, L"TallyframeControl", texts::otherControlName};

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
    return pick(namesFor(controlId).name, language);
}

}  // namespace tf
