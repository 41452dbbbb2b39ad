#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts the console on the virtual amplifier.
# Extra arguments go to the console (e.g. --device hid for a real amplifier).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
args=("$@")
[ ${#args[@]} -eq 0 ] && args=(--device virtual)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display found (DISPLAY/WAYLAND_DISPLAY unset); starting under QT_QPA_PLATFORM=offscreen" >&2
  export QT_QPA_PLATFORM=offscreen
fi
exec build/bin/mirelune "${args[@]}"
