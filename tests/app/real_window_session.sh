# Sourced by the real-window scripts with their arguments PROGRAM_FOLDER BUILD_FOLDER: runs the
# script again under a virtual X server, then sets program_dir, build_dir and a folder of its own
# for one run of the program (work: program files beside it, per-user configuration, runtime
# folder), removed on exit with the program and the simulator (whose pids go in program_pid and
# sim_pid). Offers `fail`, `start_recorder` and `expect_program_end`.
set -euo pipefail
program_dir=$1
build_dir=$2

if [ -z "${KESTROVANE_UNDER_XVFB:-}" ]; then
    exec env KESTROVANE_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d /tmp/kestrovane-window-XXXXXX)
sim_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The program looks for its files beside itself: a folder of its own for this run, using COM7.
mkdir -p "$work/program" "$work/config/Orvastel/Kestrovane/ports" "$work/runtime"
cp "$program_dir/Kestrovane" "$program_dir"/Kestrovane.*.stc "$program_dir/Kestrovane.ico" "$work/program/"
printf '%s' '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><config><productName>Kestrovane</productName><icono>Kestrovane.ico</icono><port>7</port></config>' \
    > "$work/program/default.xcfg"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" GSETTINGS_BACKEND=memory
export LANG=C.UTF-8 LC_ALL= LC_MESSAGES= NO_AT_BRIDGE=1
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
link="$XDG_CONFIG_HOME/Orvastel/Kestrovane/ports/com7"

# Starts the simulated recorder on COM7 with the options given and waits for its port.
start_recorder() {
    "$program_dir/recorder-sim" --link "$link" "$@" &
    sim_pid=$!
    for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.1; done
    [ -L "$link" ] || fail "the simulated recorder did not publish its port"
}

# The program must end, with status 0, within 10 s of its main window being closed.
expect_program_end() {
    for _ in $(seq 100); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$program_pid" 2>/dev/null; then fail "the program still runs 10 s after its window was closed"; fi
    local status=0
    wait "$program_pid" || status=$?
    program_pid=""
    [ "$status" = 0 ] || fail "the program ended with status $status"
}
