#!/usr/bin/env bash
# The programs that ship read no test switch: `strings` of each shows no
# SETUP_TEST_ name, while the test builds named after --test-builds do (so
# that the look itself is known to find them).
# usage: no_test_switches.sh SHIPPED... --test-builds TEST_BUILD...
set -euo pipefail
shipped=()
while [ $# -gt 0 ] && [ "$1" != --test-builds ]; do shipped+=("$1"); shift; done
shift
switches() { strings -a "$1" | grep SETUP_TEST_ || true; }
status=0
for program in "${shipped[@]}"; do
  found=$(switches "$program")
  if [ -n "$found" ]; then
    echo "FAIL: $program holds a test switch: $(echo "$found" | tr '\n' ' ')"
    status=1
  else
    echo "ok: $program holds no test switch"
  fi
done
for program in "$@"; do
  if [ -z "$(switches "$program")" ]; then
    echo "FAIL: the test build $program shows no test switch: the look finds nothing"
    status=1
  fi
done
exit $status
