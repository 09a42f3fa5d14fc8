#include <gtest/gtest.h>

#include "core/app/command_line.h"

namespace tf {
namespace {

std::vector<NativeString> argv(std::initializer_list<const char*> words) {
    std::vector<NativeString> out;
    for (const char* w : words) out.push_back(std::filesystem::path(w).native());
    return out;
}

TEST(CommandLine, ModesAreMatchedExactly) {
    struct Case {
        std::vector<NativeString> args;
        ProgramMode mode;
    } cases[] = {
        {argv({"tf.exe"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--self-test", "r.txt"}), ProgramMode::SelfTest},
        {argv({"tf.exe", "--self-test"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--self-test", "a", "b"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--SELF-TEST", "r.txt"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--self-tests", "r.txt"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--self-tes", "r.txt"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--stitch", "frames", "out.png"}), ProgramMode::Stitch},
        {argv({"tf.exe", "--stitch", "frames"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--stitch", "a", "b", "c"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--Stitch", "a", "b"}), ProgramMode::Interactive},
        {argv({"tf.exe", "stitch", "a", "b"}), ProgramMode::Interactive},
        {argv({"tf.exe", "--unknown"}), ProgramMode::Interactive},
        {argv({}), ProgramMode::Interactive},
    };
    for (const Case& c : cases) EXPECT_EQ(selectMode(c.args).mode, c.mode) << c.args.size();
}

TEST(CommandLine, OperandsAreTakenVerbatim) {
    const ModeSelection s = selectMode(argv({"tf.exe", "--stitch", "C:\\frames dir", "out file.png"}));
    EXPECT_EQ(s.framesFolder, std::filesystem::path("C:\\frames dir").native());
    EXPECT_EQ(s.outputPath, std::filesystem::path("out file.png").native());
    EXPECT_EQ(selectMode(argv({"tf.exe", "--self-test", "--stitch"})).reportPath,
              std::filesystem::path("--stitch").native());
}

}  // namespace
}  // namespace tf
