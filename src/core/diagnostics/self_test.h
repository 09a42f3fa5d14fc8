#pragma once
// `--self-test <report>`: the built-in checks of matching, composing, PNG
// round trips, capture rules and window layouts, one PASS/FAIL report.

#include <filesystem>

#include "core/diagnostics/offline_stitch.h"

namespace tf {

// 0 when every check passed and the report was written, 1 otherwise. The
// report is written whole at the end, replacing only a regular file the user
// may write; when it cannot be written the checks still run, and the run
// fails. Leaves nothing behind but the report, and removes nothing it did not
// make: the round-trip image takes a free name beside the report.
int runSelfTest(const std::filesystem::path& reportPath, const UserMessages& tell = {});

}  // namespace tf
