// Peak memory of the stitch-and-save worker on a long full-HD capture.
//   build/native-release/bench/stitch_worker_peak --make-frames DIR [count]
//       writes `count` (100) overlapping 1920 x 1080 frames of one synthetic page
//   /usr/bin/time -v build/native-release/bench/stitch_worker_peak DIR OUTDIR
//       loads them one by one into a job, runs the worker and prints the
//       resident peak of the worker alone (VmHWM reset after loading) beside
//       the frames' own size; "Maximum resident set size" of time(1) is the
//       whole process, loading included.
//   ... stitch_worker_peak DIR OUTDIR --right
//       the same frames turned on their side and stitched as a capture
//       scrolled to the right (a wide image)
//   ... stitch_worker_peak DIR OUTDIR --stream
//       the frames handed one at a time to the streaming composer, as a
//       capture keeps them; prints the peak from the first frame on and the
//       time from the last frame to the saved file
//   ... stitch_worker_peak DIR OUTDIR --live
//       the frames handed one at a time to a live stitch, which joins them on
//       its own thread while the next is loaded (as a capture grabs it), then
//       saved by the worker; the same two figures

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/diagnostics/offline_stitch.h"
#include "core/image/png_codec.h"
#include "core/stitch/live_stitch.h"
#include "core/stitch/row_store.h"
#include "core/stitch/stitch_worker.h"
#include "core/stitch/stream_composer.h"
#include "core/stitch/streamed_png.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace tf;

namespace {

class BenchHost : public StitchWorkerHost {
public:
    uint64_t tickCount() override {
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now().time_since_epoch())
                                         .count());
    }
    std::wstring timestamp() override { return L"peak"; }
    void storeSavingStage(int32_t) override {}
    void postOverlayRedraw() override {}
};

long statusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size()));
    return -1;
}

// "5" resets the resident peak of the process (Linux 4.0 and later).
bool resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear.flush());
}

int makeFrames(const fs::path& dir, int count) {
    const int32_t w = 1920, h = 1080, step = 600;
    fs::create_directories(dir);
    const PixelImage page = test::makeDocumentPage(w, step * (count - 1) + h, 9);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%04d.png", i);
        savePng(test::cropRows(page, i * step, h), dir / name);
    }
    return 0;
}

double millisecondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

int streamFrames(const fs::path& framesDir, const fs::path& outDir) {
    const std::vector<fs::path> files = listFrameFiles(framesDir);
    malloc_trim(0);
    const bool reset = resetPeak();
    uint64_t frameBytes = 0;
    double addMs = 0;
    FileRowStore rows(outDir);
    StreamComposer composer(rows, [&](size_t i) { return loadPng(files.at(i)); });
    for (const fs::path& f : files) {
        PixelImage frame = loadPng(f);
        frameBytes = frame.byteSize();
        const auto t = std::chrono::steady_clock::now();
        composer.add(std::move(frame));
        addMs += millisecondsSince(t);
    }
    const auto last = std::chrono::steady_clock::now();
    const StreamedImage image = composer.finish();
    const double finishMs = millisecondsSince(last);
    const fs::path saved = saveStreamedPngAsNew(rows, image, outDir, "stream-peak");
    const double readyMs = millisecondsSince(last);
    const long peak = statusKiB("VmHWM:");
    std::printf("frames=%zu image=%dx%d meanAddMs=%.1f finishMs=%.1f readyAfterLastFrameMs=%.1f replayed=%zu\n",
                files.size(), image.width, image.height, addMs / static_cast<double>(files.size()), finishMs, readyMs,
                image.replayedPairs);
    std::printf("streamPeakMiB=%.1f%s peakInFrames=%.2f\n", peak / 1024.0, reset ? "" : " (peak not reset)",
                peak * 1024.0 / static_cast<double>(frameBytes));
    fs::remove(saved);
    return 0;
}

int liveFrames(const fs::path& framesDir, const fs::path& outDir) {
    const std::vector<fs::path> files = listFrameFiles(framesDir);
    malloc_trim(0);
    const bool reset = resetPeak();
    uint64_t frameBytes = 0;
    BenchHost host;
    std::unique_ptr<StitchResult> result;
    double readyMs = 0;
    {
        LiveStitch stitch(outDir);
        for (const fs::path& f : files) {
            PixelImage frame = loadPng(f);
            frameBytes = frame.byteSize();
            stitch.add(std::move(frame));
        }
        const auto last = std::chrono::steady_clock::now();
        result = runLiveStitchAndSave(stitch, ScrollDirection::Down, outDir.wstring(), 0, host);
        readyMs = millisecondsSince(last);
    }
    const long peak = statusKiB("VmHWM:");
    std::printf("frames=%zu succeeded=%d image=%lldx%lld finishMs=%llu saveMs=%llu readyAfterLastFrameMs=%.1f\n",
                files.size(), result->succeeded ? 1 : 0, static_cast<long long>(result->imageWidth),
                static_cast<long long>(result->imageHeight), static_cast<unsigned long long>(result->stitchMs),
                static_cast<unsigned long long>(result->saveMs), readyMs);
    std::printf("livePeakMiB=%.1f%s peakInFrames=%.2f\n", peak / 1024.0, reset ? "" : " (peak not reset)",
                peak * 1024.0 / static_cast<double>(frameBytes));
    if (result->succeeded) fs::remove(result->savedPath);
    return result->succeeded ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--make-frames") return makeFrames(argv[2], argc > 3 ? std::stoi(argv[3]) : 100);
    if (argc == 4 && std::string(argv[3]) == "--stream") return streamFrames(argv[1], argv[2]);
    if (argc == 4 && std::string(argv[3]) == "--live") return liveFrames(argv[1], argv[2]);
    const bool sideways = argc == 4 && std::string(argv[3]) == "--right";
    if (argc != 3 && !sideways) {
        std::fprintf(stderr, "usage: %s --make-frames DIR [count] | %s FRAMES_DIR OUTPUT_DIR [--right]\n", argv[0],
                     argv[0]);
        return 2;
    }
    StitchJob job;
    uint64_t frameBytes = 0;
    std::vector<PixelImage> grabbed;
    for (const fs::path& f : listFrameFiles(argv[1])) {
        grabbed.push_back(sideways ? transposed(loadPng(f)) : loadPng(f));
        frameBytes += grabbed.back().byteSize();
    }
    job.frames = TurnedFrames::turn(std::move(grabbed), sideways ? ScrollDirection::Right : ScrollDirection::Down);
    job.outputFolder = fs::path(argv[2]).wstring();
    malloc_trim(0);
    const bool reset = resetPeak();
    const long before = statusKiB("VmRSS:");
    BenchHost host;
    const auto result = runStitchAndSave(job, host);
    const long peak = statusKiB("VmHWM:");
    std::printf("frames=%zu frameMiB=%.1f succeeded=%d image=%lldx%lld stitchMs=%llu saveMs=%llu\n",
                static_cast<size_t>(result->frameCount), frameBytes / 1048576.0, result->succeeded ? 1 : 0,
                static_cast<long long>(result->imageWidth), static_cast<long long>(result->imageHeight),
                static_cast<unsigned long long>(result->stitchMs), static_cast<unsigned long long>(result->saveMs));
    std::printf("rssBeforeWorkerMiB=%.1f workerPeakMiB=%.1f%s peakOverFrames=%.3f\n", before / 1024.0, peak / 1024.0,
                reset ? "" : " (peak not reset: whole process)", peak * 1024.0 / static_cast<double>(frameBytes));
    if (result->succeeded) fs::remove(result->savedPath);
    return result->succeeded ? 0 : 1;
}
