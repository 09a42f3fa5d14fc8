#pragma once
// The stitch of a capture while it runs: each kept frame is joined as it
// arrives, on a thread of its own, so that a long capture holds a few frames
// and the rows still being decided rather than every frame until the end.
// The rows that are final wait in a temporary file, and so does every frame,
// because the side panels are decided only at the end and a wrong guess means
// joining the frames once more from the start.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "core/image/atomic_file.h"
#include "core/stitch/row_store.h"
#include "core/stitch/stream_composer.h"
#include "ground/pixel_image.h"
#include "ground/text_log.h"

namespace tf {

inline constexpr const char* kFrameSpillFailed = "temporary frames failed";

// Frames written to a temporary file in `folder` and read back by their
// index; the file goes with the spill. Throws runtime_error kFrameSpillFailed
// when the folder takes no file or the disk is full.
class FrameSpill {
public:
    explicit FrameSpill(const std::filesystem::path& folder);
    void append(const PixelImage& frame);
    PixelImage read(size_t index);
    size_t size() const { return entries_.size(); }

private:
    struct Entry {
        uint64_t offset = 0;
        int32_t width = 0, height = 0;
    };
    AtomicFile file_;
    std::vector<Entry> entries_;
    uint64_t end_ = 0;
    bool atEnd_ = true;  // the file position is where the next frame goes
};

// How many frames may wait for the composer before add() waits for it: the
// capture goes on at the composer's pace rather than piling frames up.
inline constexpr size_t kLiveStitchWaitingFrames = 3;

class LiveStitch {
public:
    // The rows and the frames wait in temporary files in `folder`; throws
    // runtime_error (kRowStoreFailed, kFrameSpillFailed) when it takes none.
    explicit LiveStitch(const std::filesystem::path& folder, size_t waitingFrames = kLiveStitchWaitingFrames);
    // Stops the composer without finishing; the temporary files go.
    ~LiveStitch();
    LiveStitch(const LiveStitch&) = delete;
    LiveStitch& operator=(const LiveStitch&) = delete;

    // The next kept frame, already turned so that its content moves up. Waits
    // while `waitingFrames` frames are still to be joined. Once joining or
    // storing has failed, frames are let go at once: finish reports it.
    void add(PixelImage frame);
    size_t framesAdded() const { return added_; }

    // Waits until every frame is joined, then finishes as StreamComposer does
    // (the same log lines, the same refusals), or rethrows what joining or
    // storing a frame threw. Once only.
    StreamedImage finish(const TextLog& log = TextLog());
    // The final rows, to be written out once finish has returned.
    RowStore& rows() { return rows_; }

private:
    void composeArriving();

    FileRowStore rows_;
    FrameSpill spill_;
    StreamComposer composer_;
    size_t waitingFrames_;
    size_t added_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<PixelImage> waiting_;  // guarded by mutex_, as the two below
    bool noMoreFrames_ = false;
    std::exception_ptr failure_;
    std::thread composer_thread_;
};

// The frames a capture hands on, joined as they come by a LiveStitch made in
// `folder` at the first of them, so that a capture ended before it handed any
// on leaves no temporary file.
class LiveStitchFeed {
public:
    explicit LiveStitchFeed(std::filesystem::path folder) : folder_(std::move(folder)) {}
    void add(PixelImage frame);
    // The stitch fed so far; null when no frame came, or the folder took no
    // temporary file: there is nothing to save then. Once.
    std::unique_ptr<LiveStitch> take() { return std::move(stitch_); }

private:
    std::filesystem::path folder_;
    bool tried_ = false;
    std::unique_ptr<LiveStitch> stitch_;
};

// Where a capture's stitch keeps its temporary files: the system's folder for
// them, on a local disk and out of the person's sight, rather than the output
// folder, which may be a slow share or a stick and need not exist yet. Empty
// when the system names none.
std::filesystem::path liveStitchFolder();

}  // namespace tf
