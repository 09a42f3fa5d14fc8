#include "core/stitch/stitch_worker.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "core/image/png_parts.h"
#include "core/stitch/composed_png.h"
#include "core/stitch/composer.h"
#include "core/stitch/orientation.h"

namespace fs = std::filesystem;

namespace tf {

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

        host.storeSavingStage(1);
        host.postOverlayRedraw();

        const fs::path folder(job.outputFolder);
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (ec) throw fs::filesystem_error("create_directories", folder, ec);

        // The name the file gets unless a file of that name exists already; a
        // capture never replaces one (two captures may end in the same second).
        const fs::path stem = L"tallyframe-" + host.timestamp();
        result->savedPath = (folder / stem).wstring() + L".png";

        host.storeSavingStage(2);
        host.postOverlayRedraw();

        const uint64_t t1 = host.tickCount();
        // Releases each frame once its rows are written: the peak is the
        // frames themselves plus a block of rows (sideways, all frames are
        // needed until the last row, then let go together).
        if (partRanges(plan.height, job.splitLength).size() > 1) {
            for (const fs::path& part : saveComposedPngPartsAsNew(frames, plan, folder, stem, direction, job.splitLength))
                result->partPaths.push_back(part.wstring());
            result->savedPath = result->partPaths.front();
            result->splitLength = job.splitLength;
        } else {
            result->savedPath = saveComposedPngAsNew(frames, plan, folder, stem, direction).wstring();
        }
        result->saveMs = host.tickCount() - t1;
        result->succeeded = true;
    } catch (const std::exception&) {
        // The main window shows its own fixed message; the text is not passed on.
        result->succeeded = false;
    }
    // Whatever happened, the frames are of no further use.
    frames.clear();
    frames.shrink_to_fit();
    return result;
}

}  // namespace tf
