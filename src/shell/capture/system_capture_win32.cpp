#include "shell/capture/system_capture_win32.h"

#include <optional>

#include "core/capture/capture_log.h"
#include "core/settings/program_folder.h"
#include "shell/capture/screen_grab_win32.h"

namespace tf {

namespace {

std::optional<uint32_t> systemWheelSetting(UINT action) {
    UINT read = 3;
    if (!SystemParametersInfoW(action, 0, &read, 0)) return std::nullopt;
    return read;
}

}  // namespace

SystemCapture::SystemCapture(bool loggingEnabled, ScrollDirection direction)
    : loggingEnabled_(loggingEnabled),
      scrollTarget_(direction == ScrollDirection::Right ? kHorizontalAxis : kVerticalAxis) {}

bool SystemCapture::cursorShowing() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) != 0;
}

uint32_t SystemCapture::sendWheel(int32_t delta) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.mouseData = static_cast<DWORD>(delta);
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    return SendInput(1, &input, sizeof(INPUT));
}

uint32_t SystemCapture::sendSidewaysWheel(int32_t delta, bool shifted) {
    if (!shifted) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.mouseData = static_cast<DWORD>(delta);
        input.mi.dwFlags = MOUSEEVENTF_HWHEEL;
        return SendInput(1, &input, sizeof(INPUT));
    }
    // Shift down, the notch, Shift up in one call, so that no input of
    // the person's lands between them; all three or the notch failed.
    INPUT inputs[3]{};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = VK_SHIFT;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.mouseData = static_cast<DWORD>(delta);
    inputs[1].mi.dwFlags = MOUSEEVENTF_WHEEL;
    inputs[2] = inputs[0];
    inputs[2].ki.dwFlags = KEYEVENTF_KEYUP;
    const UINT sent = SendInput(3, inputs, sizeof(INPUT));
    if (sent == 1) {
        // Shift went down alone: never leave it held.
        SendInput(1, &inputs[2], sizeof(INPUT));
    }
    return sent == 3 ? 1 : 0;
}

PixelImage SystemCapture::grab(const Rect& rect) { return grabScreenRect(rect); }

std::filesystem::path SystemCapture::createLogFolder() {
    return createCaptureLogFolder(loggingEnabled_, executableFolder());
}

WheelSettings systemWheelSettings() {
    return {systemWheelSetting(SPI_GETWHEELSCROLLLINES), systemWheelSetting(SPI_GETWHEELSCROLLCHARS)};
}

}  // namespace tf
