#include "core/review/trimmed_save_job.h"

#include <exception>
#include <stdexcept>

#include "core/review/trimmed_image.h"

namespace tf {

bool TrimmedSaveJob::start(Pixels pixels, int32_t width, int32_t height, const TrimRect& rect,
                           std::filesystem::path capture, Done done, OnWorker onWorker) {
    if (running_.exchange(true, std::memory_order_acq_rel)) return false;
    // The thread before this one has reported already; it only has to end.
    if (worker_.joinable()) worker_.join();
    worker_ = std::thread([this, pixels = std::move(pixels), width, height, rect, capture = std::move(capture),
                           done = std::move(done), onWorker = std::move(onWorker)] {
        TrimmedSaveOutcome outcome;
        const std::function<void()> save = [&] {
            try {
                const uint32_t* whole = pixels();
                if (whole == nullptr) throw std::runtime_error("image incomplete");
                outcome.written = saveTrimmedAsNew(whole, width, height, rect, capture);
            } catch (const std::exception& e) {
                outcome.written.clear();
                outcome.failure = e.what();
            }
        };
        if (onWorker) onWorker(save);
        else save();
        last_ = outcome;
        // Free again before the outcome is told, so the answer may start the next save.
        running_.store(false, std::memory_order_release);
        done(std::move(outcome));
    });
    return true;
}

void TrimmedSaveJob::wait() {
    if (worker_.joinable()) worker_.join();
}

}  // namespace tf
