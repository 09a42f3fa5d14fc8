#pragma once
// Which life the process leads, chosen once from its arguments.

#include <filesystem>
#include <vector>

namespace tf {

using NativeString = std::filesystem::path::string_type;

enum class ProgramMode { Interactive, SelfTest, Stitch };

struct ModeSelection {
    ProgramMode mode = ProgramMode::Interactive;
    NativeString framesFolder;  // --stitch
    NativeString outputPath;    // --stitch
    NativeString reportPath;    // --self-test
};

// args[0] is the program. Flags are compared exactly (same characters, same
// case, same length) and need exactly their number of operands; anything else
// is the interactive program, unknown words being ignored.
ModeSelection selectMode(const std::vector<NativeString>& args);

}  // namespace tf
