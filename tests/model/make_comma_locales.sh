#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Compiles the comma-decimal locales the locale tests run under into folder $1 (use it as
# LOCPATH). Needs localedef and the locale sources of the "locales" package.
set -eu
out="$1"
mkdir -p "$out"
for name in de_DE ru_RU; do
  [ -d "$out/$name.UTF-8" ] && continue
  # localedef exits 1 for mere warnings about the source; the result is checked below instead.
  localedef -i "$name" -f UTF-8 "$out/$name.UTF-8" || true
  [ -f "$out/$name.UTF-8/LC_NUMERIC" ] || { echo "localedef did not make $name.UTF-8" >&2; exit 1; }
done
