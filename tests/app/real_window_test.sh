#!/usr/bin/env bash
# Starts the program on real windows under a virtual X server against the simulated recorder on
# COM7, waits for its main window, takes a screenshot, checks that the recorder was read and that
# closing the window ends the program.
# Usage: real_window_test.sh PROGRAM_FOLDER BUILD_FOLDER
source "$(dirname "$0")/real_window_session.sh" "$@"
start_recorder --request-log "$work/requests.log" --set 3=42

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
expect_program_end
echo "PASS"
