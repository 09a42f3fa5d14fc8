// Process entry of tallyframe.exe.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "diagnostics/offline_stitch.h"

namespace {

HINSTANCE appInstance = nullptr;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    appInstance = instance;
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
    }

    // The interactive program is not here yet.
    CoUninitialize();
    return 0;
}
