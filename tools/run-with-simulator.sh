#!/usr/bin/env bash
# Shows the program reading a simulated recorder: installs what is missing (Debian 12, as root or
# through sudo), builds the program and the simulator, publishes the simulator's pseudo-terminal
# as COM7 (KESTROVANE_COM_PORT to choose another), stores that port in the program's
# default.xcfg and starts the program. It needs a display (an X or Wayland desktop, or
# xvfb-run). Extra arguments go to the simulator (see build/bin/recorder-sim --help).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
port=${KESTROVANE_COM_PORT:-7}
build="$root/build"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run-with-simulator: no display; run it on a desktop, or as: xvfb-run -a $0" >&2
    exit 1
fi
if ! dpkg -s cmake g++ pkg-config libwxgtk3.2-dev libgtest-dev libgmock-dev libmodbus-dev >/dev/null 2>&1; then
    if [ "$(id -u)" = 0 ]; then bash "$root/tools/install-dependencies.sh"; else sudo bash "$root/tools/install-dependencies.sh"; fi
fi
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target Kestrovane recorder-sim language_files

ports="${XDG_CONFIG_HOME:-$HOME/.config}/Orvastel/Kestrovane/ports"
mkdir -p "$ports"
link="$ports/com$port"
"$build/bin/recorder-sim" --link "$link" "$@" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.1; done
[ -L "$link" ] || { echo "run-with-simulator: the simulator did not start" >&2; exit 1; }

# Select the port: replace the stored one, or add it, keeping the rest of the file.
config="$build/bin/default.xcfg"
if [ -f "$config" ] && grep -q '<port>[^<]*</port>' "$config"; then
    sed -i "s|<port>[^<]*</port>|<port>$port</port>|" "$config"
elif [ -f "$config" ] && grep -q '</config>' "$config"; then
    sed -i "s|</config>|<port>$port</port></config>|" "$config"
else
    printf '%s' "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><config><productName>Kestrovane</productName><icono>Kestrovane.ico</icono><port>$port</port></config>" > "$config"
fi
echo "Simulated recorder on COM$port ($link -> $(readlink "$link")); starting the program."
"$build/bin/Kestrovane"
