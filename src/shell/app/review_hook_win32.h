#pragma once
// The review window as the main window opens it: from the result page's
// "Review" button (or R), and after every capture when reviewAfterCapture
// is on. The main window stays disabled while the review is open.

#include <memory>

#include "core/stitch/stitch_job.h"
#include "shell/review/review_host_win32.h"
#include "shell/review/review_window_win32.h"

namespace tf {

struct Application;

class ApplicationReviewHost final : public ReviewHost {
public:
    explicit ApplicationReviewHost(Application& app) : app_(app) {}
    UiLanguage language() const override;
    bool copyAfterCapture() const override;
    void copyImageFile(const std::filesystem::path& file) override;
    void reviewClosed() override;

private:
    Application& app_;
};

// The last saved capture's seams and the window that reviews it.
struct ReviewSession {
    ReviewCapture lastCapture;
    std::unique_ptr<ApplicationReviewHost> host;
    std::unique_ptr<ReviewWindow> window;
};

// A capture was saved: its seams are kept for the review, which opens at
// once when the setting asks for it.
void keepCaptureForReview(Application& app, const StitchResult& result);
// Opens the review of the saved image shown on the result page.
void openReview(Application& app);

}  // namespace tf
