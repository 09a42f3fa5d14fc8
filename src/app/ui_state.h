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

// The transition table: which page may follow which. A switch to the same
// state is always allowed; values outside 0..8 are refused both ways.
bool isUiTransitionAllowed(UiState from, UiState to);

// "Home", "Selecting", …; "Unknown" for a value outside the enumeration.
std::string_view uiStateName(UiState state);

}  // namespace tf
