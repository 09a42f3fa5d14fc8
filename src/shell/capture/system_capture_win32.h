#pragma once
// The real system's side of a capture: wheel and scroll-bar input, the
// finish keys, the screen and the clock. Every call but showCursor acts on
// the whole desktop, so either loop may use it from whichever thread runs
// it; the pointer's display count belongs to the calling thread.

#include <windows.h>

#include <cstdint>
#include <filesystem>

#include "core/capture/capture_host.h"
#include "shell/capture/scroll_target_win32.h"

namespace tf {

class SystemCapture final : public CapturePointer,
                            public ScrollInput,
                            public FinishKeys,
                            public CaptureScreen,
                            public WaitingClock {
public:
    SystemCapture(bool loggingEnabled, ScrollDirection direction);

    bool cursorShowing() override;
    int32_t showCursor(bool show) override { return ShowCursor(show ? TRUE : FALSE); }
    void setCursorPos(int32_t x, int32_t y) override { SetCursorPos(x, y); }

    uint32_t sendWheel(int32_t delta) override;
    uint32_t sendSidewaysWheel(int32_t delta, bool shifted) override;
    int32_t findScrollTargets(Point at) override { return scrollTarget_.find(POINT{at.x, at.y}); }
    bool sendScrollStep(const ScrollRoute& route) override { return scrollTarget_.sendStep(route); }
    void sendToTop() override { scrollTarget_.sendToStart(); }
    IntegrityLevel ownIntegrity() override { return ownProcessIntegrity(); }
    IntegrityLevel targetIntegrity() override { return scrollTarget_.integrity(); }

    uint16_t escapeKeyState() override { return static_cast<uint16_t>(GetAsyncKeyState(VK_ESCAPE)); }
    uint16_t enterKeyState() override { return static_cast<uint16_t>(GetAsyncKeyState(VK_RETURN)); }

    PixelImage grab(const Rect& rect) override;
    std::filesystem::path createLogFolder() override;

    void sleep(uint32_t ms) override { Sleep(ms); }
    uint64_t tickCount() override { return GetTickCount64(); }

private:
    bool loggingEnabled_;
    ScrollTarget scrollTarget_;
};

// Both wheel settings as the system reports them now.
WheelSettings systemWheelSettings();

}  // namespace tf
