#pragma once
// The main window's page and the table of the switches between pages.

#include <cstdint>

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

}  // namespace tf
