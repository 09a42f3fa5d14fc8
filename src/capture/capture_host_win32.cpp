// The Windows side of the capture loop: the controller's host over the real
// input, clock and screen.

#include <windows.h>

#include "app/app_globals_win32.h"
#include "app/page_driver_win32.h"
#include "capture/capture_controller.h"
#include "capture/capture_globals_win32.h"
#include "capture/capture_log.h"
#include "capture/screen_grab_win32.h"
#include "settings/settings.h"
#include "settings/program_folder.h"
#include "stitch/save_session_win32.h"
#include "ui/capture_messages.h"

namespace tf {
namespace {

class WindowsCaptureHost : public CaptureHost {
public:
    bool wheelScrollLines(uint32_t& lines) override {
        UINT value = 3;
        if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &value, 0)) return false;
        lines = value;
        return true;
    }
    bool cursorShowing() override {
        CURSORINFO info{};
        info.cbSize = sizeof info;
        return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) != 0;
    }
    int32_t showCursor(bool show) override { return ShowCursor(show ? TRUE : FALSE); }
    void setCursorPos(int32_t x, int32_t y) override { SetCursorPos(x, y); }
    uint32_t sendWheel(int32_t delta) override {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.mouseData = static_cast<DWORD>(delta);
        input.mi.dwFlags = MOUSEEVENTF_WHEEL;
        return SendInput(1, &input, sizeof(INPUT));
    }
    void sleep(uint32_t ms) override { Sleep(ms); }
    uint64_t tickCount() override { return GetTickCount64(); }
    uint16_t escapeKeyState() override { return static_cast<uint16_t>(GetAsyncKeyState(VK_ESCAPE)); }
    PixelImage grab() override { return grabScreenRect(captureRect); }
    std::filesystem::path createLogFolder() override {
        return createCaptureLogFolder(settings.captureLoggingEnabled, executableFolder());
    }
    bool saveInProgress() override { return tf::saveInProgress; }
    UiState uiState() override { return currentUiState(); }
    std::wstring failureText(const CaptureFailure& failure) override {
        return captureFailureText(failure, settings.language);
    }
    void failCapture(const CaptureFailure& failure) override {
        const std::wstring text = failureText(failure);
        failCaptureAndShowMain(text.c_str(), captureFailureIsWarning(failure) ? MB_ICONWARNING : MB_ICONERROR);
    }
    void startStitchAndSave(std::vector<PixelImage> frames) override { tf::startStitchAndSave(std::move(frames)); }
};

}  // namespace

void runCaptureFromMainWindow() {
    WindowsCaptureHost host;
    runCapture(host, CaptureRequest{captureRect, captureRectValid});
}

}  // namespace tf
