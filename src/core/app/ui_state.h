#pragma once
// The main window's page and the table of the switches between pages.

#include <cstdint>
#include <string_view>

namespace tf {

enum class UiState : int32_t {
    Home = 0,
    Selecting = 1,
    Capturing = 2,
    Saving = 3,
    Result = 4,
    Failed = 5,
    SettingsGeneral = 6,
    SettingsHelp = 7,
    SettingsAbout = 8,
};

inline constexpr int32_t kUiStateCount = 9;

// The three settings pages (in the settings window or in the main window).
constexpr bool isSettingsPage(UiState s) {
    return s == UiState::SettingsGeneral || s == UiState::SettingsHelp || s == UiState::SettingsAbout;
}
// The pages from which the settings can be opened and to which they return.
constexpr bool isHomeLike(UiState s) { return s == UiState::Home || s == UiState::Result || s == UiState::Failed; }

// The transition table: which page may follow which. A switch to the same
// state is always allowed; values outside 0..8 are refused both ways.
bool isUiTransitionAllowed(UiState from, UiState to);

// "Home", "Selecting", …; "Unknown" for a value outside the enumeration.
std::string_view uiStateName(UiState state);

}  // namespace tf
