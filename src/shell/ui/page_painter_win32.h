#pragma once
// The main window's pages and the painter of every owner-drawn button of both
// windows, drawn in DIPs through the renderer from a read-only view of what
// they show.

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/app/ui_state.h"
#include "core/capture/capture_budget.h"
#include "core/settings/settings.h"
#include "shell/save/save_session_win32.h"

namespace tf {

// How the last capture moved the page, for the result page's subtitle.
enum class ResultSubtitle : int32_t {
    Scrolled,        // the program scrolled the page
    NeverScrolled,   // an automatic capture whose page never moved: it says why
    PersonScrolled,  // a manual capture
};

struct MainPageView {
    UiLanguage language = UiLanguage::English;
    UiState shown = UiState::Home;  // the page the main window shows (not always the UiState)
    bool resultWithPath = false;    // the result page of a saved image
    const std::wstring* savedImagePath = nullptr;  // never null while resultWithPath
    CaptureStats stats;
    ResultSubtitle subtitle = ResultSubtitle::Scrolled;
    // The limit that ended the capture before its page ended, and the frame
    // limit the capture had.
    CaptureLimit stoppedAtLimit = CaptureLimit::None;
    int32_t frameLimit = 0;
    int32_t settingsScroll = 0;  // DIPs the in-window settings page is scrolled by
};

struct ButtonView {
    const Settings& settings;
    UiState state;          // the UiState itself: the navigation buttons show its page
    bool inSettingsWindow;  // the button belongs to the settings window
    HWND hover;             // the button under the mouse, or null
    bool settingsRingSuppressed;
    bool copiedNotice;
    bool recordingChord;
    std::wstring chordText;
};

void paintMainPage(const MainPageView& view, HWND window, HDC hdc);
void paintOwnerButton(const ButtonView& view, HWND window, const DRAWITEMSTRUCT& item);

}  // namespace tf
