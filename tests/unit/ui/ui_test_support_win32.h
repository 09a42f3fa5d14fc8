#pragma once
// Helpers of the in-process window tests: the real main window, message
// pumping, and a watcher that answers (and records) message boxes, which
// would otherwise block a test.

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "shell/app/application_win32.h"
#include "shell/app/control_table_win32.h"
#include "shell/app/app_window_win32.h"
#include "shell/app/commands_win32.h"
#include "shell/app/page_driver_win32.h"
#include "core/settings/settings.h"
#include "shell/save/save_session_win32.h"
#include "shell/ui/renderer_win32.h"

namespace tf::test {

// Runs every queued message (dialog routing as the program does for `app`,
// when there is one), for up to `ms` milliseconds or until nothing is left.
inline void pumpMessages(const Application* app, DWORD ms = 200) {
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (app != nullptr && routeDialogKey(*app, msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount64() < end);
}
inline void pumpMessages(const Application& app, DWORD ms = 200) { pumpMessages(&app, ms); }

// Closes every message box of this process as it appears and keeps its text.
class MessageBoxWatcher {
public:
    MessageBoxWatcher() : thread_([this] { run(); }) {}
    ~MessageBoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::wstring> texts() {
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }

private:
    static BOOL CALLBACK visit(HWND w, LPARAM self) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        wchar_t cls[32] = {};
        GetClassNameW(w, cls, 32);
        if (pid == GetCurrentProcessId() && std::wstring(cls) == L"#32770" && IsWindowVisible(w)) {
            auto* watcher = reinterpret_cast<MessageBoxWatcher*>(self);
            wchar_t text[512] = {};
            GetDlgItemTextW(w, 0xFFFF, text, 512);
            {
                std::lock_guard<std::mutex> lock(watcher->mutex_);
                watcher->texts_.push_back(text);
            }
            // IDNO for questions, IDOK otherwise; a box without the button ignores it.
            PostMessageW(w, WM_COMMAND, GetDlgItem(w, IDNO) != nullptr ? IDNO : IDOK, 0);
            Sleep(100);
        }
        return TRUE;
    }
    void run() {
        while (!stop_) {
            EnumWindows(&visit, reinterpret_cast<LPARAM>(this));
            Sleep(50);
        }
    }
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::wstring> texts_;
    std::thread thread_;
};

// The documents of the shipped icons, read from the source tree (the test
// suites carry no resources).
std::string_view iconDocumentFromSources(int id);

// Changes the application's settings as the program does when one changes
// (kept, saved, shown), never by writing a field behind its back.
template <typename Change>
void changeSettings(Application& app, Change&& change) {
    Settings changed = app.settings;
    change(changed);
    tf::changeSettings(app, changed);
}
inline void useLanguage(Application& app, UiLanguage language) {
    changeSettings(app, [language](Settings& s) { s.language = language; });
}

// The real main window for one test, over an application of its own (with
// the default settings); destroyed at the end.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        setSvgSourceForTests(&iconDocumentFromSources);
        changeSettings(app_, [](Settings& s) {
            s.openAfterCapture = false;  // no shell opening from a test
            s.copyAfterCapture = false;  // the clipboard only where a test asks for it
        });
        ASSERT_NE(createMainWindow(app_), nullptr);
        pump(100);
    }
    void TearDown() override {
        app_.save.stageInProgressForTests(false);
        app_.settingsWindow.close();
        if (app_.main.window() != nullptr) DestroyWindow(app_.main.window());
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);  // also WM_QUIT
    }
    Application& app() { return app_; }
    void pump(DWORD ms = 200) { pumpMessages(app_, ms); }

private:
    Application app_{GetModuleHandleW(nullptr)};
};

// Saves what the screen shows of `window` as a PNG into $TF_GUI_SHOTS when
// that is set (the GUI script collects them for review).
void saveWindowShot(HWND window, const std::string& name);

}  // namespace tf::test
