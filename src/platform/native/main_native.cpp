// The window-less modes on the portable core, for machines without Windows.

#include <cstdio>
#include <vector>

#include "core/app/command_line.h"
#include "core/diagnostics/offline_stitch.h"
#include "core/diagnostics/self_test.h"

int main(int argc, char** argv) {
    std::vector<tf::NativeString> args(argv, argv + argc);
    const tf::ModeSelection s = tf::selectMode(args);
    switch (s.mode) {
        case tf::ProgramMode::Stitch:
            return tf::runOfflineStitch(s.framesFolder, s.outputPath);
        case tf::ProgramMode::SelfTest:
            return tf::runSelfTest(s.reportPath);
        case tf::ProgramMode::Interactive:
            break;
    }
    std::fprintf(stderr,
                 "usage: tallyframe --stitch <frames folder> <output.png>\n"
                 "       tallyframe --self-test <report file>\n");
    return 2;
}
