// Files a person hands the program are read only as small regular files:
// whatever else stands in their place is named and never opened for reading.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <functional>
#include <string>

#include "core/image/small_file.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace tf {
namespace {

using test::ScratchDir;

struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;  // makes the thing at the path
    SmallFileKind kind;
    const char* why;  // part of whyNotRead; "" for none
};

void checkCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        const fs::path at = dir / "file.txt";
        c.make(at);
        const SmallFile file = readFileStart(at, 1000, 8);
        EXPECT_EQ(file.kind, c.kind);
        const std::string why = whyNotRead(file, 1000);
        if (*c.why == '\0') {
            EXPECT_EQ(why, "");
        } else {
            EXPECT_NE(why.find(c.why), std::string::npos) << why;
        }
    }
}

TEST(SmallFile, OnlyTheStartOfASmallRegularFileIsRead) {
    ScratchDir dir;
    test::writeFile(dir / "f", "0123456789");
    const SmallFile start = readFileStart(dir / "f", 1000, 4);
    EXPECT_EQ(start.kind, SmallFileKind::Regular);
    EXPECT_EQ(start.bytes, "0123");
    EXPECT_EQ(start.size, 10u);
    EXPECT_EQ(readFileStart(dir / "f", 1000, 100).bytes, "0123456789");
    EXPECT_EQ(readFileStart(dir / "f", 10, 0).bytes, "");
    EXPECT_EQ(readFileStart(dir / "f", 9, 4).kind, SmallFileKind::TooLarge);
}

TEST(SmallFile, WhatIsNoSmallRegularFileIsNamed) {
    checkCases({
        {"nothing there", [](const fs::path&) {}, SmallFileKind::Absent, ""},
        {"empty", [](const fs::path& p) { test::writeFile(p, ""); }, SmallFileKind::Regular, ""},
        {"a folder", [](const fs::path& p) { fs::create_directories(p); }, SmallFileKind::NotRegular,
         "is a folder, not a regular file"},
        // Sparse: nothing of it is ever read.
        {"a huge file",
         [](const fs::path& p) {
             test::writeFile(p, "");
             fs::resize_file(p, uint64_t{3} << 30);
         },
         SmallFileKind::TooLarge, "is 3072 MiB, more than the 1000 bytes"},
        {"one byte too many", [](const fs::path& p) { test::writeFile(p, std::string(1001, 'x')); },
         SmallFileKind::TooLarge, "is 1001 bytes"},
    });
    ScratchDir dir;
    EXPECT_EQ(readFileStart(dir / "missing" / "file.txt", 1000, 8).kind, SmallFileKind::Absent);
}

#ifndef _WIN32
TEST(SmallFile, NothingThatCouldBlockOrNeverEndIsOpened) {
    checkCases({
        {"a FIFO without a writer", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
         SmallFileKind::NotRegular, "is a FIFO, not a regular file"},
        {"a link to an endless device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); },
         SmallFileKind::NotRegular, "is a link to a character device"},
        {"a link to a folder", [](const fs::path& p) { fs::create_directory_symlink("/", p); },
         SmallFileKind::NotRegular, "is a link to a folder"},
        {"a socket",
         [](const fs::path& p) {
             const int s = socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un a{};
             a.sun_family = AF_UNIX;
             ASSERT_LT(p.native().size(), sizeof a.sun_path);
             std::copy(p.native().begin(), p.native().end(), a.sun_path);
             ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
             close(s);
         },
         SmallFileKind::NotRegular, "is a socket"},
        {"a link to a small file",
         [](const fs::path& p) {
             test::writeFile(p.parent_path() / "real", "x");
             fs::create_symlink(p.parent_path() / "real", p);
         },
         SmallFileKind::Regular, ""},
        {"a dangling link", [](const fs::path& p) { fs::create_symlink(p.parent_path() / "gone", p); },
         SmallFileKind::Absent, ""},
        {"a link loop", [](const fs::path& p) { fs::create_symlink(p, p); }, SmallFileKind::Unreadable,
         "cannot be read: too many levels of symbolic links"},
    });
}

TEST(SmallFile, AFileTheUserMayNotReadSaysSo) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    ScratchDir dir;
    test::writeFile(dir / "f", "x");
    fs::permissions(dir / "f", fs::perms::none);
    const SmallFile file = readFileStart(dir / "f", 1000, 8);
    EXPECT_EQ(file.kind, SmallFileKind::Unreadable);
    EXPECT_EQ(whyNotRead(file, 1000), "cannot be read: permission denied");
}
#endif

TEST(SmallFile, SizesAreToldInBytesOrMebibytes) {
    EXPECT_EQ(sizeText(0), "0 bytes");
    EXPECT_EQ(sizeText((1u << 20) - 1), "1048575 bytes");
    EXPECT_EQ(sizeText(1u << 20), "1 MiB");
    EXPECT_EQ(sizeText((1u << 20) + 1), "2 MiB");
}

}  // namespace
}  // namespace tf
