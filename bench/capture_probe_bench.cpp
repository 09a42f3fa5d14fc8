// The capture's own work per probe on a 1920 × 1080 rectangle: the opaque
// block copy of a grab, the still-frame tests, the small-shift test and the
// match against the last kept frame. A probe waits 380 ms (300 + 80); this
// work must stay well under a tenth of that.

#include <benchmark/benchmark.h>

#include <vector>

#include "core/capture/capture_rules.h"
#include "core/stitch/matcher.h"
#include "core/stitch/small_shift.h"
#include "test_support.h"

namespace {

using namespace tf;

struct Frames {
    PixelImage last, candidate, settle;
    Frames() {
        const PixelImage page = test::makeDocumentPage(1920, 1080 + 400, 3);
        last = test::cropRows(page, 0, 1080);
        candidate = test::cropRows(page, 360, 1080);
        settle = candidate;
    }
};
const Frames& frames() {
    static const Frames f;
    return f;
}

// The grab's one pass: copy the DIB's block and make every pixel opaque.
void BM_GrabCopy(benchmark::State& state) {
    const PixelImage& src = frames().candidate;
    PixelImage dst(src.width, src.height);
    for (auto _ : state) {
        const uint32_t* s = src.pixels.data();
        uint32_t* d = dst.pixels.data();
        for (size_t i = 0, n = src.pixels.size(); i < n; ++i) d[i] = s[i] | 0xFF000000u;
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_GrabCopy)->Unit(benchmark::kMillisecond);

void BM_ProbeClassification(benchmark::State& state) {
    const Frames& f = frames();
    for (auto _ : state) {
        bool same = framesNearlyIdentical(f.candidate, f.settle);         // settling
        same |= framesNearlyIdentical(f.last, f.candidate);               // still against the last frame
        same |= movedByFewRows(f.last, f.candidate);                      // the last twitch of a page
        const MatchResult r = matchFrames(f.last, f.candidate, 700, 1.5);  // how far it moved
        benchmark::DoNotOptimize(same);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_ProbeClassification)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
