#!/usr/bin/env bash
# On real windows under a virtual X server: opens the download from the main window with the
# keyboard, downloads the simulated recorder's memory into the program's folder (no folder is
# stored yet), takes a screenshot of the progress dialog and checks the result and the CSV files.
# Usage: real_window_download_test.sh PROGRAM_FOLDER BUILD_FOLDER
source "$(dirname "$0")/real_window_session.sh" "$@"
export TZ=UTC

# The X window of the first top-level window titled exactly $1, within $2 tenths of a second.
find_window() {
    local found=""
    for _ in $(seq "$2"); do
        found=$(xwininfo -root -tree 2>/dev/null | awk -v title="\"$1\":" 'index($0, title) { print $1; exit }')
        [ -n "$found" ] && break
        kill -0 "$program_pid" 2>/dev/null || fail "the program ended while waiting for \"$1\""
        sleep 0.1
    done
    echo "$found"
}

# 2400 records in two pages of 1800 registers: about three seconds at the line's pace.
start_recorder --pages 4 --page-size 1800 --logs 2000 --events 400

"$work/program/Kestrovane" &
program_pid=$!
main=$(find_window "Kestrovane 1.5" 300)
[ -n "$main" ] || fail "no main window within 30 s"
sleep 1

# The Parameters button has the focus: one tab reaches the Download button.
xdotool windowfocus --sync "$main" key Tab Return
download=$(find_window "Download the recorder's memory" 100)
[ -n "$download" ] || fail "the download dialog did not open"
sleep 0.5
xdotool windowfocus --sync "$download" key Return

progress=$(find_window "Download" 50)
[ -n "$progress" ] || fail "the progress dialog did not appear"
sleep 0.5
mkdir -p "$build_dir/screenshots"
import -window root "$build_dir/screenshots/progress-download.png"
echo "screenshot: $build_dir/screenshots/progress-download.png"

# The message box, titled with the program's name (a hidden window of the toolkit has that name too).
result=$(timeout 20 xdotool search --sync --onlyvisible --name '^Kestrovane$' 2>/dev/null | head -n 1 || true)
[ -n "$result" ] || fail "no result message within 20 s"
xdotool windowfocus --sync "$result" key Return

day=$(date +%d%m%Y)
logs="$work/program/logs_$day.csv"
events="$work/program/events_$day.csv"
[ "$(wc -l < "$logs")" = 2000 ] || fail "the logs file has $(wc -l < "$logs") lines"
[ "$(wc -l < "$events")" = 400 ] || fail "the events file has $(wc -l < "$events") lines"
[ "$(head -n 1 "$logs")" = $'01/01/2024 00:00:00,230.00\r' ] || fail "the first log line is $(head -n 1 "$logs" | od -c)"

# After the message the download dialog closes; then Escape closes the main window.
for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^Download the recorder's memory\$" >/dev/null 2>&1 || break
    sleep 0.1
done
sleep 0.5
# The focus went with the closed dialogs: a click on the main window's background brings it back.
xdotool mousemove --window "$main" 5 5 click 1 windowfocus --sync "$main" key Escape
expect_program_end
echo "PASS"
