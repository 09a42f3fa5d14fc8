#include "core/stitch/composed_png.h"

#include <algorithm>

namespace tf {

ComposedRows::ComposedRows(std::vector<PixelImage>& frames, const CompositionPlan& plan)
    : frames_(frames), plan_(plan) {
    releaseFramesDoneBy(0);
}

void ComposedRows::releaseFramesDoneBy(int64_t row) {
    for (size_t i = 0; i < frames_.size() && i < plan_.neededUntil.size(); ++i)
        if (plan_.neededUntil[i] <= row && !frames_[i].pixels.empty()) frames_[i] = PixelImage{};
}

const uint32_t* ComposedRows::rows(int32_t firstRow, int32_t count) {
    const size_t w = static_cast<size_t>(std::max(plan_.width, 0));
    block_.resize(w * static_cast<size_t>(std::max(count, 0)));
    composeRows(frames_, plan_, firstRow, count, block_.data());
    // The encoder asks for every row once, top to bottom: rows above the
    // block's end are never asked for again.
    releaseFramesDoneBy(static_cast<int64_t>(firstRow) + count);
    return block_.data();
}

void saveComposedPng(std::vector<PixelImage>& frames, const CompositionPlan& plan, const std::filesystem::path& path) {
    ComposedRows rows(frames, plan);
    savePng(plan.width, plan.height, rows, path);
}

std::filesystem::path saveComposedPngAsNew(std::vector<PixelImage>& frames, const CompositionPlan& plan,
                                           const std::filesystem::path& folder, const std::filesystem::path& stem) {
    ComposedRows rows(frames, plan);
    return savePngAsNew(plan.width, plan.height, rows, folder, stem);
}

}  // namespace tf
