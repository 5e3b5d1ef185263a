#!/usr/bin/env bash
# Installs what building, testing and running need on a fresh Debian 12 machine (run as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends \
    cmake g++ make pkg-config python3 \
    libgtest-dev libgmock-dev \
    libmodbus-dev \
    clang libclang-rt-14-dev llvm \
    libwxgtk3.2-dev xvfb xauth x11-utils xdotool imagemagick \
    locales tzdata
# A Spanish locale, to prove that numbers keep their decimal point whatever the user's locale.
if ! locale -a | grep -qi '^es_ES\.utf-\?8$'; then
    sed -i 's/^# *\(es_ES.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^es_ES.UTF-8 UTF-8' /etc/locale.gen || echo 'es_ES.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen
fi
