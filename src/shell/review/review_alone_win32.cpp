#include "shell/review/review_alone_win32.h"

#include "core/review/stitch_log_seams.h"
#include "core/settings/settings.h"
#include "core/settings/settings_store.h"
#include "shell/review/review_file_win32.h"
#include "shell/review/review_window_win32.h"

namespace tf {
namespace {

// Only the language is read from the settings: with no main window there is
// no clipboard owner to keep a copy alive once the process has ended.
class AloneHost final : public ReviewHost {
public:
    explicit AloneHost(UiLanguage language) : language_(language) {}
    UiLanguage language() const override { return language_; }
    bool copyAfterCapture() const override { return false; }
    void copyImageFile(const std::filesystem::path&) override {}
    void reviewClosed() override { PostQuitMessage(0); }

private:
    UiLanguage language_;
};

}  // namespace

int runReviewAlone(HINSTANCE instance, const std::filesystem::path& image) {
    Settings settings;
    loadSettings(settings);
    ReviewCapture capture{image, {}, ScrollDirection::Down};
    int32_t width = 0, height = 0;
    // The header alone: the window decodes the image, once.
    if (pngFileSize(image, width, height)) {
        if (std::optional<LoggedSeams> logged = seamsOfStitchedImage(image, width, height)) {
            capture.seams = std::move(logged->seams);
            capture.direction = logged->direction;
        }
    }
    AloneHost host(settings.language);
    ReviewWindow window(instance, host);
    if (!window.open(nullptr, std::move(capture))) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace tf
