#include "shell/review/review_alone_win32.h"

#include <objbase.h>
#include <wincodec.h>

#include "core/review/stitch_log_seams.h"
#include "core/settings/settings.h"
#include "core/settings/settings_store.h"
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

// The image's size from its header, to match the log's seams against it.
bool imageSize(const std::filesystem::path& image, int32_t& width, int32_t& height) {
    static const CLSID kFactory = {0x317d06e8, 0x5f24, 0x433d, {0xbd, 0xf7, 0x79, 0xce, 0x68, 0xd8, 0xab, 0xc2}};
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT w = 0, h = 0;
    if (FAILED(CoCreateInstance(kFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateDecoderFromFilename(image.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&w, &h)))
        return false;
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return true;
}

}  // namespace

int runReviewAlone(HINSTANCE instance, const std::filesystem::path& image) {
    Settings settings;
    loadSettings(settings);
    ReviewCapture capture{image, {}, ScrollDirection::Down};
    int32_t width = 0, height = 0;
    if (imageSize(image, width, height)) {
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
