#!/usr/bin/env bash
# Start-up time: from the program's process start to its main window shown with a completed
# read-out of the paced simulated recorder (115200 baud), and the program's peak resident memory.
# Usage: startup-bench.sh PROGRAM_FOLDER [RUNS]   (runs under xvfb-run when there is no display)
set -euo pipefail
program_dir=$1
runs=${2:-10}

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d /tmp/kestrovane-bench-XXXXXX)
sim_pid=""
trap '[ -n "$sim_pid" ] && kill $sim_pid 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/program" "$work/config/Orvastel/Kestrovane/ports" "$work/runtime"
cp "$program_dir/Kestrovane" "$program_dir"/Kestrovane.*.stc "$program_dir/Kestrovane.ico" "$work/program/"
printf '%s' '<?xml version="1.0" encoding="UTF-8" standalone="yes"?><config><productName>Kestrovane</productName><icono>Kestrovane.ico</icono><port>7</port></config>' \
    > "$work/program/default.xcfg"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" GSETTINGS_BACKEND=memory LANG=C.UTF-8 NO_AT_BRIDGE=1

link="$XDG_CONFIG_HOME/Orvastel/Kestrovane/ports/com7"
"$program_dir/recorder-sim" --link "$link" --request-log "$work/requests.log" &
sim_pid=$!
for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.1; done
[ -L "$link" ] || { echo "the simulated recorder did not start" >&2; exit 1; }

times=()
peaks=()
for run in $(seq "$runs"); do
    reads_before=$(wc -l < "$work/requests.log")
    start=$(date +%s%N)
    "$work/program/Kestrovane" &
    pid=$!
    until xwininfo -name "Kestrovane 1.5" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { echo "run $run: the program ended early" >&2; exit 1; }
        sleep 0.005  # unpaced, the poll starts hundreds of X clients a second beside the program
    done
    shown=$(date +%s%N)
    [ "$(wc -l < "$work/requests.log")" -gt "$reads_before" ] || { echo "run $run: no read-out" >&2; exit 1; }
    sleep 0.5
    peaks+=("$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status")")
    window=$(xwininfo -name "Kestrovane 1.5" | awk '/Window id:/ { print $4 }')
    xdotool windowfocus --sync "$window" key Escape
    wait "$pid"
    times+=($(( (shown - start) / 1000000 )))
done

sorted=($(printf '%s\n' "${times[@]}" | sort -n))
median=${sorted[$(( runs / 2 ))]}
# One exchange: 40 ms of quiet time, then 8 request and 139 reply bytes of 10 bits at 115200 baud.
floor=$(awk 'BEGIN { printf "%.1f", 40 + (8 + 139) * 10 * 1000 / 115200 }')
peak=$(printf '%s\n' "${peaks[@]}" | sort -n | tail -1)
echo "start-up to window with read-out, ms (each run): ${times[*]}"
echo "median ${median} ms, min ${sorted[0]} ms, max ${sorted[$(( runs - 1 ))]} ms"
echo "floor of one exchange ${floor} ms; target under floor + 400 = $(awk "BEGIN { print $floor + 400 }") ms"
echo "peak resident memory ${peak} kB"
