// Process entry of tallyframe.exe.

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/app/command_line.h"
#include "shell/app/application_win32.h"
#include "shell/app/app_window_win32.h"
#include "shell/review/review_alone_win32.h"
#include "core/diagnostics/offline_stitch.h"
#include "core/diagnostics/self_test.h"
#include "platform/win32/win32_handles.h"
#include "ground/utf8.h"
#include "core/image/atomic_file.h"

namespace {

bool usable(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN; }

// A GUI program has no console of its own. The window-less modes speak to the
// standard error they were given (a redirection, a pipe) or else to the
// console of the program that started them, when there is one; attached to
// it, they also receive its Ctrl+C and close events.
class ParentConsole {
public:
    ParentConsole() {
        inherited_ = GetStdHandle(STD_ERROR_HANDLE);
        // Fails when the parent has no console (started from Explorer): then
        // nothing is said anywhere but in the log.
        attached_ = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
        if (usable(inherited_)) return;
        inherited_ = nullptr;
        if (!attached_) return;
        const HANDLE given = GetStdHandle(STD_ERROR_HANDLE);
        if (usable(given)) {
            inherited_ = given;
            return;
        }
        opened_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    }
    ParentConsole(const ParentConsole&) = delete;
    ParentConsole& operator=(const ParentConsole&) = delete;

    void tell(std::string_view line) const {
        const HANDLE out = inherited_ ? inherited_ : opened_.get();
        if (!usable(out)) return;
        std::string text = "tallyframe: ";
        text += line;
        text += "\r\n";
        DWORD mode = 0;
        if (GetConsoleMode(out, &mode)) {
            // A console shows UTF-16 text whatever its code page.
            const std::wstring wide = tf::wideFromUtf8(text);
            DWORD written = 0;
            WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        } else {
            DWORD written = 0;
            WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        }
    }

private:
    HANDLE inherited_ = nullptr;  // not ours to close
    bool attached_ = false;
    tf::UniqueFileHandle opened_;
};

}  // namespace

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
        if (s.mode == tf::ProgramMode::Review) return tf::runReviewAlone(instance, s.imagePath);
        if (s.mode != tf::ProgramMode::Interactive) {
            const ParentConsole console;
            tf::removeTemporaryFilesOnTermination();
            const tf::UserMessages tell = [&console](std::string_view line) { console.tell(line); };
            if (s.mode == tf::ProgramMode::Usage) {
                // One message line per usage line, each with the console's own line end.
                std::string_view usage = tf::usageText();
                for (size_t end; (end = usage.find('\n')) != std::string_view::npos; usage.remove_prefix(end + 1))
                    console.tell(usage.substr(0, end));
                return 1;
            }
            if (s.mode == tf::ProgramMode::Stitch)
                return tf::runOfflineStitch(s.framesFolder, s.outputPath, tell, s.direction);
            return tf::runSelfTest(s.reportPath, tell);
        }
    }

    tf::Application app(instance);
    return tf::runInteractiveProgram(app);
}
