#!/usr/bin/env bash
# The README's exit-code table is the one list's (core/exit_codes.h), as the
# host tool exitcodes prints it.
# usage: readme_exit_codes.sh EXITCODES README
set -euo pipefail
expected=$("$1" --markdown)
actual=$(sed -n '/^### Exit codes/,/^### /p' "$2" | grep '^|')
if [ "$expected" != "$actual" ]; then
  echo "The README's exit-code table differs from the list; it should read:"
  echo "$expected"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "ok: the README's exit-code table is the list"
