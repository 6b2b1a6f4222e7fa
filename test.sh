#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# GUI tests run on a private Xvfb display with openbox as window manager.
# The engine and vorncal tests are also built and run once under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh

cmake -S . -B build -DBUILD_TESTING=ON >/dev/null
cmake --build build -j2

cmake -S . -B build-sanitize -DBUILD_TESTING=ON -DVORN_SANITIZE=ON -DVORN_ENGINE_ONLY=ON >/dev/null
cmake --build build-sanitize -j2

# Qt WebEngine refuses to start its sandbox as root.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi

status=0
(cd build-sanitize && ctest --output-on-failure) || status=1
xvfb-run -a -s '-screen 0 1920x1080x24' bash -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
  cd build && ctest --output-on-failure
  rc=$?
  kill $wm 2>/dev/null
  exit $rc
' || status=1
exit $status
