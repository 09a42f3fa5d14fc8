#include "shell/capture/automatic_capture_win32.h"

#include <exception>
#include <system_error>
#include <utility>

#include "core/app/control_ids.h"
#include "core/texts/capture_messages.h"
#include "shell/capture/system_capture_win32.h"

namespace tf {

struct AutomaticCapture::Shared {
    HWND relay = nullptr;
    std::atomic<bool> done{false};  // the worker has posted its ending and only returns now
};

namespace {

constexpr wchar_t kRelayClass[] = L"TallyframeCaptureRelay";
// The relay's own messages; it is nobody else's window.
constexpr UINT kProgressMessage = WM_APP + 1;    // lParam: a heap CaptureProgress
constexpr UINT kEndedMessage = WM_APP + 2;       // lParam: a heap AutomaticCaptureEnd
constexpr UINT kShowCursorMessage = WM_APP + 3;  // sent; wParam: show; the new display count
constexpr UINT_PTR kProgressTimer = static_cast<UINT_PTR>(TimerId::CaptureProgress);

// The record belongs to the relay once the post succeeded, else it is freed here.
template <typename Record>
void post(HWND relay, UINT message, std::unique_ptr<Record> record) {
    if (PostMessageW(relay, message, 0, reinterpret_cast<LPARAM>(record.get()))) record.release();
}

// The pointer as the worker moves it. GetCursorInfo and SetCursorPos act on
// the desktop; ShowCursor counts for the calling thread, and the GUI thread's
// count is the one that hides the pointer over our windows and the page.
class RelayedPointer final : public CapturePointer {
public:
    RelayedPointer(HWND relay, SystemCapture& system) : relay_(relay), system_(system) {}
    bool cursorShowing() override { return system_.cursorShowing(); }
    int32_t showCursor(bool show) override {
        return static_cast<int32_t>(SendMessageW(relay_, kShowCursorMessage, show ? 1 : 0, 0));
    }
    void setCursorPos(int32_t x, int32_t y) override { system_.setCursorPos(x, y); }

private:
    HWND relay_;
    SystemCapture& system_;
};

// The worker's results: the progress is posted as it changes, the ending is
// kept for the post that follows the loop's return.
class PostingSink final : public CaptureSink {
public:
    PostingSink(HWND relay, UiLanguage language, AutomaticCaptureEnd& end)
        : relay_(relay), language_(language), end_(end), feed_(liveStitchFolder()) {}
    void progressChanged(const CaptureProgress& progress) override {
        post(relay_, kProgressMessage, std::make_unique<CaptureProgress>(progress));
    }
    // Only the frames handed on matter: they are joined as they come.
    void frameKept(size_t, const PixelImage&) override {}
    void frameHandedOn(PixelImage frame) override { feed_.add(std::move(frame)); }
    std::wstring failureText(const CaptureFailure& failure) override { return captureFailureText(failure, language_); }
    void captureFailed(const CaptureFailure& failure) override {
        feed_.take();  // its temporary files go now
        end_.failure = failure;
    }
    void captureFinished(ScrollDirection direction) override { end_.stitch = CapturedStitch{feed_.take(), direction}; }

private:
    HWND relay_;
    UiLanguage language_;
    AutomaticCaptureEnd& end_;
    LiveStitchFeed feed_;
};

void runWorker(std::shared_ptr<AutomaticCapture::Shared> shared, CaptureRequest request, bool loggingEnabled,
               UiLanguage language, FinishLatch& finish, std::unique_ptr<AutomaticCaptureEnd> end) {
    // The frame dumps of a logged capture are written with WIC, here.
    const ComApartment com(COINIT_MULTITHREADED);
    try {
        SystemCapture system(loggingEnabled, request.direction);
        RelayedPointer pointer(shared->relay, system);
        PostingSink sink(shared->relay, language, *end);
        end->outcome = runCapture({{system, system, sink, finish}, pointer, system, system}, request);
        end->abandoned = !end->stitch && !end->failure.failed();
    } catch (const std::exception&) {
        // Made before the loop ran, so that running out of memory still ends it.
        end->stitch.reset();
        end->abandoned = true;
    }
    post(shared->relay, kEndedMessage, std::move(end));
    shared->done.store(true);
}

}  // namespace

AutomaticCapture::AutomaticCapture(HINSTANCE instance, AutomaticCaptureWatcher& watcher, FinishLatch& finish)
    : instance_(instance), watcher_(watcher), finish_(finish), shared_(std::make_shared<Shared>()) {}

bool AutomaticCapture::start(const CaptureRequest& request, bool loggingEnabled, UiLanguage language) {
    if (running()) return false;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = relayProc;
    wc.hInstance = instance_;
    wc.lpszClassName = kRelayClass;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    relay_.reset(CreateWindowExW(0, kRelayClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, nullptr));
    if (!relay_) return false;
    SetWindowLongPtrW(relay_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    shared_->relay = relay_.get();
    try {
        worker_ = std::thread(runWorker, shared_, request, loggingEnabled, language, std::ref(finish_),
                              std::make_unique<AutomaticCaptureEnd>());
    } catch (const std::exception&) {
        return false;
    }
    SetTimer(relay_.get(), kProgressTimer, kCaptureProgressMs, nullptr);
    return true;
}

AutomaticCapture::~AutomaticCapture() {
    if (worker_.joinable()) {
        finish_.request();
        // The worker may be waiting for the GUI thread to show the pointer
        // again: answer its sent messages until it is done.
        while (!shared_->done.load()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
            MSG m;
            PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        worker_.join();
    }
    if (!relay_) return;
    SetWindowLongPtrW(relay_.get(), GWLP_USERDATA, 0);
    KillTimer(relay_.get(), kProgressTimer);
    // Records posted that nobody will read.
    MSG m;
    while (PeekMessageW(&m, relay_.get(), kProgressMessage, kEndedMessage, PM_REMOVE)) {
        if (m.message == kProgressMessage) delete reinterpret_cast<CaptureProgress*>(m.lParam);
        if (m.message == kEndedMessage) delete reinterpret_cast<AutomaticCaptureEnd*>(m.lParam);
    }
}

void AutomaticCapture::joinWorker() {
    if (worker_.joinable()) worker_.join();
}

// The worker has posted its last record and only returns now.
void AutomaticCapture::onEnded(LPARAM record) {
    std::unique_ptr<AutomaticCaptureEnd> end(reinterpret_cast<AutomaticCaptureEnd*>(record));
    joinWorker();
    KillTimer(relay_.get(), kProgressTimer);
    // Last: the watcher may destroy this capture, and the relay with it.
    watcher_.captureEnded(std::move(*end));
}

LRESULT CALLBACK AutomaticCapture::relayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<AutomaticCapture*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case kShowCursorMessage: return ShowCursor(wParam != 0 ? TRUE : FALSE);
        case kProgressMessage: {
            const std::unique_ptr<CaptureProgress> progress(reinterpret_cast<CaptureProgress*>(lParam));
            self->watcher_.progressChanged(*progress);
            return 0;
        }
        case kEndedMessage: self->onEnded(lParam); return 0;
        case WM_TIMER:
            if (wParam != kProgressTimer) break;
            self->watcher_.progressTick();
            return 0;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tf
