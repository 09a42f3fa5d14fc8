#include "stitch/stitch_worker.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "image/png_codec.h"
#include "stitch/composer.h"

namespace fs = std::filesystem;

namespace tf {

std::unique_ptr<StitchResult> runStitchAndSave(StitchJob& job, StitchWorkerHost& host) {
    auto result = std::make_unique<StitchResult>();
    result->frameCount = static_cast<uint32_t>(job.frames.size());
    try {
        const uint64_t t0 = host.tickCount();
        PixelImage image = composeFrames(job.frames);
        result->stitchMs = host.tickCount() - t0;
        result->imageWidth = image.width;
        result->imageHeight = image.height;

        host.storeSavingStage(1);
        host.postOverlayRedraw();

        // Only the composed image is held from here on: peak memory stays at
        // frames + canvas while composing and the image alone while writing.
        job.frames.clear();
        job.frames.shrink_to_fit();

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
        result->savedPath = savePngAsNew(image, folder, stem).wstring();
        result->saveMs = host.tickCount() - t1;
        result->succeeded = true;
    } catch (const std::exception&) {
        // The main window shows its own fixed message; the text is not passed on.
        result->succeeded = false;
    }
    return result;
}

}  // namespace tf
