#!/usr/bin/env bash
# Starts the program on real windows under a virtual X server against the simulated recorder on
# COM7, waits for its main window, takes a screenshot, checks that the recorder was read, opens
# the configuration dialog and closes it with Escape without writing, and checks that closing the
# main window ends the program.
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

# The Parameters button opens the configuration dialog: a click at the button's centre, which
# is (79, 233) of the window's 462 x 256 dialog units.
eval "$(xwininfo -id "$window" | awk '/Absolute upper-left X/ { print "x=" $4 } /Absolute upper-left Y/ { print "y=" $4 }
                                      /Width:/ { print "width=" $2 } /Height:/ { print "height=" $2 }')"
xdotool mousemove --sync $((x + width * 79 / 462)) $((y + height * 233 / 256)) click 1
dialog=""
for _ in $(seq 100); do
    dialog=$(xwininfo -root -tree 2>/dev/null | awk '/"Operating parameters"/ { print $1; exit }')
    [ -n "$dialog" ] && break
    sleep 0.1
done
[ -n "$dialog" ] || fail "the Parameters button opened no configuration dialog within 10 s"
sleep 1
import -window root "$build_dir/screenshots/configuration-dialog.png"
echo "screenshot: $build_dir/screenshots/configuration-dialog.png"
xdotool windowfocus --sync "$dialog" key Escape
for _ in $(seq 100); do xwininfo -id "$dialog" 2>/dev/null | grep -q IsViewable || break; sleep 0.1; done
xwininfo -id "$dialog" 2>/dev/null | grep -q IsViewable && fail "Escape did not close the configuration dialog"
grep -q '^01 03 00 08 00 0B ' "$work/requests.log" || fail "the dialog did not read registers 8-18"
if grep -q '^01 10 ' "$work/requests.log"; then fail "Escape wrote to the recorder: $(cat "$work/requests.log")"; fi
[ "$(grep -c '^01 03 00 00 00 43' "$work/requests.log")" = 1 ] || fail "the recorder was read again after Escape"

# Close the window as a user does: focus it and press Escape.
xdotool windowfocus --sync "$window" key Escape
expect_program_end
echo "PASS"
