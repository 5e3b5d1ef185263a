#!/usr/bin/env bash
# Line and branch coverage of the program's own code (not tests, tools or benchmarks) by the
# whole suite, with clang's source-based coverage. Builds in build-coverage/.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-coverage
profiles=$PWD/$dir/profiles
cmake -S . -B "$dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" \
    -DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" >/dev/null
cmake --build "$dir" -j "$(nproc)" >/dev/null
rm -rf "$profiles" && mkdir -p "$profiles"
# Every process of the suite (tests, the program, the simulator) writes its own profile.
(cd "$dir" && LLVM_PROFILE_FILE="$profiles/%p-%m.profraw" ctest -j "$(nproc)" --timeout 300 >/dev/null) ||
    echo "coverage: some tests failed; the figures cover the runs that ended" >&2
llvm-profdata merge -sparse "$profiles"/*.profraw -o "$dir/suite.profdata"
objects=()
while IFS= read -r binary; do
    objects+=(-object "$binary")
done < <(find "$dir" -type f -executable -not -name '*.so' -not -path '*/CMakeFiles/*' -not -path "$profiles/*" \
             -exec sh -c 'head -c 4 "$1" | grep -q ELF' _ {} \; -print)
llvm-cov report "${objects[@]:1}" -instr-profile "$dir/suite.profdata" \
    -ignore-filename-regex='(^|/)(tests|tools|bench)/|^/usr/' | tail -n 1 |
    awk '{ printf "lines %s of %s covered (%s), branches %s of %s covered (%s)\n", $8-$9, $8, $10, $11-$12, $11, $13 }'
