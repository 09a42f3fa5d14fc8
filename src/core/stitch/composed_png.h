#pragma once
// The long image written without ever being held whole: its rows are put
// together block by block from the frames as the PNG encoder asks for them,
// and each frame is let go as soon as the last row it gives is written.

#include <filesystem>
#include <vector>

#include "core/image/png_codec.h"
#include "core/stitch/composer.h"

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

// savePng and savePngAsNew of the planned image, with the same messages at the
// same steps. The frames are released as they are written, also when the save fails.
void saveComposedPng(std::vector<PixelImage>& frames, const CompositionPlan& plan, const std::filesystem::path& path);
std::filesystem::path saveComposedPngAsNew(std::vector<PixelImage>& frames, const CompositionPlan& plan,
                                           const std::filesystem::path& folder, const std::filesystem::path& stem);

}  // namespace tf
