// The clipboard under Wine: an offered image is rendered when read back (in
// this process, as another program's paste would ask for it), all formats are
// rendered when the owner goes, and refusals leave clipboard and file alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/image/clipboard_dib.h"
#include "shell/clipboard/image_clipboard_win32.h"
#include "core/image/png_codec.h"
#include "test_support.h"

namespace tf {
namespace {

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* offer = reinterpret_cast<ClipboardImageOffer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (offer != nullptr && handleClipboardMessage(*offer, window, message, wParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

// A plain hidden window that owns an offer, as the main window will.
class OwnerWindow {
public:
    OwnerWindow() {
        static const ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ownerProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"TallyframeClipboardTestOwner";
            return RegisterClassW(&wc);
        }();
        EXPECT_NE(atom, 0);
        window = CreateWindowExW(0, L"TallyframeClipboardTestOwner", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(window, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&offer));
    }
    ~OwnerWindow() {
        if (window != nullptr) DestroyWindow(window);
    }
    void destroy() {
        DestroyWindow(window);
        window = nullptr;
    }
    ClipboardImageOffer offer;
    HWND window = nullptr;
};

std::vector<uint8_t> clipboardBytes(HWND reader, UINT format) {
    OpenClipboardScope clipboard(reader);
    EXPECT_TRUE(static_cast<bool>(clipboard));
    HANDLE data = GetClipboardData(format);
    if (data == nullptr) return {};
    GlobalLockScope lock(data);
    if (lock.data() == nullptr) return {};
    const auto* p = static_cast<const uint8_t*>(lock.data());
    return std::vector<uint8_t>(p, p + GlobalSize(data));
}

void putText(HWND owner, const wchar_t* text) {
    OpenClipboardScope clipboard(owner);
    ASSERT_TRUE(static_cast<bool>(clipboard));
    ASSERT_TRUE(EmptyClipboard());
    const size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    GlobalBlock block = GlobalBlock::allocate(bytes);
    ASSERT_TRUE(static_cast<bool>(block));
    {
        GlobalLockScope lock(block.get());
        std::memcpy(lock.data(), text, bytes);
    }
    ASSERT_TRUE(block.giveToClipboard(CF_UNICODETEXT));
}

std::wstring clipboardText(HWND reader) {
    const std::vector<uint8_t> b = clipboardBytes(reader, CF_UNICODETEXT);
    if (b.size() < sizeof(wchar_t)) return {};
    return std::wstring(reinterpret_cast<const wchar_t*>(b.data()));
}

// Every pixel a different colour, some translucent.
PixelImage sampleImage() {
    PixelImage image(7, 5);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x)
            image.at(x, y) = (y == 2 ? 0x80000000u : 0xFF000000u) | static_cast<uint32_t>(x * 36) << 16 |
                             static_cast<uint32_t>(y * 60) << 8 | static_cast<uint32_t>(x * y * 9);
    return image;
}

std::vector<uint8_t> fileBytes(const std::filesystem::path& p) {
    const std::string s = test::readFile(p);
    return std::vector<uint8_t>(s.begin(), s.end());
}

TEST(ImageClipboardWin32, OfferedImageIsRenderedWhenPasted) {
    test::ScratchDir dir;
    const auto file = dir / "shot.png";
    savePng(sampleImage(), file);
    OwnerWindow owner, reader;
    ASSERT_EQ(owner.offer.offer(owner.window, file), ClipboardCopy::Offered);
    EXPECT_TRUE(owner.offer.pending());

    EXPECT_EQ(clipboardBytes(reader.window, pngClipboardFormat()), fileBytes(file));

    const std::vector<uint8_t> dib = clipboardBytes(reader.window, CF_DIBV5);
    const auto expected = packedDibV5(loadPng(file));
    ASSERT_TRUE(expected.has_value());
    ASSERT_GE(dib.size(), expected->size());  // a block may be rounded up
    EXPECT_TRUE(std::equal(expected->begin(), expected->end(), dib.begin()));
    // The platform's own header agrees with the portable bytes.
    BITMAPV5HEADER header{};
    static_assert(sizeof header == kDibV5HeaderSize);
    std::memcpy(&header, dib.data(), sizeof header);
    EXPECT_EQ(header.bV5Width, 7);
    EXPECT_EQ(header.bV5Height, 5);
    EXPECT_EQ(header.bV5BitCount, 32);
    EXPECT_EQ(header.bV5Compression, static_cast<DWORD>(BI_BITFIELDS));
    EXPECT_EQ(header.bV5AlphaMask, 0xFF000000u);
    EXPECT_EQ(header.bV5CSType, 0x73524742u);  // LCS_sRGB
    EXPECT_EQ(header.bV5SizeImage, 7u * 5u * 4u);
    // Bottom row first: the last row of the image opens the pixels.
    uint32_t first = 0;
    std::memcpy(&first, dib.data() + kDibV5HeaderSize, 4);
    EXPECT_EQ(first, sampleImage().at(0, 4));
}

TEST(ImageClipboardWin32, EverythingIsRenderedBeforeTheOwnerGoes) {
    test::ScratchDir dir;
    const auto file = dir / "shot.png";
    savePng(sampleImage(), file);
    OwnerWindow reader;
    {
        OwnerWindow owner;
        ASSERT_EQ(owner.offer.offer(owner.window, file), ClipboardCopy::Offered);
        owner.destroy();  // WM_RENDERALLFORMATS
        EXPECT_FALSE(owner.offer.pending());
    }
    // Nobody is left to render: the data must be on the clipboard itself.
    EXPECT_EQ(clipboardBytes(reader.window, pngClipboardFormat()), fileBytes(file));
    const auto expected = packedDibV5(loadPng(file));
    const std::vector<uint8_t> dib = clipboardBytes(reader.window, CF_DIBV5);
    ASSERT_TRUE(expected.has_value());
    ASSERT_GE(dib.size(), expected->size());
    EXPECT_TRUE(std::equal(expected->begin(), expected->end(), dib.begin()));
}

TEST(ImageClipboardWin32, RefusalsLeaveClipboardAndFileAlone) {
    test::ScratchDir dir;
    // A header that claims 1920 x 600000 pixels: past any clipboard block.
    std::string huge = "\x89PNG\r\n\x1A\n";
    huge += std::string("\0\0\0\x0DIHDR\0\0\x07\x80\0\x09\x27\xC0\x08\x06\0\0\0", 21);
    test::writeFile(dir / "huge.png", huge);
    test::writeFile(dir / "text.png", "not a picture at all, only words");
    OwnerWindow owner;
    putText(owner.window, L"keep me");
    struct Case {
        std::filesystem::path file;
        ClipboardCopy expected;
    } cases[] = {
        {dir / "huge.png", ClipboardCopy::TooLarge},
        {dir / "text.png", ClipboardCopy::Unreadable},
        {dir / "missing.png", ClipboardCopy::Unreadable},
    };
    for (const Case& c : cases) {
        const std::string before = std::filesystem::exists(c.file) ? test::readFile(c.file) : "";
        EXPECT_EQ(owner.offer.offer(owner.window, c.file), c.expected) << c.file.string();
        EXPECT_FALSE(owner.offer.pending());
        EXPECT_EQ(clipboardText(owner.window), L"keep me");
        if (!before.empty()) {
            EXPECT_EQ(test::readFile(c.file), before);
        }
    }
}

TEST(ImageClipboardWin32, AnImageTooWideToDecodeBackIsOfferedAsPngAlone) {
    test::ScratchDir dir;
    // A header that claims 40000 x 1080 pixels: 165 MiB fit a block, but the
    // bitmap would have to be decoded from a file wider than the reader takes.
    std::string wide = "\x89PNG\r\n\x1A\n";
    wide += std::string("\0\0\0\x0DIHDR\0\0\x9C\x40\0\0\x04\x38\x08\x06\0\0\0", 21);
    test::writeFile(dir / "wide.png", wide);
    OwnerWindow owner;
    ASSERT_EQ(owner.offer.offer(owner.window, dir / "wide.png"), ClipboardCopy::Offered);
    EXPECT_TRUE(IsClipboardFormatAvailable(pngClipboardFormat()));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIBV5));
}

TEST(ImageClipboardWin32, AClipboardHeldForAMomentIsWaitedForAndOneHeldLongerIsReported) {
    test::ScratchDir dir;
    const auto file = dir / "shot.png";
    savePng(sampleImage(), file);
    OwnerWindow owner;
    for (const DWORD holdMs : {DWORD{100}, DWORD{1500}}) {
        std::atomic<bool> held{false};
        std::thread other([&] {
            if (OpenClipboard(nullptr)) {
                held = true;
                Sleep(holdMs);
                CloseClipboard();
            }
            held = true;
        });
        while (!held) Sleep(1);
        const ClipboardCopy result = owner.offer.offer(owner.window, file);
        other.join();
        // 20 attempts 15 ms apart outlast 100 ms and give up well before 1.5 s.
        EXPECT_EQ(result, holdMs < 200 ? ClipboardCopy::Offered : ClipboardCopy::Busy) << holdMs;
    }
}

TEST(ImageClipboardWin32, AnotherOwnerEndsTheOfferAndAVanishedFileRendersNothing) {
    test::ScratchDir dir;
    const auto file = dir / "shot.png";
    savePng(sampleImage(), file);
    OwnerWindow owner, other;
    ASSERT_EQ(owner.offer.offer(owner.window, file), ClipboardCopy::Offered);
    putText(other.window, L"theirs");  // WM_DESTROYCLIPBOARD to the owner
    EXPECT_FALSE(owner.offer.pending());
    EXPECT_EQ(clipboardText(other.window), L"theirs");

    ASSERT_EQ(owner.offer.offer(owner.window, file), ClipboardCopy::Offered);
    std::filesystem::remove(file);
    EXPECT_TRUE(clipboardBytes(other.window, pngClipboardFormat()).empty());
    EXPECT_TRUE(clipboardBytes(other.window, CF_DIBV5).empty());
}

// Runs a program of the X side (Wine starts Unix executables given by path)
// with its output into `out`, pumping this thread's messages meanwhile so that
// the clipboard's owner can render what the program asks for. Wine does not
// always signal the end of a Unix process: the wait ends when `out` holds
// `expectedBytes` bytes, the process ends, or after ten seconds.
bool runWhilePumping(const std::wstring& commandLine, const std::filesystem::path& out, uintmax_t expectedBytes) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = file;
    si.hStdError = file;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::wstring line = commandLine;
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(file);
    if (!started) return false;
    CloseHandle(pi.hThread);
    const ULONGLONG end = GetTickCount64() + 10000;
    while (GetTickCount64() < end) {
        if (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        std::error_code ec;
        if (std::filesystem::file_size(out, ec) >= expectedBytes && !ec) break;
    }
    TerminateProcess(pi.hProcess, 0);
    CloseHandle(pi.hProcess);
    return true;
}

TEST(ImageClipboardWin32, TheXSideReadsTheSavedPngBytes) {
    if (GetFileAttributesW(L"Z:\\usr\\bin\\xclip") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no xclip";
    test::ScratchDir dir;
    const auto file = dir / "shot.png";
    savePng(sampleImage(), file);
    OwnerWindow owner;
    ASSERT_EQ(owner.offer.offer(owner.window, file), ClipboardCopy::Offered);
    const auto out = dir / "pasted.png";
    if (!runWhilePumping(L"/usr/bin/xclip -selection clipboard -t image/png -o", out, std::filesystem::file_size(file)))
        GTEST_SKIP() << "this Wine does not start Unix programs";
    EXPECT_EQ(fileBytes(out), fileBytes(file));
}

TEST(ImageClipboardWin32, ABlockStaysOursUntilTheClipboardTakesIt) {
    GlobalBlock block = GlobalBlock::allocate(64);
    ASSERT_TRUE(static_cast<bool>(block));
    // The clipboard is not open: the block is refused and still ours.
    EXPECT_FALSE(block.giveToClipboard(CF_UNICODETEXT));
    ASSERT_TRUE(static_cast<bool>(block));
    EXPECT_GE(GlobalSize(block.get()), 64u);
    GlobalBlock moved = std::move(block);
    EXPECT_FALSE(static_cast<bool>(block));
    EXPECT_TRUE(static_cast<bool>(moved));
    EXPECT_FALSE(static_cast<bool>(GlobalBlock::allocate(0)));
}

}  // namespace
}  // namespace tf
