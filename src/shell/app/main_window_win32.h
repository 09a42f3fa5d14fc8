#pragma once
// The main window as an object: its page state, the slots through which its
// controls (and, while it is open, the settings window's) are found by name,
// and the in-window settings pages. The application makes one and outlives
// it; the window carries a pointer to it in GWLP_USERDATA, and its procedure
// reaches it from there. Its commands and pages work on the rest of the
// application, which it reaches through the Application it was made with.

#include <windows.h>

#include <array>

#include "core/app/control_ids.h"
#include "core/app/ui_state.h"
#include "platform/win32/win32_window_object.h"
#include "shell/app/settings_pages_win32.h"

namespace tf {

struct Application;

// The main window's page: written by setUiState (shell/app/page_driver_win32.cpp).
struct PageState {
    UiState current = UiState::Home;
};

// The slots through which both windows find a control by its name:
// shell/app/control_table_win32.cpp.
struct ControlSlots {
    std::array<HWND, kMaxControlId + 1> byId{};
    HWND languageButton = nullptr;  // of whichever window shows it; the language menu opens below it
    HWND mainTooltip = nullptr;
};

inline constexpr wchar_t kMainWindowClass[] = L"TallyframeNativeMain";

class MainWindow {
public:
    explicit MainWindow(Application& app) : app_(app) {}
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Animation setting, class, placement, Home, shown; the window or null.
    HWND create();
    // From its creation to its destruction; null before and after.
    HWND window() const { return window_; }
    // The system's client-area animation was off when the window was made.
    bool reducedMotion() const { return reducedMotion_; }

    PageState& page() { return page_; }
    const PageState& page() const { return page_; }
    ControlSlots& controls() { return controls_; }
    const ControlSlots& controls() const { return controls_; }
    InWindowSettingsPages& settingsPages() { return settingsPages_; }
    const InWindowSettingsPages& settingsPages() const { return settingsPages_; }

private:
    template <typename Object>
    friend LRESULT CALLBACK objectWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onCreate(HWND window);
    void onDestroy();
    void onTimer(HWND window, WPARAM timer);
    void onSettingsClosed(HWND window);
    void onDpiChanged(HWND window, const RECT& suggested);
    void placeAtStart(HWND window, const RECT& work);

    Application& app_;
    HWND window_ = nullptr;
    bool reducedMotion_ = false;
    PageState page_;
    ControlSlots controls_;
    InWindowSettingsPages settingsPages_;
};

}  // namespace tf
