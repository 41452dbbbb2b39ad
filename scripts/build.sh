#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, configures build/ (once) and builds. Fast when nothing changed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if [ ! -f build/build.ninja ]; then
  cmake --preset default >/dev/null
fi
cmake --build build --parallel "$(nproc)"
