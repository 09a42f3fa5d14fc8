#include "core/app/ui_state.h"

namespace tf {

namespace {

bool isValid(UiState s) {
    const auto v = static_cast<int32_t>(s);
    return v >= 0 && v < kUiStateCount;
}

}  // namespace

bool isUiTransitionAllowed(UiState from, UiState to) {
    if (!isValid(from) || !isValid(to)) return false;
    if (from == to) return true;
    switch (from) {
        case UiState::Home:
        case UiState::Result:
        case UiState::Failed:
            // Result and Failed are left only for a new selection or the settings pages.
            return to == UiState::Selecting || to == UiState::SettingsGeneral;
        case UiState::Selecting:
            return to == UiState::Home || to == UiState::Capturing || to == UiState::Result ||
                   to == UiState::Failed;
        case UiState::Capturing:
            return to == UiState::Home || to == UiState::Saving || to == UiState::Result || to == UiState::Failed;
        case UiState::Saving:
            return to == UiState::Home || to == UiState::Result || to == UiState::Failed;
        case UiState::SettingsGeneral:
        case UiState::SettingsHelp:
        case UiState::SettingsAbout:
            return to == UiState::Home || to == UiState::Result || to == UiState::Failed || isSettingsPage(to);
    }
    return false;
}

std::string_view uiStateName(UiState state) {
    switch (state) {
        case UiState::Home: return "Home";
        case UiState::Selecting: return "Selecting";
        case UiState::Capturing: return "Capturing";
        case UiState::Saving: return "Saving";
        case UiState::Result: return "Result";
        case UiState::Failed: return "Failed";
        case UiState::SettingsGeneral: return "SettingsGeneral";
        case UiState::SettingsHelp: return "SettingsHelp";
        case UiState::SettingsAbout: return "SettingsAbout";
    }
    return "Unknown";
}

}  // namespace tf
