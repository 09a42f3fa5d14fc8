#include "core/stitch/composed_png.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "core/image/png_parts.h"
#include "core/stitch/orientation.h"

namespace tf {
namespace {

// The plan's rows are put together in bands of this many before their
// columns are turned into the file's rows: large enough that the walk over
// the spans costs nothing, small enough to stay in the cache.
constexpr int32_t kPlanRowBand = 256;

void releaseAll(std::vector<PixelImage>& frames) {
    for (PixelImage& f : frames) f = PixelImage{};
}

// Lets the frames go when a sideways save ends, whether or not it succeeded.
struct FramesReleaser {
    std::vector<PixelImage>& frames;
    ~FramesReleaser() { releaseAll(frames); }
};

}  // namespace

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

ComposedColumns::ComposedColumns(std::vector<PixelImage>& frames, const CompositionPlan& plan)
    : frames_(frames), plan_(plan), planCount_(std::max(plan.height, 0)) {}

ComposedColumns::ComposedColumns(std::vector<PixelImage>& frames, const CompositionPlan& plan, int32_t planFirst,
                                 int32_t planCount)
    : frames_(frames), plan_(plan), planFirst_(planFirst), planCount_(planCount), releaseWhenDone_(false) {
    if (planFirst < 0 || planCount < 0 || static_cast<int64_t>(planFirst) + planCount > plan.height)
        throw std::logic_error("part outside the plan");
}

const uint32_t* ComposedColumns::rows(int32_t firstRow, int32_t count) {
    const size_t planWidth = static_cast<size_t>(std::max(plan_.width, 0));
    const size_t fileWidth = static_cast<size_t>(planCount_);
    if (firstRow < 0 || count < 0 || static_cast<size_t>(firstRow) + static_cast<size_t>(count) > planWidth)
        throw std::logic_error("row outside the plan");
    block_.resize(fileWidth * static_cast<size_t>(count));
    planRows_.resize(planWidth * static_cast<size_t>(std::min<size_t>(kPlanRowBand, fileWidth)));
    for (int32_t band = 0; band < planCount_; band += kPlanRowBand) {
        const int32_t bandRows = std::min(kPlanRowBand, planCount_ - band);
        composeRows(frames_, plan_, planFirst_ + band, bandRows, planRows_.data());
        // Columns [firstRow, firstRow + count) of the band are the file's rows,
        // from column `band` on.
        transposeBlock(planRows_.data() + firstRow, planWidth, block_.data() + band, fileWidth, bandRows, count);
    }
    if (releaseWhenDone_ && static_cast<size_t>(firstRow) + static_cast<size_t>(count) == planWidth)
        releaseAll(frames_);
    return block_.data();
}

namespace {

// Hands `save` the width, height and row source of the file to write.
template <class Save>
auto saveOriented(std::vector<PixelImage>& frames, const CompositionPlan& plan, ScrollDirection direction,
                  Save&& save) {
    if (direction == ScrollDirection::Right) {
        const FramesReleaser releaser{frames};
        ComposedColumns columns(frames, plan);
        const ComposedSize size = composedSize(plan, direction);
        return save(size.width, size.height, columns);
    }
    ComposedRows rows(frames, plan);
    return save(plan.width, plan.height, rows);
}

}  // namespace

void saveComposedPng(std::vector<PixelImage>& frames, const CompositionPlan& plan, const std::filesystem::path& path,
                     ScrollDirection direction) {
    saveOriented(frames, plan, direction,
                 [&](int32_t width, int32_t height, PngRowSource& rows) { savePng(width, height, rows, path); });
}

namespace {

// Rows [first, first + count) of the planned image, asked for from row 0 of
// the part on; the parts are written in order, so the shared source still
// sees every row asked for once, top to bottom.
class PartRows : public PngRowSource {
public:
    PartRows(ComposedRows& whole, int32_t first) : whole_(whole), first_(first) {}
    const uint32_t* rows(int32_t firstRow, int32_t count) override { return whole_.rows(first_ + firstRow, count); }

private:
    ComposedRows& whole_;
    int32_t first_;
};

}  // namespace

ComposedParts::ComposedParts(std::vector<PixelImage>& frames, const CompositionPlan& plan, ScrollDirection direction)
    : frames_(frames), plan_(plan), direction_(direction) {}

ComposedParts::~ComposedParts() {
    sources_.clear();
    whole_.reset();
    releaseAll(frames_);
}

PngPart ComposedParts::part(const PartRange& range) {
    const int32_t first = static_cast<int32_t>(range.first);
    const int32_t count = static_cast<int32_t>(range.count);
    if (direction_ == ScrollDirection::Right) {
        sources_.push_back(std::make_unique<ComposedColumns>(frames_, plan_, first, count));
        return {count, plan_.width, sources_.back().get()};
    }
    if (!whole_) whole_ = std::make_unique<ComposedRows>(frames_, plan_);
    sources_.push_back(std::make_unique<PartRows>(*whole_, first));
    return {plan_.width, count, sources_.back().get()};
}

}  // namespace tf
