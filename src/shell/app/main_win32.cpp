// Process entry of tallyframe.exe.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/app/command_line.h"
#include "shell/app/application_win32.h"
#include "shell/app/app_window_win32.h"
#include "core/diagnostics/offline_stitch.h"
#include "core/diagnostics/self_test.h"
#include "platform/win32/win32_handles.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) SetProcessDPIAware();
    // Without COM the modes and the window still run; only what needs it fails.
    const tf::ComApartment com(COINIT_APARTMENTTHREADED);

    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv != nullptr) {
        std::vector<tf::NativeString> args(argv, argv + argc);
        LocalFree(argv);
        const tf::ModeSelection s = tf::selectMode(args);
        if (s.mode == tf::ProgramMode::Stitch) {
            return tf::runOfflineStitch(s.framesFolder, s.outputPath);
        }
        if (s.mode == tf::ProgramMode::SelfTest) {
            return tf::runSelfTest(s.reportPath);
        }
    }

    tf::Application app(instance);
    return tf::runInteractiveProgram(app);
}
