#pragma once
// Process-wide values and the operations the Win32 subsystems call on each
// other. Each value has one owning file, named beside it; the others only read
// it (or write it where the comment says so). GUI thread unless marked atomic.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/ui_state.h"
#include "image/pixel_image.h"
#include "stitch/stitch_job.h"

namespace tf {

inline constexpr UINT WM_APP_STITCH_DONE = WM_APP + 1;
inline constexpr UINT WM_APP_START_CAPTURE = WM_APP + 3;
inline constexpr UINT WM_APP_OVERLAY_REDRAW = WM_APP + 5;
inline constexpr UINT WM_APP_UPDATE_RESULT = WM_APP + 6;
inline constexpr UINT WM_APP_SETTINGS_CLOSED = WM_APP + 7;

// --- program entry and main window (src/app, src/ui) ---
extern HINSTANCE appInstance;
extern HWND mainWindow;
extern HWND settingsWindow;
extern bool reducedMotion;
extern HWND overlayWindow;                  // set and cleared by the selection overlay
extern bool saveInProgress;
extern std::wstring savedImagePath;         // emptied by beginSelection
struct CaptureStats {
    uint32_t frameCount = 0;
    uint64_t width = 0, height = 0, stitchMs = 0, saveMs = 0;
};
extern CaptureStats lastCaptureStats;       // beginSelection zeroes the two times
extern std::atomic<int32_t> savingStage;    // written by the worker
extern uint64_t savingStartTick;

UiState currentUiState();
void setUiState(UiState to);
void showAndActivateMain();

// --- capture (src/capture) ---
void beginSelection();
void cancelSelection();
void closeOverlay();
void redrawOverlay();
// Runs the capture controller to its end; called for WM_APP_START_CAPTURE.
void runCaptureFromMainWindow();
// Takes the accepted frames over, enters Saving and starts the worker.
void startStitchAndSave(std::vector<PixelImage> frames);

}  // namespace tf
