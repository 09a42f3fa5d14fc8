#include "core/stitch/stitch_worker.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "core/image/png_parts.h"
#include "core/stitch/composed_png.h"
#include "core/stitch/composer.h"
#include "core/stitch/orientation.h"
#include "core/stitch/streamed_png.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

// The folder made, and the name the file gets unless a file of that name
// exists already; a capture never replaces one (two captures may end in the
// same second).
fs::path prepareOutput(const fs::path& folder, StitchWorkerHost& host, StitchResult& result) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw fs::filesystem_error("create_directories", folder, ec);
    const fs::path stem = L"tallyframe-" + host.timestamp();
    result.savedPath = (folder / stem).wstring() + L".png";
    return stem;
}

void announceStage(StitchWorkerHost& host, int32_t stage) {
    host.storeSavingStage(stage);
    host.postOverlayRedraw();
}

// Both stitches name and write their output here, so that a capture is saved
// the same whichever way it was joined: one file, or every part or none.
void writeOutput(ImageParts& image, const fs::path& folder, const fs::path& stem, int32_t splitLength,
                 StitchWorkerHost& host, StitchResult& result) {
    const uint64_t t1 = host.tickCount();
    const SavedImage saved = saveImageAsNew(image, folder, stem, splitLength);
    for (const fs::path& part : saved.parts) result.partPaths.push_back(part.wstring());
    if (!saved.parts.empty()) result.splitLength = splitLength;
    result.savedPath = saved.path.wstring();
    result.saveMs = host.tickCount() - t1;
    result.succeeded = true;
}

}  // namespace

std::unique_ptr<StitchResult> runStitchAndSave(StitchJob& job, StitchWorkerHost& host) {
    auto result = std::make_unique<StitchResult>();
    std::vector<PixelImage>& frames = job.frames.frames();
    const ScrollDirection direction = job.frames.direction();
    result->frameCount = static_cast<uint32_t>(frames.size());
    try {
        // Composing decides where every row comes from; the pixels move only
        // while the file is written, so the long image is never held whole.
        const uint64_t t0 = host.tickCount();
        const CompositionPlan plan = planComposition(frames);
        result->stitchMs = host.tickCount() - t0;
        const ComposedSize size = composedSize(plan, direction);
        result->imageWidth = size.width;
        result->imageHeight = size.height;
        result->direction = direction;
        result->seams = plan.joins;

        announceStage(host, 1);
        const fs::path folder(job.outputFolder);
        const fs::path stem = prepareOutput(folder, host, *result);
        announceStage(host, 2);

        // Releases each frame once its rows are written: the peak is the
        // frames themselves plus a block of rows (sideways, all frames are
        // needed until the last row, then let go together).
        ComposedParts image(frames, plan, direction);
        writeOutput(image, folder, stem, job.splitLength, host, *result);
    } catch (const std::exception&) {
        // The main window shows its own fixed message; the text is not passed on.
        result->succeeded = false;
    }
    // Whatever happened, the frames are of no further use.
    frames.clear();
    frames.shrink_to_fit();
    return result;
}

std::unique_ptr<StitchResult> runLiveStitchAndSave(LiveStitch& stitch, ScrollDirection direction,
                                                   const std::wstring& outputFolder, int32_t splitLength,
                                                   StitchWorkerHost& host) {
    auto result = std::make_unique<StitchResult>();
    result->frameCount = static_cast<uint32_t>(stitch.framesAdded());
    result->direction = direction;
    try {
        // Only what the capture had not joined yet, and the panels' decision.
        const uint64_t t0 = host.tickCount();
        const StreamedImage image = stitch.finish();
        result->stitchMs = host.tickCount() - t0;
        const StreamedSize size = streamedSize(image, direction);
        result->imageWidth = size.width;
        result->imageHeight = size.height;
        result->seams = image.joins;

        announceStage(host, 1);
        const fs::path folder(outputFolder);
        const fs::path stem = prepareOutput(folder, host, *result);
        announceStage(host, 2);

        StreamedParts parts(stitch.rows(), image, direction);
        writeOutput(parts, folder, stem, splitLength, host, *result);
    } catch (const std::exception&) {
        result->succeeded = false;
    }
    return result;
}

}  // namespace tf
