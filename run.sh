#!/usr/bin/env bash
# Installs what is missing, builds the calendar and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
cmake -S . -B build -DBUILD_TESTING=OFF >/dev/null
cmake --build build -j2
if [ -x build/bin/vorncalendar ]; then
  exec build/bin/vorncalendar "$@"
else
  exec build/tools/vorncal "$@"
fi
