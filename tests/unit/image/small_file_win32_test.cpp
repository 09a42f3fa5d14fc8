// Windows only: a file another program holds without sharing is named as
// such, at once, and a reserved device name is never opened.

#include <gtest/gtest.h>
#include <windows.h>

#include "core/image/small_file.h"
#include "platform/win32/win32_handles.h"
#include "test_support.h"

namespace tf {
namespace {

TEST(SmallFileWin32, ALockedFileIsUnreadableAndNotWaitedOn) {
    test::ScratchDir dir;
    test::writeFile(dir / "locked.txt", "wheelScrollLines=3\r\n");
    const UniqueFileHandle holder(CreateFileW((dir / "locked.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    const SmallFile file = readFileStart(dir / "locked.txt", 1000, 8);
    EXPECT_EQ(file.kind, SmallFileKind::Unreadable);
    EXPECT_EQ(whyNotRead(file, 1000), "cannot be read: another program holds it locked");
}

TEST(SmallFileWin32, DeviceNamesAreNotFiles) {
    for (const wchar_t* name : {L"NUL", L"\\\\.\\NUL", L"CON"}) {
        const SmallFile file = readFileStart(name, 1000, 8);
        EXPECT_EQ(file.kind, SmallFileKind::NotRegular) << static_cast<int>(file.kind);
    }
}

}  // namespace
}  // namespace tf
