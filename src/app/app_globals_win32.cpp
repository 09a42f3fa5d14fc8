// The main-window side of the process-wide values (see app_globals_win32.h).
#include "app/app_globals_win32.h"

namespace tf {

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
HWND settingsWindow = nullptr;
bool reducedMotion = false;
HWND overlayWindow = nullptr;
bool saveInProgress = false;
std::wstring savedImagePath;
CaptureStats lastCaptureStats;
std::atomic<int32_t> savingStage{0};
uint64_t savingStartTick = 0;

}  // namespace tf
