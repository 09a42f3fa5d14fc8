#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>

#include "core/image/png_codec.h"
#include "core/review/trimmed_save_job.h"
#include "test_support.h"

#ifdef _WIN32
#include "platform/win32/win32_handles.h"
#endif

namespace fs = std::filesystem;

namespace tf {
namespace {

using test::ScratchDir;

// What the encoder needs on a thread of its own, as the window gives it: COM on Windows.
void onWorker(const std::function<void()>& save) {
#ifdef _WIN32
    const ComApartment com(COINIT_MULTITHREADED);
#endif
    save();
}

// The outcomes a job reports, waited for as its window would receive them.
class Outcomes {
public:
    TrimmedSaveJob::Done sink() {
        return [this](TrimmedSaveOutcome o) {
            const std::lock_guard<std::mutex> lock(mutex_);
            got_.push_back(std::move(o));
            cv_.notify_all();
        };
    }
    TrimmedSaveOutcome next() {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait(lock, [&] { return !got_.empty(); });
        TrimmedSaveOutcome o = std::move(got_.front());
        got_.erase(got_.begin());
        return o;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<TrimmedSaveOutcome> got_;
};

TEST(TrimmedSaveJob, WritesTheKeptPartOnItsOwnThreadAndReportsThePath) {
    ScratchDir dir;
    const PixelImage page = test::makeDocumentPage(120, 500);
    const fs::path capture = dir / "tallyframe-1.png";
    savePng(page, capture);
    TrimmedSaveJob job;
    Outcomes outcomes;
    const TrimRect rect{.top = 300, .bottom = 450, .left = 10, .right = 110};
    ASSERT_TRUE(job.start([&] { return page.pixels.data(); }, page.width, page.height, rect, capture, outcomes.sink(), onWorker));
    const TrimmedSaveOutcome o = outcomes.next();
    EXPECT_EQ(o.written, dir / "tallyframe-1-trimmed.png");
    EXPECT_TRUE(o.failure.empty());
    PixelImage expected(100, 150);
    for (int32_t y = 0; y < 150; ++y)
        for (int32_t x = 0; x < 100; ++x) expected.at(x, y) = page.at(10 + x, 300 + y);
    EXPECT_TRUE(test::imagesEqual(expected, loadPng(o.written)));
    EXPECT_TRUE(test::imagesEqual(page, loadPng(capture)));
}

TEST(TrimmedSaveJob, ASecondSaveIsRefusedWhileTheFirstRuns) {
    ScratchDir dir;
    const PixelImage page = test::makeDocumentPage(60, 80);
    const fs::path capture = dir / "c.png";
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    TrimmedSaveJob job;
    Outcomes outcomes;
    const TrimRect whole{.top = 0, .bottom = 80, .left = 0, .right = 60};
    // The first save waits for its pixels, as it does while the image still decodes.
    ASSERT_TRUE(job.start([&] { released.wait(); return page.pixels.data(); }, 60, 80, whole, capture, outcomes.sink(), onWorker));
    EXPECT_TRUE(job.running());
    EXPECT_FALSE(job.start([&] { return page.pixels.data(); }, 60, 80, whole, capture, outcomes.sink(), onWorker));
    release.set_value();
    EXPECT_EQ(outcomes.next().written, dir / "c-trimmed.png");
    job.wait();
    EXPECT_FALSE(job.running());
    // Free again once it has reported: the next one is numbered beside the first.
    ASSERT_TRUE(job.start([&] { return page.pixels.data(); }, 60, 80, whole, capture, outcomes.sink(), onWorker));
    EXPECT_EQ(outcomes.next().written, dir / "c-trimmed-2.png");
}

TEST(TrimmedSaveJob, ThePlatformWrapsTheSaveOnTheWorker) {
    ScratchDir dir;
    const PixelImage page = test::makeDocumentPage(30, 30);
    TrimmedSaveJob job;
    Outcomes outcomes;
    std::thread::id wrappedOn;
    bool writtenInside = false;
    const fs::path written = dir / "w-trimmed.png";
    ASSERT_TRUE(job.start([&] { return page.pixels.data(); }, 30, 30, {.top = 0, .bottom = 30, .left = 0, .right = 30},
                          dir / "w.png", outcomes.sink(), [&](const std::function<void()>& save) {
                              wrappedOn = std::this_thread::get_id();
                              onWorker(save);
                              writtenInside = fs::exists(written);
                          }));
    EXPECT_EQ(outcomes.next().written, written);
    job.wait();
    EXPECT_NE(wrappedOn, std::this_thread::get_id());
    EXPECT_TRUE(writtenInside);
}

TEST(TrimmedSaveJob, FailuresAreReportedAndWriteNothing) {
    ScratchDir dir;
    const PixelImage page = test::makeDocumentPage(40, 40);
    const struct {
        const char* name;
        bool pixels;
        TrimRect rect;
        fs::path capture;
    } cases[] = {
        {"the image never completed", false, {.top = 0, .bottom = 40, .left = 0, .right = 40}, dir / "a.png"},
        {"a trim outside the image", true, {.top = 0, .bottom = 40, .left = 0, .right = 41}, dir / "b.png"},
        {"an empty trim", true, {.top = 20, .bottom = 20, .left = 0, .right = 40}, dir / "c.png"},
        {"a folder that does not exist", true, {.top = 0, .bottom = 40, .left = 0, .right = 40}, dir / "missing" / "d.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TrimmedSaveJob job;
        Outcomes outcomes;
        const uint32_t* pixels = c.pixels ? page.pixels.data() : nullptr;
        ASSERT_TRUE(job.start([=] { return pixels; }, 40, 40, c.rect, c.capture, outcomes.sink(), onWorker));
        const TrimmedSaveOutcome o = outcomes.next();
        EXPECT_TRUE(o.written.empty());
        EXPECT_FALSE(o.failure.empty());
    }
    EXPECT_TRUE(test::entriesOf(dir.path()).empty());
}

}  // namespace
}  // namespace tf
