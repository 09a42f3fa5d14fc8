#include <gtest/gtest.h>
#include <windows.h>

#include "shell/capture/screen_grab_win32.h"

namespace tf {
namespace {

// A window painted red in its top half and blue in its bottom half.
LRESULT CALLBACK paintProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT rc;
        GetClientRect(w, &rc);
        const int mid = rc.bottom / 2;
        HBRUSH red = CreateSolidBrush(RGB(220, 20, 30)), blue = CreateSolidBrush(RGB(10, 40, 200));
        RECT top{0, 0, rc.right, mid}, bottom{0, mid, rc.right, rc.bottom};
        FillRect(dc, &top, red);
        FillRect(dc, &bottom, blue);
        DeleteObject(red);
        DeleteObject(blue);
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
}

class PaintedWindow {
public:
    PaintedWindow(int x, int y, int w, int h) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = paintProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TallyframeGrabTest";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr,
                                  nullptr, wc.hInstance, nullptr);
        UpdateWindow(window_);
        // Let the window reach the screen.
        for (int i = 0; i < 20; ++i) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(25);
        }
    }
    ~PaintedWindow() { DestroyWindow(window_); }
    PaintedWindow(const PaintedWindow&) = delete;
    PaintedWindow& operator=(const PaintedWindow&) = delete;
    bool ok() const { return window_ != nullptr; }

private:
    HWND window_ = nullptr;
};

TEST(ScreenGrab, CopiesTheRectangleTopDownAndOpaque) {
    PaintedWindow window(100, 80, 200, 120);
    ASSERT_TRUE(window.ok());
    const PixelImage img = grabScreenRect({120, 90, 280, 190});
    ASSERT_EQ(img.width, 160);
    ASSERT_EQ(img.height, 100);
    // Rows 90..139 of the screen are the red half, 140..189 the blue one.
    EXPECT_EQ(img.at(0, 0), 0xFFDC141Eu);
    EXPECT_EQ(img.at(159, 49), 0xFFDC141Eu);
    EXPECT_EQ(img.at(0, 50), 0xFF0A28C8u);
    EXPECT_EQ(img.at(159, 99), 0xFF0A28C8u);
    for (uint32_t px : img.pixels) ASSERT_EQ(px >> 24, 0xFFu);
}

TEST(ScreenGrab, DegenerateRectanglesStillGiveOnePixel) {
    struct Case {
        Rect rect;
        int32_t width, height;
    };
    for (const Case& c : {Case{{50, 50, 50, 60}, 1, 10}, Case{{60, 50, 40, 60}, 1, 10}, Case{{50, 50, 70, 50}, 20, 1},
                          Case{{5, 5, 5, 5}, 1, 1}}) {
        const PixelImage img = grabScreenRect(c.rect);
        EXPECT_EQ(img.width, c.width);
        EXPECT_EQ(img.height, c.height);
        EXPECT_EQ(img.pixels.size(), static_cast<size_t>(c.width) * c.height);
    }
}

}  // namespace
}  // namespace tf
