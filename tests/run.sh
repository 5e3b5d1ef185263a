#!/usr/bin/env bash
# Builds and runs the whole suite twice: with AddressSanitizer and UndefinedBehaviorSanitizer, then normally.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DKESTROVANE_WERROR=ON "$@"
    cmake --build "$dir" -j "$jobs"
    (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 300)
}

run_suite build-sanitize -DKESTROVANE_SANITIZE=ON
run_suite build

# Fuzzing: every harness for a bounded time with clang, libFuzzer, ASan and UBSan.
bash tests/fuzz/run-fuzzers.sh
