#!/usr/bin/env bash
# The reliability suite at ten times its usual length, by hand: about an hour on two cores.
# Run after ./test.sh has built everything; prints what each program put the book through.
set -euo pipefail
cd "$(dirname "$0")/../build/bin"
export ZORP_LONG_RUN=1 QT_QPA_PLATFORM=offscreen QTEST_FUNCTION_TIMEOUT=14400000
for t in tst_workload tst_kills tst_powerloss tst_iofaults; do
  ./"$t" 2>&1 | sed -n -E 's/^QINFO *: [^ ]+ (((kills|power losses) survived|faults injected|operations checked):)/\1/p;/^FAIL/p'
done
