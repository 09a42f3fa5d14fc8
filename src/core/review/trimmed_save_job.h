#pragma once
// The trimmed file written on a thread of its own, so that the review window
// stays responsive while a long capture is encoded. One save at a time: a
// second one is refused while the first runs. The outcome goes back through
// a callback on the worker; the shell posts it to its window.

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "core/review/trim_model.h"

namespace tf {

struct TrimmedSaveOutcome {
    std::filesystem::path written;  // empty when the save failed
    std::string failure;            // the save's own message, for the log
};

class TrimmedSaveJob {
public:
    // Waits until every pixel of the image is there; null when they never will be.
    using Pixels = std::function<const uint32_t*()>;
    using Done = std::function<void(TrimmedSaveOutcome)>;
    // Runs the save on the worker inside what the platform's encoder needs
    // there (COM on Windows); by default it runs it as it is.
    using OnWorker = std::function<void(const std::function<void()>& save)>;

    TrimmedSaveJob() = default;
    ~TrimmedSaveJob() { wait(); }
    TrimmedSaveJob(const TrimmedSaveJob&) = delete;
    TrimmedSaveJob& operator=(const TrimmedSaveJob&) = delete;

    // Writes `rect` of the width × height image beside `capture` as
    // saveTrimmedAsNew does, then calls `done` on the worker. False, and
    // nothing started, while an earlier save still runs.
    bool start(Pixels pixels, int32_t width, int32_t height, const TrimRect& rect, std::filesystem::path capture,
               Done done, OnWorker onWorker = {});
    bool running() const { return running_.load(std::memory_order_acquire); }
    // What the last save came to; read once running() is false again.
    const TrimmedSaveOutcome& lastOutcome() const { return last_; }
    // Blocks until the save under way (if any) has reported.
    void wait();

private:
    std::atomic<bool> running_{false};
    TrimmedSaveOutcome last_;
    std::thread worker_;
};

}  // namespace tf
