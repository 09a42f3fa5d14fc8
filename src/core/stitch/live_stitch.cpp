#include "core/stitch/live_stitch.h"

#include <stdexcept>
#include <system_error>
#include <utility>

namespace tf {
namespace {

[[noreturn]] void spillFailed() { throw std::runtime_error(kFrameSpillFailed); }

}  // namespace

FrameSpill::FrameSpill(const std::filesystem::path& folder) {
    if (!file_.create(folder)) spillFailed();
}

void FrameSpill::append(const PixelImage& frame) {
    uint64_t position = 0;
    if (!atEnd_ && !file_.seek(0, 2, position)) spillFailed();
    atEnd_ = true;
    const uint64_t bytes = frame.byteSize();
    if (bytes > 0 && !file_.write(frame.pixels.data(), static_cast<size_t>(bytes))) spillFailed();
    entries_.push_back({end_, frame.width, frame.height});
    end_ += bytes;
}

PixelImage FrameSpill::read(size_t index) {
    if (index >= entries_.size()) throw std::logic_error("frame not spilled");
    const Entry& e = entries_[index];
    PixelImage frame(e.width, e.height);
    const size_t bytes = static_cast<size_t>(frame.byteSize());
    uint64_t position = 0;
    size_t got = 0;
    atEnd_ = false;
    if (bytes == 0) return frame;
    if (!file_.seek(static_cast<int64_t>(e.offset), 0, position) || !file_.read(frame.pixels.data(), bytes, got) ||
        got != bytes)
        spillFailed();
    return frame;
}

LiveStitch::LiveStitch(const std::filesystem::path& folder, size_t waitingFrames)
    : rows_(folder),
      spill_(folder),
      // Read back only from the composer's own thread, or from finish once
      // that thread has ended: the spill is never used from two at once.
      composer_(rows_, [this](size_t index) { return spill_.read(index); }),
      waitingFrames_(waitingFrames < 1 ? 1 : waitingFrames),
      composer_thread_([this] { composeArriving(); }) {}

LiveStitch::~LiveStitch() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        noMoreFrames_ = true;
        waiting_.clear();
    }
    changed_.notify_all();
    if (composer_thread_.joinable()) composer_thread_.join();
}

void LiveStitch::add(PixelImage frame) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (noMoreFrames_) throw std::logic_error("frame added after finish");
    ++added_;
    changed_.wait(lock, [&] { return failure_ != nullptr || waiting_.size() < waitingFrames_; });
    if (failure_ != nullptr) return;
    waiting_.push_back(std::move(frame));
    lock.unlock();
    changed_.notify_all();
}

void LiveStitch::composeArriving() {
    for (;;) {
        PixelImage frame;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return noMoreFrames_ || !waiting_.empty(); });
            if (waiting_.empty()) return;
            frame = std::move(waiting_.front());
            waiting_.pop_front();
        }
        changed_.notify_all();  // room for the next frame
        try {
            spill_.append(frame);
            composer_.add(std::move(frame));
        } catch (...) {
            std::lock_guard<std::mutex> lock(mutex_);
            failure_ = std::current_exception();
            waiting_.clear();
            changed_.notify_all();
            return;
        }
    }
}

StreamedImage LiveStitch::finish(const TextLog& log) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (noMoreFrames_) throw std::logic_error("finished twice");
        noMoreFrames_ = true;
    }
    changed_.notify_all();
    composer_thread_.join();
    if (failure_ != nullptr) std::rethrow_exception(failure_);
    return composer_.finish(log);
}

void LiveStitchFeed::add(PixelImage frame) {
    if (!tried_) {
        tried_ = true;
        try {
            stitch_ = std::make_unique<LiveStitch>(folder_);
        } catch (const std::exception&) {
            // No stitch: the frames are let go, and take says there is nothing to save.
        }
    }
    if (stitch_) stitch_->add(std::move(frame));
}

std::filesystem::path liveStitchFolder() {
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec) return {};
    return folder;
}

}  // namespace tf
