#!/usr/bin/env bash
# Starts the program on real windows under a virtual X server against the simulated recorder on
# COM7, waits for its main window, takes a screenshot, checks that the recorder was read and that
# closing the window ends the program.
# Usage: real_window_test.sh PROGRAM_FOLDER BUILD_FOLDER
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

# The program looks for its files beside itself: a folder of its own for this run.
mkdir -p "$work/program" "$work/config/Orvastel/Kestrovane/ports" "$work/runtime"
cp "$program_dir/Kestrovane" "$program_dir"/Kestrovane.*.stc "$program_dir/Kestrovane.ico" "$work/program/"
printf '%s' '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><config><productName>Kestrovane</productName><icono>Kestrovane.ico</icono><port>7</port></config>' \
    > "$work/program/default.xcfg"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" GSETTINGS_BACKEND=memory
export LANG=C.UTF-8 LC_ALL= LC_MESSAGES= NO_AT_BRIDGE=1
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

link="$XDG_CONFIG_HOME/Orvastel/Kestrovane/ports/com7"
"$program_dir/recorder-sim" --link "$link" --request-log "$work/requests.log" --set 3=42 &
sim_pid=$!
for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.1; done
[ -L "$link" ] || fail "the simulated recorder did not publish its port"

"$work/program/Kestrovane" &
program_pid=$!
window=""
for _ in $(seq 300); do
    window=$(xwininfo -root -tree 2>/dev/null | awk '/"Kestrovane 1.5"/ { print $1; exit }')
    [ -n "$window" ] && break
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended before showing its window"
    sleep 0.1
done
[ -n "$window" ] || fail "no window titled \"Kestrovane 1.5\" within 30 s"
sleep 1  # let the first paint finish

mkdir -p "$build_dir/screenshots"
import -window root "$build_dir/screenshots/main-window.png"
echo "screenshot: $build_dir/screenshots/main-window.png"

grep -q '^01 03 00 00 00 43 04 3B$' "$work/requests.log" || fail "the recorder was not read: $(cat "$work/requests.log")"

# Close the window as a user does: focus it and press Escape.
xdotool windowfocus --sync "$window" key Escape
for _ in $(seq 100); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program_pid" 2>/dev/null; then fail "the program still runs 10 s after its window was closed"; fi
status=0
wait "$program_pid" || status=$?
program_pid=""
[ "$status" = 0 ] || fail "the program ended with status $status"
echo "PASS"
