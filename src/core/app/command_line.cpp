#include "core/app/command_line.h"

namespace tf {

ModeSelection selectMode(const std::vector<NativeString>& args) {
    ModeSelection s;
    static const NativeString selfTest = std::filesystem::path("--self-test").native();
    static const NativeString stitch = std::filesystem::path("--stitch").native();
    if (args.size() == 3 && args[1] == selfTest) {
        s.mode = ProgramMode::SelfTest;
        s.reportPath = args[2];
    } else if (args.size() == 4 && args[1] == stitch) {
        s.mode = ProgramMode::Stitch;
        s.framesFolder = args[2];
        s.outputPath = args[3];
    }
    return s;
}

}  // namespace tf
