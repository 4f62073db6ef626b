#!/usr/bin/env bash
# Builds Brindlemark and runs the whole test suite without a display.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
# What the reliability tests put the book through, and that nothing was lost.
echo "Reliability figures:"
sed -n -E 's/^QINFO *: [^ ]+ (((kills|power losses) survived|faults injected|files tried|inputs tried|operations checked):)/  \1/p' \
  Testing/Temporary/LastTest.log
