#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages Mirelune builds and tests with, only those missing.
# Idempotent: when everything is present it returns at once without touching apt.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libhidapi-dev
  libfftw3-dev qt6-multimedia-dev pulseaudio
  qt6-httpserver-dev qt6-websockets-dev libqrencode-dev
  libmosquitto-dev mosquitto openssl
  chromium chromium-driver
  googletest libgtest-dev libgmock-dev
  libbenchmark-dev
  fonts-wqy-microhei fontconfig
  locales
  xvfb xdotool  # bench/display.sh: the console on a real X display, driven by the pointer
  zsh fish
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
