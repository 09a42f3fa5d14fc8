#pragma once
// The long image written without ever being held whole: its rows are put
// together block by block from the frames as the PNG encoder asks for them,
// and each frame is let go as soon as the last row it gives is written.

#include <filesystem>
#include <memory>
#include <vector>

#include "core/image/png_codec.h"
#include "core/image/png_parts.h"
#include "core/stitch/composer.h"
#include "ground/scroll_direction.h"

namespace tf {

// The planned image's rows from `frames`, which it empties one by one as the
// rows pass the last one each frame gives (frames nothing shows at once).
class ComposedRows : public PngRowSource {
public:
    ComposedRows(std::vector<PixelImage>& frames, const CompositionPlan& plan);
    const uint32_t* rows(int32_t firstRow, int32_t count) override;

private:
    void releaseFramesDoneBy(int64_t row);

    std::vector<PixelImage>& frames_;
    const CompositionPlan& plan_;
    std::vector<uint32_t> block_;
};

// The planned image turned back on its side, for frames that were turned
// downward (a capture scrolled to the right): row r of the file is column r of
// the plan's image. Every row of the file needs every frame, so the frames are
// let go together, once the last row has been handed out. A part of the
// file, columns [planFirst, planFirst + planCount) of it, is the plan's rows
// of that range; its source leaves the frames to the caller.
class ComposedColumns : public PngRowSource {
public:
    ComposedColumns(std::vector<PixelImage>& frames, const CompositionPlan& plan);
    ComposedColumns(std::vector<PixelImage>& frames, const CompositionPlan& plan, int32_t planFirst, int32_t planCount);
    const uint32_t* rows(int32_t firstRow, int32_t count) override;

private:
    std::vector<PixelImage>& frames_;
    const CompositionPlan& plan_;
    int32_t planFirst_ = 0;
    int32_t planCount_ = 0;
    bool releaseWhenDone_ = true;
    std::vector<uint32_t> planRows_;  // a band of the plan's rows
    std::vector<uint32_t> block_;
};

// savePng of the planned image, with the same messages at the same steps,
// written the way round `direction` says (the frames having been turned by
// turnFramesDownward). The frames are released as they are written, also
// when the save fails.
void saveComposedPng(std::vector<PixelImage>& frames, const CompositionPlan& plan, const std::filesystem::path& path,
                     ScrollDirection direction = ScrollDirection::Down);

// The planned image for saveImageAsNew, whole or in parts of the plan's rows
// (columns of the file, sideways). Downward, each frame is let go once the
// rows it gives are written; sideways every part needs every frame, and the
// frames are let go when this object goes, whatever the save did.
class ComposedParts : public ImageParts {
public:
    ComposedParts(std::vector<PixelImage>& frames, const CompositionPlan& plan, ScrollDirection direction);
    ~ComposedParts() override;
    ComposedParts(const ComposedParts&) = delete;
    ComposedParts& operator=(const ComposedParts&) = delete;
    int64_t length() const override { return plan_.height; }
    PngPart part(const PartRange& range) override;

private:
    std::vector<PixelImage>& frames_;
    const CompositionPlan& plan_;
    ScrollDirection direction_;
    std::unique_ptr<ComposedRows> whole_;  // downward: shared by the parts, asked for top to bottom
    std::vector<std::unique_ptr<PngRowSource>> sources_;
};

}  // namespace tf
