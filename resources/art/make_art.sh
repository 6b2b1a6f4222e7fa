#!/usr/bin/env bash
# Rebuilds every picture under resources/ from make_art.cpp.
# Needs g++, pkg-config, the Qt 6 Gui development files and the fonts
# Noto Serif CJK SC, Noto Sans CJK SC and AR PL KaitiM GB (scripts/deps.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
resources="$(dirname "$here")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# shellcheck disable=SC2046
g++ -std=c++20 -O2 -fPIC -Wall -Wextra -o "$work/make_art" "$here/make_art.cpp" \
  $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/make_art" "$resources"
echo "Pictures written under $resources"
