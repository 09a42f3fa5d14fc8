#pragma once
// An automatic capture on a thread of its own, so that the GUI thread keeps
// handling messages (the overlay's progress, Esc, a display change) while the
// loop scrolls, waits and grabs. The worker never touches a window of ours:
// it posts its progress and its ending to a message-only relay window, and
// sends it the one call that must run on the GUI thread, ShowCursor, whose
// display count is the calling thread's. The GUI thread owns the relay, joins
// the worker when the ending arrives and only then acts on it.

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

#include "core/capture/capture_controller.h"
#include "core/capture/capture_host.h"
#include "core/stitch/stitch_job.h"
#include "core/settings/ui_language.h"
#include "platform/win32/win32_handles.h"

namespace tf {

// How an automatic capture ended, handed over once its worker has been joined.
struct AutomaticCaptureEnd {
    CaptureOutcome outcome;
    std::optional<CapturedStitch> stitch;  // when it ended well
    CaptureFailure failure;                // when it failed
    // The worker stopped without an ending of the loop's own: it did not
    // start, or it threw (memory ran out).
    bool abandoned = false;
};

// What the GUI thread hears of an automatic capture that runs.
class AutomaticCaptureWatcher {
public:
    virtual void progressChanged(const CaptureProgress& progress) = 0;
    // Every kCaptureProgressMs while it runs: time to show the elapsed time.
    virtual void progressTick() = 0;
    // Once, with the worker joined. The watcher may destroy the capture here.
    virtual void captureEnded(AutomaticCaptureEnd end) = 0;

protected:
    ~AutomaticCaptureWatcher() = default;
};

// The overlay is drawn again this often while an automatic capture runs.
inline constexpr UINT kCaptureProgressMs = 200;

class AutomaticCapture {
public:
    // The watcher and the latch must outlive the capture.
    AutomaticCapture(HINSTANCE instance, AutomaticCaptureWatcher& watcher, FinishLatch& finish);
    // Asks a running worker to finish and waits for it, still answering its
    // calls to the GUI thread.
    ~AutomaticCapture();
    AutomaticCapture(const AutomaticCapture&) = delete;
    AutomaticCapture& operator=(const AutomaticCapture&) = delete;

    // Starts the worker on `request`; false when no relay window or no thread
    // could be made (nothing runs then).
    bool start(const CaptureRequest& request, bool loggingEnabled, UiLanguage language);
    bool running() const { return worker_.joinable(); }

    // What the worker and the GUI thread share: the relay's handle, and
    // whether the worker has posted its last record.
    struct Shared;

private:
    static LRESULT CALLBACK relayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onEnded(LPARAM record);
    void joinWorker();

    HINSTANCE instance_;
    AutomaticCaptureWatcher& watcher_;
    FinishLatch& finish_;
    UniqueWindow relay_;
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

}  // namespace tf
