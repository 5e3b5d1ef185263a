#!/usr/bin/env bash
# Builds the fuzz harnesses with clang and runs each for a bounded time, two at a time.
# Fails on any crash, hang over 5 s, leak, sanitizer report or failed check. Every failing
# input is copied to tests/fuzz/regressions/<harness>/, where the normal suite replays it:
# commit it with the fix.
#   FUZZ_SECONDS (60): time per harness; FUZZ_JOBS (2): harnesses run at once.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${FUZZ_SECONDS:-60}
jobs=${FUZZ_JOBS:-2}
build=build-fuzz

cmake -S . -B "$build" -DKESTROVANE_WERROR=ON -DKESTROVANE_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
cmake --build "$build" -j "$(nproc)"

# Inputs stay small enough that the slowest harness still tries thousands a second.
declare -A max_len=(
    [ascii_reply]=4096 [eva_file]=8192 [modbus_reply]=1024 [modbus_tcp_reply]=1024
    [settings_store]=4096 [std_file]=8192 [string_table]=4096 [xml_document]=4096
)

run_harness() {
    local harness=$1
    local corpus=$build/fuzz/corpus/$harness artifacts=$build/fuzz/artifacts/$harness
    mkdir -p "$corpus" "$artifacts"
    rm -f "$artifacts"/*
    if "$build/tests/fuzz/${harness}_fuzz" "$corpus" "$build/tests/fuzz/seeds/$harness" \
        -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -max_len="${max_len[$harness]}" \
        -print_final_stats=1 -artifact_prefix="$artifacts/" >"$build/fuzz/$harness.log" 2>&1; then
        echo "$harness: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$build/fuzz/$harness.log" | grep -o '[0-9]*$') runs, no failure"
        return 0
    fi
    local kept=tests/fuzz/regressions/$harness
    mkdir -p "$kept"
    cp "$artifacts"/* "$kept"/ 2>/dev/null || true
    echo "$harness: FAILED, input kept in $kept; the report:"
    grep -E -A 20 'ERROR|runtime error|check failed' "$build/fuzz/$harness.log" | head -40
    return 1
}

mkdir -p "$build/fuzz"
# The file harnesses write a few files for every input: memory is faster than a disk.
if [[ -d /dev/shm && -w /dev/shm ]]; then
    export TMPDIR=/dev/shm
fi
failed=0
running=0
for source in tests/fuzz/*_fuzz.cpp; do
    harness=$(basename "$source" _fuzz.cpp)
    if (( running == jobs )); then
        wait -n || failed=1
        running=$((running - 1))
    fi
    run_harness "$harness" &
    running=$((running + 1))
done
while (( running > 0 )); do
    wait -n || failed=1
    running=$((running - 1))
done
exit "$failed"
