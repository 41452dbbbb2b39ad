#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Redraws the pictures of the user guide (docs/guide.zh.md, docs/guide.en.md) from the console
# itself: mirelune-screenshots opens its windows on the virtual amplifier on the offscreen
# platform, in Chinese and in English, and writes docs/images/NAME-zh.png and NAME-en.png.
# Run it after a change of a window the guide shows and commit the pictures.
#
#   scripts/screenshots.sh [OUTDIR]      (default: docs/images)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/images}"
scripts/install-deps.sh
if [ ! -f build/build.ninja ]; then
  cmake --preset default >/dev/null
fi
cmake --build build --target mirelune-screenshots >/dev/null
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen build/bin/mirelune-screenshots "$out" \
  2> >(grep -v -e 'This plugin does not support' -e 'XDG_RUNTIME_DIR not set' >&2 || true)
