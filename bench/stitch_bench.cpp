// Speed of the stitching core: one matcher call on consecutive frames of common
// capture sizes, and composing plus writing a 30-frame full-HD capture.
//   cmake --preset native-release && cmake --build build/native-release
//   build/native-release/bench/stitch_bench

#include <benchmark/benchmark.h>

#include <filesystem>

#include "core/image/png_codec.h"
#include "core/stitch/composed_png.h"
#include "core/stitch/composer.h"
#include "core/stitch/orientation.h"
#include "reference_matcher.h"
#include "core/stitch/matcher_internal.h"
#include "test_support.h"

namespace {

using namespace tf;

void BM_MatchFrames(benchmark::State& state) {
    const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
    const PixelImage page = test::makeDocumentPage(w, h * 3, 5);
    const PixelImage a = test::cropRows(page, 0, h), b = test::cropRows(page, h * 45 / 100, h);
    for (auto _ : state) {
        MatchResult r = matchFrames(a, b, 0, kPriorTolerance);
        benchmark::DoNotOptimize(r);
        if (!r.matched) state.SkipWithError("frames did not match");
    }
}
BENCHMARK(BM_MatchFrames)->Args({640, 520})->Args({1280, 800})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// The plain scalar matcher on the same pairs: the yardstick of the one above.
void BM_ReferenceMatchFrames(benchmark::State& state) {
    const int32_t w = static_cast<int32_t>(state.range(0)), h = static_cast<int32_t>(state.range(1));
    const PixelImage page = test::makeDocumentPage(w, h * 3, 5);
    const PixelImage a = test::cropRows(page, 0, h), b = test::cropRows(page, h * 45 / 100, h);
    for (auto _ : state) {
        MatchResult r = reference::matchFrames(a, b, 0, kPriorTolerance);
        benchmark::DoNotOptimize(r);
        if (!r.matched) state.SkipWithError("frames did not match");
    }
}
BENCHMARK(BM_ReferenceMatchFrames)->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// The 30-frame full-HD capture: one page scrolled by 600 rows per frame.
std::vector<PixelImage> fullHdCapture() {
    const int32_t w = 1920, h = 1080, step = 600, n = 30;
    const PixelImage page = test::makeDocumentPage(w, step * (n - 1) + h, 9);
    std::vector<PixelImage> frames;
    for (int32_t i = 0; i < n; ++i) frames.push_back(test::cropRows(page, i * step, h));
    return frames;
}

void BM_ComposeAndSave30FullHdFrames(benchmark::State& state) {
    const std::vector<PixelImage> frames = fullHdCapture();
    const auto path = std::filesystem::temp_directory_path() / "tallyframe-bench.png";
    for (auto _ : state) {
        PixelImage out = composeFrames(frames);
        savePng(out, path);
        benchmark::DoNotOptimize(out.pixels.data());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_ComposeAndSave30FullHdFrames)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// What the stitch-and-save worker does: plan, then write the rows straight
// from the frames (which the writing releases, so each round gets a copy).
void BM_PlanAndStream30FullHdFrames(benchmark::State& state) {
    const std::vector<PixelImage> frames = fullHdCapture();
    const auto path = std::filesystem::temp_directory_path() / "tallyframe-bench-stream.png";
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<PixelImage> copy = frames;
        state.ResumeTiming();
        const CompositionPlan plan = planComposition(copy);
        saveComposedPng(copy, plan, path);
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_PlanAndStream30FullHdFrames)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The pairs matched one after the other (0) or with the next pair guessed on a second thread (1).
void BM_MatchFramePairs30FullHd(benchmark::State& state) {
    const std::vector<PixelImage> frames = fullHdCapture();
    for (auto _ : state)
        matchFramePairs(frames, SidePanels{}, {}, state.range(0) != 0,
                        [](size_t, const PairJoin& join) { benchmark::DoNotOptimize(join.result); });
}
BENCHMARK(BM_MatchFramePairs30FullHd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// The parts of the above, to see where its time goes.
void BM_Compose30FullHdFrames(benchmark::State& state) {
    const std::vector<PixelImage> frames = fullHdCapture();
    for (auto _ : state) {
        PixelImage out = composeFrames(frames);
        benchmark::DoNotOptimize(out.pixels.data());
    }
}
BENCHMARK(BM_Compose30FullHdFrames)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_Match29FullHdPairsInOrder(benchmark::State& state) {
    const std::vector<PixelImage> frames = fullHdCapture();
    for (auto _ : state) {
        int32_t expected = 0;
        for (size_t i = 1; i < frames.size(); ++i) {
            const MatchResult r = matchFrames(frames[i - 1], frames[i], expected, kPriorTolerance);
            expected = r.overlap;
            benchmark::DoNotOptimize(r);
        }
    }
}
BENCHMARK(BM_Match29FullHdPairsInOrder)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_RowProfiles30FullHdFrames(benchmark::State& state) {
    const std::vector<PixelImage> frames = fullHdCapture();
    for (auto _ : state)
        for (const PixelImage& f : frames) {
            auto p = matcher_detail::computeRowProfiles(f, 0, f.width);
            benchmark::DoNotOptimize(p.ink.data());
        }
}
BENCHMARK(BM_RowProfiles30FullHdFrames)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_DetectPanels30FullHdFrames(benchmark::State& state) {
    const std::vector<PixelImage> frames = fullHdCapture();
    for (auto _ : state) benchmark::DoNotOptimize(detectCapturePanels(frames));
}
BENCHMARK(BM_DetectPanels30FullHdFrames)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_SaveComposed30FullHdFrames(benchmark::State& state) {
    const PixelImage image = composeFrames(fullHdCapture());
    const auto path = std::filesystem::temp_directory_path() / "tallyframe-bench-save.png";
    for (auto _ : state) savePng(image, path);
    state.counters["fileMiB"] = static_cast<double>(std::filesystem::file_size(path)) / 1048576.0;
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveComposed30FullHdFrames)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Turning one full-HD frame on its side: what a sideways capture pays per frame
// before the matcher and the composer see it.
void BM_TransposeFullHdFrame(benchmark::State& state) {
    const PixelImage frame = test::makeDocumentPage(1920, 1080, 4);
    for (auto _ : state) {
        PixelImage out = transposed(frame);
        benchmark::DoNotOptimize(out.pixels.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(frame.byteSize()));
}
BENCHMARK(BM_TransposeFullHdFrame)->Unit(benchmark::kMillisecond);

// The 30-frame capture grabbed while scrolling to the right: the frames of
// fullHdCapture turned on their side (1080 wide, 1920 tall, moving left).
std::vector<PixelImage> sidewaysFullHdCapture() {
    std::vector<PixelImage> frames = fullHdCapture();
    turnFramesDownward(frames, ScrollDirection::Right);
    return frames;
}

// Beside BM_Match29FullHdPairsInOrder: turning each frame, then the same matching.
void BM_TurnAndMatch29FullHdPairsSideways(benchmark::State& state) {
    const std::vector<PixelImage> frames = sidewaysFullHdCapture();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<PixelImage> turned = frames;
        state.ResumeTiming();
        turnFramesDownward(turned, ScrollDirection::Right);
        int32_t expected = 0;
        for (size_t i = 1; i < turned.size(); ++i) {
            const MatchResult r = matchFrames(turned[i - 1], turned[i], expected, kPriorTolerance);
            expected = r.overlap;
            benchmark::DoNotOptimize(r);
        }
    }
}
BENCHMARK(BM_TurnAndMatch29FullHdPairsSideways)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Beside BM_PlanAndStream30FullHdFrames: what the worker does with the
// sideways capture (turn, plan, write the wide image turned back).
void BM_PlanAndStream30FullHdFramesSideways(benchmark::State& state) {
    const std::vector<PixelImage> frames = sidewaysFullHdCapture();
    const auto path = std::filesystem::temp_directory_path() / "tallyframe-bench-sideways.png";
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<PixelImage> copy = frames;
        state.ResumeTiming();
        turnFramesDownward(copy, ScrollDirection::Right);
        const CompositionPlan plan = planComposition(copy);
        saveComposedPng(copy, plan, path, ScrollDirection::Right);
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_PlanAndStream30FullHdFramesSideways)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
