// Shared helpers of the ui suite (no tests here).
#include <map>

#include "core/image/png_codec.h"
#include "test_support.h"
#include "ui_test_support_win32.h"

namespace tf::test {

std::string_view iconDocumentFromSources(int id) {
    static std::map<int, std::string> documents;
    auto it = documents.find(id);
    if (it != documents.end()) return it->second;
    const auto folder = testDataDir() / ".." / ".." / "src" / "shell" / "resources" / "icons";
    std::string text;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().rfind(std::to_string(id) + "-", 0) == 0) text = readFile(entry.path());
    }
    return documents.emplace(id, std::move(text)).first->second;
}

void saveWindowShot(HWND window, const std::string& name) {
    char folder[1024] = {};
    if (GetEnvironmentVariableA("TF_GUI_SHOTS", folder, sizeof(folder)) == 0) return;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pumpMessages(nullptr, 300);  // no keys arrive while the shot is taken
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    PixelImage image;
    image.width = w;
    image.height = h;
    image.pixels.assign(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + size_t(w) * h);
    for (uint32_t& p : image.pixels) p |= 0xFF000000u;  // screen copies carry no alpha
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    savePng(image, std::filesystem::path(folder) / (name + ".png"));
}

}  // namespace tf::test
