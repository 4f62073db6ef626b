#!/usr/bin/env bash
# Builds Brindlemark and runs the whole test suite without a display.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh --tests
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
# What the reliability tests put the book through, and that nothing was lost.
echo "Reliability figures:"
sed -n -E 's/^QINFO *: [^ ]+ (((kills|power losses) survived|faults injected|files tried|inputs tried|operations checked):)/  \1/p' \
  Testing/Temporary/LastTest.log
# The programs that write files or read typed text, once more as a German user: what they
# write must not change, and what they read must still be taken.
echo "Under LANG=de_DE.UTF-8:"
LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" \
  -R 'tst_(money|workbook|xlswriter|xlsxwriter|csvwriter|exporter|f1book|SaveAs|ReportBase|ExpenseReport|SalesReport|ProfitLoss|BaseScreen|DayScreens|TransactionScreens|ProgramWalk)$'
