#!/usr/bin/env bash
# Rebuilds every picture under resources/ from make_art.cpp.
# Usage: make_art.sh [build folder]   (default: build/ at the top of the tree)
# Builds the make_art target of that build (configuring it first if it has
# never been configured) and runs it. Needs what the ordinary build needs and
# the fonts Noto Serif CJK SC, Noto Sans CJK SC and AR PL KaitiM GB
# (scripts/deps.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
resources="$(dirname "$here")"
top="$(dirname "$resources")"
build="${1:-$top/build}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" >/dev/null
fi
cmake --build "$build" --target make_art -j2
QT_QPA_PLATFORM=offscreen "$build/resources/art/make_art" "$resources"
echo "Pictures written under $resources"
