#include "core/review/review_keys.h"

namespace tf {

ReviewCommand reviewCommandFor(uint32_t key, bool ctrl, bool shift) {
    using namespace review_keys;
    if (ctrl) {
        if (key == 'Z') return shift ? ReviewCommand::Redo : ReviewCommand::Undo;
        if (key == 'Y' && !shift) return ReviewCommand::Redo;
        if ((key == '0' || key == kNumpad0) && !shift) return ReviewCommand::Fit;
        if ((key == '1' || key == kNumpad1) && !shift) return ReviewCommand::ActualSize;
        // Ctrl + Home / End go to the ends as without Ctrl.
        if (key == kHome) return ReviewCommand::Home;
        if (key == kEnd) return ReviewCommand::End;
        return ReviewCommand::None;
    }
    switch (key) {
        case kUp: return ReviewCommand::MoveUp;
        case kDown: return ReviewCommand::MoveDown;
        case kLeft: return ReviewCommand::MoveLeft;
        case kRight: return ReviewCommand::MoveRight;
        case 'N': return shift ? ReviewCommand::PreviousSeam : ReviewCommand::NextSeam;
        default: break;
    }
    // The remaining keys mean nothing with Shift held.
    if (shift) return ReviewCommand::None;
    switch (key) {
        case 'T': return ReviewCommand::SelectTop;
        case 'B': return ReviewCommand::SelectBottom;
        case 'L': return ReviewCommand::SelectLeft;
        case 'R': return ReviewCommand::SelectRight;
        case 'C': return ReviewCommand::CutAtSeam;
        case kPrior: return ReviewCommand::PageUp;
        case kNext: return ReviewCommand::PageDown;
        case kHome: return ReviewCommand::Home;
        case kEnd: return ReviewCommand::End;
        case kReturn: return ReviewCommand::Save;
        case kEscape: return ReviewCommand::Close;
        default: return ReviewCommand::None;
    }
}

}  // namespace tf
