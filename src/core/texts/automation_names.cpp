#include "core/texts/automation_names.h"

#include "core/texts/texts.h"

namespace tf {
namespace {

struct ControlNames {
    ControlId id;
    const wchar_t* automationId;
    BilingualText name;
};

constexpr ControlNames kNames[] = {
    {ControlId::StartCapture, L"StartCaptureButton", texts::startButton},
    {ControlId::OpenImage, L"OpenImageButton", texts::openImageButton},
    {ControlId::CaptureAnother, L"CaptureAgainButton", texts::captureAnotherButton},
    {ControlId::Settings, L"SettingsButton", texts::settingsButton},
    {ControlId::OpenFolder, L"OpenContainingFolderButton", texts::openFolderButton},
    {ControlId::CopyImage, L"CopyImageButton", texts::copyImageButton},
    {ControlId::Review, L"ReviewButton", texts::reviewButton},
    {ControlId::Minimize, L"MinimizeButton", texts::minimizeName},
    {ControlId::Close, L"CloseButton", texts::closeName},
    {ControlId::CloseSettings, L"CloseSettingsButton", texts::closeSettingsName},
    {ControlId::GeneralNavigation, L"SettingsGeneralNavigationItem", texts::generalNavigation},
    {ControlId::HelpNavigation, L"SettingsHelpNavigationItem", texts::helpNavigation},
    {ControlId::AboutNavigation, L"SettingsAboutNavigationItem", texts::aboutNavigation},
    {ControlId::ChooseFolder, L"CaptureFolderButton", texts::changeFolderCommand},
    {ControlId::Language, L"LanguageButton", texts::languageCommand},
    {ControlId::OpenAfterCapture, L"OpenAfterCaptureToggle", texts::openResultCommand},
    {ControlId::CaptureLogging, L"CaptureLoggingToggle", texts::captureLoggingCommand},
    {ControlId::CopyAfterCapture, L"CopyAfterCaptureToggle", texts::copyAfterLabel},
    {ControlId::CaptureHotkey, L"CaptureHotkeyButton", texts::captureHotkeyLabel},
    {ControlId::ScrollMode, L"ScrollModeToggle", texts::scrollModeCommand},
    {ControlId::StartFromTop, L"StartFromTopToggle", texts::startFromTopCommand},
    {ControlId::CaptureSideways, L"CaptureSidewaysToggle", texts::captureSidewaysCommand},
    {ControlId::ReviewAfterCapture, L"ReviewAfterCaptureToggle", texts::reviewAfterLabel},
    {ControlId::SplitTallImages, L"SplitTallImagesButton", texts::splitTallLabel},
    {ControlId::ProductHome, L"ProductHomeButton", texts::productHomeCommand},
    {ControlId::ProductSite, L"ProductSiteButton", texts::productSiteCommand},
    {ControlId::Feedback, L"FeedbackButton", texts::feedbackCommand},
    {ControlId::CheckUpdates, L"CheckUpdateButton", texts::checkUpdatesCommand},
    {ControlId::PublisherSite, L"QuorvelleHomeButton", texts::publisherCredit},
    {ControlId::AboutProduct, L"AboutTalizenButton", texts::aboutNavigation},
};
constexpr ControlNames kOther{ControlId::None, L"TallyframeControl", texts::otherControlName};

const ControlNames& namesFor(ControlId id) {
    for (const ControlNames& n : kNames) {
        if (n.id == id) return n;
    }
    return kOther;
}

}  // namespace

std::wstring_view automationIdFor(ControlId control, UiState state) {
    if (control == ControlId::Settings && isSettingsPage(state)) return L"BackButton";
    return namesFor(control).automationId;
}

std::wstring_view automationNameFor(ControlId control, UiLanguage language) {
    return pick(namesFor(control).name, language);
}

}  // namespace tf
