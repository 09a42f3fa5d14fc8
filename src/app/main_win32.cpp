// Process entry of tallyframe.exe.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/app_window_win32.h"
#include "diagnostics/offline_stitch.h"
#include "diagnostics/self_test.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    tf::appInstance = instance;
    if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) SetProcessDPIAware();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv != nullptr) {
        std::vector<tf::NativeString> args(argv, argv + argc);
        LocalFree(argv);
        const tf::ModeSelection s = tf::selectMode(args);
        if (s.mode == tf::ProgramMode::Stitch) {
            const int code = tf::runOfflineStitch(s.framesFolder, s.outputPath);
            CoUninitialize();
            return code;
        }
        if (s.mode == tf::ProgramMode::SelfTest) {
            const int code = tf::runSelfTest(s.reportPath);
            CoUninitialize();
            return code;
        }
    }

    const int code = tf::runInteractiveProgram();
    CoUninitialize();
    return code;
}
