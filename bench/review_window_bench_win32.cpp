// How the review window copes with a long capture: the time from open() to
// the first rows on screen, to the whole image decoded, the time of each
// Page Down repaint and of a jump to the end, and the process's private
// memory against the image's bytes. Run under Wine or Windows:
//   review_window_bench.exe <image.png> <report.txt>
// (bench/review_window_bench.sh makes a 1920 x 70,000 image and runs it).

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "shell/review/review_window_win32.h"
#include "shell/ui/renderer_win32.h"

namespace {

class BenchHost final : public tf::ReviewHost {
public:
    tf::UiLanguage language() const override { return tf::UiLanguage::English; }
    bool copyAfterCapture() const override { return false; }
    void copyImageFile(const std::filesystem::path&) override {}
    void reviewClosed() override {}
};

double nowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The main window has drawn text long before a review opens; a fresh process
// has not, and Wine's first Direct2D text pass takes seconds. Drawn once here,
// so the figures are the review's own.
void warmRenderer() {
    HDC screen = GetDC(nullptr);
    tf::UniqueMemoryDc dc(CreateCompatibleDC(screen));
    tf::UniqueBitmap bitmap(CreateCompatibleBitmap(screen, 64, 32));
    ReleaseDC(nullptr, screen);
    if (!dc || !bitmap) return;
    tf::SelectedObject selected(dc.get(), bitmap.get());
    tf::DcDraw draw(nullptr, dc.get(), {0, 0, 64, 32});
    if (draw) tf::drawText(draw.target(), L"Tallyframe", D2D1::RectF(0, 0, 64, 32), 14, 600, 0, tf::kTextLeft);
}

double privateMiB() {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
    return static_cast<double>(pmc.PrivateUsage) / (1024.0 * 1024.0);
}

// One key to the image and its repaint, timed.
double keyAndPaint(HWND canvas, WPARAM key) {
    const double t0 = nowMs();
    SendMessageW(canvas, WM_KEYDOWN, key, 0);
    RedrawWindow(canvas, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return nowMs() - t0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    SetProcessDPIAware();
    const tf::ComApartment com(COINIT_APARTMENTTHREADED);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 3) return 2;
    const std::filesystem::path image = argv[1], report = argv[2];
    LocalFree(argv);
    FILE* out = _wfopen(report.c_str(), L"w");
    if (out == nullptr) return 2;
    warmRenderer();
    std::fprintf(out, "warm\n");  // the script samples the resident memory before the open now
    std::fflush(out);
    Sleep(1500);
    BenchHost host;
    tf::ReviewWindow window(instance, host);
    const double before = privateMiB();
    const double t0 = nowMs();
    if (!window.open(nullptr, {image, {}, tf::ScrollDirection::Down})) return 1;
    std::fprintf(out, "openMs=%.0f\n", nowMs() - t0);
    std::fflush(out);
    HWND canvas = FindWindowExW(window.frame(), nullptr, tf::kReviewCanvasClass, nullptr);
    // The first rows are on screen once a band of the cache exists.
    int32_t rowsAtFirstPump = -1;
    while (window.cacheBytes() == 0 && nowMs() - t0 < 60000) {
        if (rowsAtFirstPump < 0) {
            rowsAtFirstPump = window.rowsDecoded();
            std::fprintf(out, "firstPumpMs=%.0f rowsDecodedThen=%d\n", nowMs() - t0, rowsAtFirstPump);
        }
        pump();
        RedrawWindow(canvas, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Sleep(1);
    }
    const double firstRows = nowMs() - t0;
    std::fprintf(out, "firstRowsMs=%.0f rowsDecodedThen=%d\n", firstRows, window.rowsDecoded());
    std::fflush(out);
    while (!window.imageComplete() && nowMs() - t0 < 120000) {
        pump();
        Sleep(5);
    }
    const double decoded = nowMs() - t0;
    std::fprintf(out, "decodedMs=%.0f privateMiB=%.0f\n", decoded, privateMiB());
    std::fflush(out);
    pump();
    std::vector<double> steps;
    for (int i = 0; i < 60; ++i) steps.push_back(keyAndPaint(canvas, VK_NEXT));
    const double toEnd = keyAndPaint(canvas, VK_END);
    const double toHome = keyAndPaint(canvas, VK_HOME);
    const double after = privateMiB();
    const double fittedCacheMiB = static_cast<double>(window.cacheBytes()) / (1024.0 * 1024.0);
    // Twelve Ctrl + wheel notches in, from the middle of the canvas: the cache at its widest.
    RECT canvasRect{};
    GetWindowRect(canvas, &canvasRect);
    const LPARAM middle = MAKELPARAM((canvasRect.left + canvasRect.right) / 2, (canvasRect.top + canvasRect.bottom) / 2);
    for (int i = 0; i < 12; ++i) SendMessageW(canvas, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), middle);
    std::vector<double> zoomedSteps;
    double zoomedCacheMiB = 0.0;
    for (int i = 0; i < 20; ++i) {
        zoomedSteps.push_back(keyAndPaint(canvas, VK_NEXT));
        zoomedCacheMiB = std::max(zoomedCacheMiB, static_cast<double>(window.cacheBytes()) / (1024.0 * 1024.0));
    }
    std::sort(zoomedSteps.begin(), zoomedSteps.end());
    std::sort(steps.begin(), steps.end());
    RECT client{};
    GetClientRect(canvas, &client);
    const double imageMiB = static_cast<double>(window.imageBytes()) / (1024.0 * 1024.0);
    std::fprintf(out, "canvas=%ldx%ld\nfirstRowsMs=%.0f\ndecodedMs=%.0f\n", client.right, client.bottom, firstRows, decoded);
    std::fprintf(out, "pageDownMs median=%.1f p90=%.1f max=%.1f\nendMs=%.1f homeMs=%.1f\n", steps[steps.size() / 2],
                 steps[steps.size() * 9 / 10], steps.back(), toEnd, toHome);
    std::fprintf(out, "privateMiB before=%.0f after=%.0f image=%.0f cacheMiB=%.1f ratio=%.2f\n", before, after, imageMiB,
                 fittedCacheMiB, (after - before) / imageMiB);
    std::fprintf(out, "zoomed scale=%.2f pageDownMs median=%.1f max=%.1f cacheMiB max=%.1f\n", window.scale(),
                 zoomedSteps[zoomedSteps.size() / 2], zoomedSteps.back(), zoomedCacheMiB);
    std::fclose(out);
    Sleep(3000);  // a moment at rest, for a memory sample from outside
    window.close();
    return 0;
}
