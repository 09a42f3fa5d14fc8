#include "platform/win32/win32_handles.h"

#include <gtest/gtest.h>

#include <thread>
#include <type_traits>
#include <vector>

namespace {

// Records which handles were closed, so ownership moves can be checked exactly.
std::vector<int> closedHandles;
struct CountingTraits {
    static int empty() noexcept { return 0; }
    static bool valid(int h) noexcept { return h != 0; }
    static void close(int h) noexcept { closedHandles.push_back(h); }
};
using Counted = tf::UniqueHandle<int, CountingTraits>;

TEST(UniqueHandle, ClosesExactlyOnceAcrossMovesResetAndRelease) {
    closedHandles.clear();
    {
        Counted a(7);
        Counted b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 7);
        Counted c(9);
        c = std::move(b);  // 9 closed, 7 now in c
        EXPECT_EQ(closedHandles, std::vector<int>({9}));
        c = std::move(c);  // self-move keeps the handle
        EXPECT_EQ(c.get(), 7);
        c.reset(11);       // 7 closed
        c.reset(11);       // same handle: not closed
        Counted d(13);
        EXPECT_EQ(d.release(), 13);  // given up, never closed
        EXPECT_FALSE(d);
    }
    EXPECT_EQ(closedHandles, std::vector<int>({9, 7, 11}));
}

TEST(UniqueHandle, GdiObjectsAreDeletedByTheOwner) {
    HBITMAP raw = CreateBitmap(4, 4, 1, 32, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        tf::UniqueBitmap owner(raw);
        tf::UniqueBitmap moved(std::move(owner));
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(GetObjectType(raw), 0u);

    HBITMAP kept = CreateBitmap(4, 4, 1, 32, nullptr);
    {
        tf::UniqueBitmap owner(kept);
        EXPECT_EQ(owner.release(), kept);
    }
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BITMAP));
    DeleteObject(kept);
}

TEST(SelectedObject, RestoresThePreviousObjectSoBothCanBeDeleted) {
    tf::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
    tf::UniqueBitmap bitmap(CreateBitmap(8, 8, 1, 32, nullptr));
    {
        tf::SelectedObject selected(dc.get(), bitmap.get());
        EXPECT_TRUE(selected);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
        tf::SelectedObject moved(std::move(selected));
        EXPECT_FALSE(selected);
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
    tf::SelectedObject none(dc.get(), nullptr);
    EXPECT_FALSE(none);
}

TEST(UniqueHandle, MenusKernelHandlesAndWindowDcs) {
    HMENU raw = CreatePopupMenu();
    ASSERT_NE(raw, nullptr);
    { tf::UniqueMenu menu(raw); }
    EXPECT_FALSE(IsMenu(raw));

    tf::UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event.get(), GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    tf::UniqueKernelHandle second(copy);
    event.reset();
    EXPECT_FALSE(event);
    EXPECT_EQ(WaitForSingleObject(second.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    tf::UniqueFileHandle noFile;
    EXPECT_FALSE(noFile);
    EXPECT_EQ(noFile.get(), INVALID_HANDLE_VALUE);

    tf::WindowDc screen(nullptr);
    EXPECT_TRUE(screen);
    tf::WindowDc other(std::move(screen));
    EXPECT_FALSE(screen);
    EXPECT_TRUE(other);
}

TEST(UniqueWindow, DestroysAnOwnedWindow) {
    HWND raw = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(raw, nullptr);
    { tf::UniqueWindow w(raw); }
    EXPECT_FALSE(IsWindow(raw));
}

TEST(ComApartment, UninitialisesOnlyWhatItInitialised) {
    static_assert(!std::is_copy_constructible_v<tf::ComApartment>);
    HRESULT afterwards = E_FAIL;
    HRESULT outer = E_FAIL, nested = E_FAIL, otherKind = S_OK;
    bool otherKindHeld = true;
    std::thread([&] {
        {
            const tf::ComApartment first(COINIT_MULTITHREADED);
            outer = first.result();
            const tf::ComApartment second(COINIT_MULTITHREADED);  // counts, and is balanced too
            nested = second.result();
            const tf::ComApartment wrong(COINIT_APARTMENTTHREADED);  // refused: must not uninitialise
            otherKind = wrong.result();
            otherKindHeld = static_cast<bool>(wrong);
        }
        // Every successful initialisation was undone, and no more: the thread
        // can enter the other apartment kind now.
        afterwards = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(afterwards)) CoUninitialize();
    }).join();
    EXPECT_EQ(outer, S_OK);
    EXPECT_EQ(nested, S_FALSE);
    EXPECT_EQ(otherKind, RPC_E_CHANGED_MODE);
    EXPECT_FALSE(otherKindHeld);
    EXPECT_EQ(afterwards, S_OK);
}

}  // namespace
