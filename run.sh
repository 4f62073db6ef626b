#!/usr/bin/env bash
# Installs what is missing, builds Brindlemark and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Brindlemark is built (build/bin/ZORP), but it is a desktop program and this session has no display."
  echo "Start it from a graphical desktop session, where DISPLAY or WAYLAND_DISPLAY is set."
  exit 1
fi
exec ./build/bin/ZORP
