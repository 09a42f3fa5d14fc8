// Processor time of the manual capture's timer tick on a 1920 × 1080 area.
// While the page stands still the tick runs twenty times a second for as long
// as the person reads, so its own work must stay small next to the grab; a
// tick that judges a moved picture blocks the GUI thread once per rest.

#include <benchmark/benchmark.h>

#include <utility>

#include "core/capture/capture_rules.h"
#include "core/capture/manual_capture.h"
#include "test_support.h"

namespace {

using namespace tf;

const PixelImage& page() {
    static const PixelImage p = test::makeDocumentPage(1920, 1080 + 600, 3);
    return p;
}

// A still screen: every grab hands out the picture prepared for it.
class StillHost : public FinishKeys, public CaptureScreen, public CaptureClock, public CaptureSink {
public:
    PixelImage next;
    uint64_t now = 1000;
    FinishLatch finish;

    operator ManualCaptureHost() { return {{*this, *this, *this, finish}, *this}; }
    uint64_t tickCount() override { return now; }
    uint16_t escapeKeyState() override { return 0; }
    uint16_t enterKeyState() override { return 0; }
    PixelImage grab(const Rect&) override { return std::move(next); }
    std::filesystem::path createLogFolder() override { return {}; }
    void progressChanged(const CaptureProgress&) override {}
    void frameKept(size_t, const PixelImage&) override {}
    std::wstring failureText(const CaptureFailure&) override { return {}; }
    void captureFailed(const CaptureFailure&) override {}
    void captureFinished(TurnedFrames) override {}
};

const CaptureRequest kRequest{Rect{0, 0, 1920, 1080}, true};

// A tick while the page stands still. With `timeGrabCopy` the copy of the
// grabbed pixels into a fresh image, the one pass every real grab makes after
// the screen copy, is measured too; without it only the tick's own work is.
void standingStill(benchmark::State& state, bool timeGrabCopy) {
    const PixelImage picture = test::cropRows(page(), 0, 1080);
    StillHost host;
    host.next = picture;
    ManualCapture capture(host, kRequest);
    capture.start();
    for (auto _ : state) {
        if (!timeGrabCopy) state.PauseTiming();
        host.next = picture;
        host.now += kManualTickMs;
        if (!timeGrabCopy) state.ResumeTiming();
        benchmark::DoNotOptimize(capture.tick());
    }
}
void BM_ManualTickStandingStill(benchmark::State& state) { standingStill(state, false); }
void BM_ManualTickStandingStillWithGrabCopy(benchmark::State& state) { standingStill(state, true); }
BENCHMARK(BM_ManualTickStandingStill)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ManualTickStandingStillWithGrabCopy)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

// The tick that judges a picture moved by a third of the area, after it
// rested: the verdict against the last frame, a pending or kept copy.
void BM_ManualTickJudgingAMovedPicture(benchmark::State& state) {
    const PixelImage first = test::cropRows(page(), 0, 1080);
    const PixelImage moved = test::cropRows(page(), 360, 1080);
    for (auto _ : state) {
        state.PauseTiming();
        StillHost host;
        host.next = first;
        ManualCapture capture(host, kRequest);
        capture.start();
        for (int i = 0; i < 2; ++i) {  // the picture changes, then rests
            host.next = moved;
            host.now += kManualTickMs;
            capture.tick();
        }
        host.next = moved;
        host.now += kManualTickMs;
        state.ResumeTiming();
        benchmark::DoNotOptimize(capture.tick());
        state.PauseTiming();
        if (capture.outcome().verdicts != 1) state.SkipWithError("the moved picture was not judged");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ManualTickJudgingAMovedPicture)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
