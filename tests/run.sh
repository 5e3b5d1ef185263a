#!/usr/bin/env bash
# Builds and runs the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer and normally, the
# threaded tests under ThreadSanitizer, and every fuzz harness for a bounded time.
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

# Line tables are all the reports need, and build far faster than full debug information; the
# sanitizers run best at -O1.
checked_flags="-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"

run_suite build-sanitize -DKESTROVANE_SANITIZE=ON "$checked_flags"

# The download worker shares its context and the progress dialog's fields with the user-interface
# thread: the download and progress tests, with the line faults (a download among them), under ThreadSanitizer
# (only their targets are built).
cmake -S . -B build-tsan -DKESTROVANE_WERROR=ON -DKESTROVANE_TSAN=ON "$checked_flags"
cmake --build build-tsan -j "$jobs" --target app_download_test app_progress_dialog_test \
    app_serial_fault_test recorder-sim language_files
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j "$jobs" --timeout 300 \
    -R '^(Download|ProgressDialog|ProgressBar|SerialFault)\.')

run_suite build "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"

# Fuzzing: every harness for a bounded time with clang, libFuzzer, ASan and UBSan.
bash tests/fuzz/run-fuzzers.sh
