#pragma once
// What the review window needs from whoever opens it: the capture it shows
// and the few settings it reads. The window never reaches the application
// itself; the main window (or the window-less --review start) implements
// ReviewHost.

#include <windows.h>

#include <filesystem>
#include <vector>

#include "core/settings/ui_language.h"
#include "core/stitch/seam_record.h"
#include "ground/scroll_direction.h"

namespace tf {

// A saved capture as its stitch described it. The seams are the stitch's own
// records (the capture's result, or the log of an offline stitch), never
// found again from the pixels; their rows are columns when sideways.
struct ReviewCapture {
    std::filesystem::path savedPath;
    std::vector<SeamRecord> seams;
    ScrollDirection direction = ScrollDirection::Down;
};

class ReviewHost {
public:
    virtual UiLanguage language() const = 0;
    virtual bool copyAfterCapture() const = 0;
    // Puts a file the review wrote on the clipboard, as the capture's own copy does.
    virtual void copyImageFile(const std::filesystem::path& file) = 0;
    // The window is gone (closed, saved or failed); the host may enable its owner again.
    virtual void reviewClosed() = 0;

protected:
    ~ReviewHost() = default;
};

}  // namespace tf
