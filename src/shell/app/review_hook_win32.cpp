#include "shell/app/review_hook_win32.h"

#include "shell/app/application_win32.h"
#include "shell/app/app_window_win32.h"
#include "shell/app/copy_and_hotkey_win32.h"
#include "shell/app/page_driver_win32.h"

namespace tf {

UiLanguage ApplicationReviewHost::language() const { return app_.settings.language; }

bool ApplicationReviewHost::copyAfterCapture() const { return app_.settings.copyAfterCapture; }

void ApplicationReviewHost::copyImageFile(const std::filesystem::path& file) { copyImageFileOf(app_, file.wstring()); }

void ApplicationReviewHost::reviewClosed() {
    if (app_.main.window() == nullptr) return;
    EnableWindow(app_.main.window(), TRUE);
    showAndActivateMain(app_);
}

void keepCaptureForReview(Application& app, const StitchResult& result) {
    app.review.lastCapture = {result.savedPath, result.seams, result.direction};
    if (app.settings.reviewAfterCapture) openReview(app);
}

void openReview(Application& app) {
    ReviewSession& review = app.review;
    const std::wstring& saved = app.save.savedImagePath();
    if (app.main.window() == nullptr || saved.empty() || app.save.inProgress()) return;
    if (review.window && review.window->isOpen()) {
        SetForegroundWindow(review.window->frame());
        return;
    }
    // Seams belong to the capture that made the file; another file has none known.
    ReviewCapture capture = review.lastCapture.savedPath == saved ? review.lastCapture : ReviewCapture{saved, {}, {}};
    if (!review.host) review.host = std::make_unique<ApplicationReviewHost>(app);
    review.window = std::make_unique<ReviewWindow>(app.instance, *review.host);
    if (review.window->open(app.main.window(), std::move(capture))) EnableWindow(app.main.window(), FALSE);
}

}  // namespace tf
