#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/image/atomic_file.h"
#include "core/image/png_codec.h"
#include "test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace tf {
namespace {

namespace fs = std::filesystem;
using test::ScratchDir;

using test::entriesOf;

TEST(TemporaryFileName, OnlyOurExactPatternCounts) {
    EXPECT_TRUE(isTemporaryFileName(temporaryFileName(temporaryFileToken())));
    EXPECT_TRUE(isTemporaryFileName(".tallyframe-0123456789abcdef.tmp"));
    for (const char* other : {".tallyframe-0123456789abcdef.tmp.bak", ".tallyframe-0123456789ABCDEF.tmp",
                              ".tallyframe-0123456789abcde.tmp", "tallyframe-0123456789abcdef.tmp",
                              ".tallyframe-0123456789abcdeg.tmp", ".tallyframe-notours.tmp", "shot.png"})
        EXPECT_FALSE(isTemporaryFileName(other)) << other;
}

TEST(WriteWholeFile, ReplacesARegularFileAndNothingElse) {
    ScratchDir dir;
    test::writeFile(dir / "report.txt", std::string(5000, 'x'));
    EXPECT_EQ(writeWholeFile(dir / "report.txt", "new\r\n", false), "");
    EXPECT_EQ(test::readFile(dir / "report.txt"), "new\r\n");
    fs::create_directories(dir / "folder.txt");
    EXPECT_EQ(writeWholeFile(dir / "folder.txt", "x", false), "is not a regular file");
    EXPECT_EQ(writeWholeFile(dir / "missing" / "a.txt", "x", false), "is in a folder that cannot take a new file");
    EXPECT_EQ(writeWholeFile("", "x", false), "has no file name");
    EXPECT_EQ(entriesOf(dir.path()), (std::vector<std::string>{"folder.txt", "report.txt"}));
}

#ifndef _WIN32

TEST(ExistingFile, KindsOfThingsAtAName) {
    ScratchDir dir;
    test::writeFile(dir / "regular", "r");
    test::writeFile(dir / "readonly", "r");
    fs::permissions(dir / "readonly", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_directories(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir / "socket").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(sock);
    fs::create_symlink(dir / "regular", dir / "link-to-regular");
    fs::create_symlink(dir / "fifo", dir / "link-to-fifo");
    fs::create_symlink(dir / "nothing", dir / "dangling");
    struct Case {
        const char* name;
        ExistingFile expected;
    } cases[] = {
        {"absent", ExistingFile::None},          {"regular", ExistingFile::Replaceable},
        {"readonly", ExistingFile::NotWritable}, {"folder", ExistingFile::NotRegular},
        {"fifo", ExistingFile::NotRegular},      {"socket", ExistingFile::NotRegular},
        {"link-to-regular", ExistingFile::Link}, {"link-to-fifo", ExistingFile::NotRegular},
        {"dangling", ExistingFile::Link},
    };
    for (const Case& c : cases) EXPECT_EQ(inspectExistingFile(dir / c.name), c.expected) << c.name;
    EXPECT_EQ(inspectExistingFile("/dev/null"), ExistingFile::NotRegular);
}

TEST(ExistingFile, AnotherUsersFileInAWorldWritableFolderIsNotOursToReplace) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to own a file as one user and test as another";
    ScratchDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    test::writeFile(dir / "roots.png", "root's");
    ::chmod((dir / "roots.png").c_str(), 0644);
    // The check runs as another user in a child, so this process keeps root.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        const bool refused = inspectExistingFile(dir / "roots.png") == ExistingFile::NotWritable;
        bool saveRefused = false;
        try {
            savePng(PixelImage(2, 2), dir / "roots.png");
        } catch (const std::exception&) {
            saveRefused = true;
        }
        ::_exit(refused && saveRefused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(test::readFile(dir / "roots.png"), "root's");
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"roots.png"});
}

TEST(WriteWholeFile, NeverThroughALinkOrOntoAFifo) {
    ScratchDir dir;
    test::writeFile(dir / "frame.png", "frame");
    fs::create_symlink(dir / "frame.png", dir / "log.txt");
    EXPECT_EQ(writeWholeFile(dir / "log.txt", "log", true), "is a symbolic link");
    EXPECT_EQ(test::readFile(dir / "frame.png"), "frame");
    EXPECT_TRUE(fs::is_symlink(dir / "log.txt"));
    // Opening a FIFO for writing would wait for a reader for ever.
    ASSERT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0644), 0);
    EXPECT_EQ(writeWholeFile(dir / "fifo.txt", "log", true), "is not a regular file");
    EXPECT_EQ(fs::status(dir / "fifo.txt").type(), fs::file_type::fifo);
    EXPECT_EQ(entriesOf(dir.path()), (std::vector<std::string>{"fifo.txt", "frame.png", "log.txt"}));
}

TEST(Png, SpecialFilesAtTheOutputNameAreRefusedBeforeAnythingIsWritten) {
    ScratchDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo.png").c_str(), 0644), 0);
    fs::create_symlink("/dev/null", dir / "null.png");
    for (const char* name : {"fifo.png", "null.png"}) {
        EXPECT_THROW(savePng(PixelImage(3, 3), dir / name), std::runtime_error) << name;
    }
    EXPECT_EQ(fs::status(dir / "fifo.png").type(), fs::file_type::fifo);
    EXPECT_TRUE(fs::is_symlink(dir / "null.png"));
    EXPECT_EQ(entriesOf(dir.path()), (std::vector<std::string>{"fifo.png", "null.png"}));
}

TEST(StaleTemporaryFiles, OnlyOursThatNobodyHoldsAreRemoved) {
    ScratchDir dir;
    const fs::path stale = dir / ".tallyframe-00000000000000aa.tmp";
    test::writeFile(stale, "killed");
    // A live writer in this process holds its lock.
    AtomicFile live;
    ASSERT_TRUE(live.create(dir.path()));
    ASSERT_TRUE(live.write("live", 4));
    // One held by another process's lock.
    const fs::path held = dir / ".tallyframe-00000000000000bb.tmp";
    test::writeFile(held, "held");
    const int heldFd = ::open(held.c_str(), O_RDONLY);
    ASSERT_GE(heldFd, 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        ::flock(heldFd, LOCK_EX);
        ::pause();
        ::_exit(0);
    }
    ::close(heldFd);
    for (int i = 0; i < 200; ++i) {  // until the child holds the lock
        const int probe = ::open(held.c_str(), O_RDONLY);
        const bool taken = ::flock(probe, LOCK_EX | LOCK_NB) != 0;
        ::close(probe);
        if (taken) break;
        ::usleep(5000);
    }
    // Things that look alike but are not ours.
    test::writeFile(dir / ".tallyframe-notours.tmp", "x");
    test::writeFile(dir / ".tallyframe-0123456789abcdef.tmp.bak", "x");
    fs::create_directories(dir / ".tallyframe-00000000000000cc.tmp");
    fs::create_symlink(dir / "target", dir / ".tallyframe-00000000000000dd.tmp");
    test::writeFile(dir / "target", "t");
    ASSERT_EQ(::mkfifo((dir / ".tallyframe-00000000000000ee.tmp").c_str(), 0644), 0);

    removeStaleTemporaryFiles(dir.path());
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);

    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live.temporaryPath()));
    EXPECT_EQ(test::readFile(held), "held");
    for (const char* kept : {".tallyframe-notours.tmp", ".tallyframe-0123456789abcdef.tmp.bak",
                             ".tallyframe-00000000000000cc.tmp", ".tallyframe-00000000000000ee.tmp", "target"})
        EXPECT_TRUE(fs::exists(fs::symlink_status(dir / kept))) << kept;
    EXPECT_TRUE(fs::is_symlink(dir / ".tallyframe-00000000000000dd.tmp"));
}

TEST(StaleTemporaryFiles, ALaterSaveRemovesAKilledSavesFile) {
    ScratchDir dir;
    test::writeFile(dir / ".tallyframe-0000000000000abc.tmp", std::string(1000, 'p'));
    savePng(PixelImage(4, 4), dir / "next.png");
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"next.png"});
}

// A termination request during a save: the child dies by the signal, as it
// would have, and its temporary file is gone.
void saveThenReceive(const fs::path& folder, int signal) {
    removeTemporaryFilesOnTermination();
    AtomicFile file;
    if (!file.create(folder) || !file.write("half", 4)) ::_exit(3);
    ::raise(signal);
    ::_exit(4);  // not reached: the signal ends the process
}

TEST(TerminationDuringASave, RemovesTheTemporaryFile) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ScratchDir dir;
        EXPECT_EXIT(saveThenReceive(dir.path(), signal), ::testing::KilledBySignal(signal), "") << signal;
        EXPECT_TRUE(entriesOf(dir.path()).empty()) << signal;
    }
}

// Under a file-size limit, with the signal ignored as the program does.
void saveUnderASizeLimit(const fs::path& folder) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = 4096;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    PixelImage noise(200, 200);  // 160 KB that does not compress
    uint32_t x = 12345;
    for (uint32_t& px : noise.pixels) px = x = x * 1664525u + 1013904223u;
    bool failed = false;
    try {
        savePng(noise, folder / "big.png");
    } catch (const std::exception&) {
        failed = true;
    }
    ::_exit(failed && !fs::exists(folder / "big.png") ? 0 : 1);
}

TEST(FileSizeLimit, FailsTheWriteInsteadOfKillingTheProcess) {
    ScratchDir dir;
    EXPECT_EXIT(saveUnderASizeLimit(dir.path()), ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(entriesOf(dir.path()).empty());
}

#endif

}  // namespace
}  // namespace tf
