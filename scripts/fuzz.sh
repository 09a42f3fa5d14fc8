#!/bin/bash
# Builds the libFuzzer targets (preset native-fuzz) and runs each for the given
# number of seconds (default 60). A target that finds a crash, a leak or a
# sanitizer report fails the script; the input that did it is left in the build
# folder as crash-*/leak-*/timeout-*. The grown corpora persist in the build
# folder between runs and start from the seeds in fuzz/corpus/<target>.
# Memory is limited to TF_FUZZ_RSS_MB (default 256): refusing any input must
# stay far below it.
#   scripts/fuzz.sh [seconds] [target...]   TF_FUZZ_BUILD=<dir> to build elsewhere
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
rss_mb="${TF_FUZZ_RSS_MB:-256}"
# AddressSanitizer keeps 256 MB of freed memory in quarantine by default, which
# alone would reach the limit; a small quarantine leaves the limit to the code.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16}"
build="${TF_FUZZ_BUILD:-build/native-fuzz}"
jobs="${TF_JOBS:-2}"

cmake --preset native-fuzz -B "$build" >/dev/null
cmake --build "$build" -j"$jobs"

failed=0
targets=("$@")
[ ${#targets[@]} = 0 ] && for t in fuzz/*_fuzz.cpp; do targets+=("$(basename "$t" .cpp)"); done
for name in "${targets[@]}"; do
    exe="$build/fuzz/$name"
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    [ -d "fuzz/corpus/$name" ] && cp -n fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
    echo "== $name for ${seconds}s"
    log="$build/$name.log"
    if (cd "$build" && "./fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
            -rss_limit_mb="$rss_mb" "corpus/$name") >"$log" 2>&1; then
        grep -E "^(stat::number_of_executed_units|stat::new_units_added|stat::peak_rss_mb)" "$log" || true
        grep -E "^#[0-9]+ +DONE" "$log" | tail -1 || true
        echo "   no finding"
    else
        echo "   FINDING (see $log):"
        grep -E "ERROR|SUMMARY|Test unit written" "$log" | head -5
        failed=1
    fi
    [ -x "$exe" ] || { echo "missing $exe"; failed=1; }
done
exit "$failed"
