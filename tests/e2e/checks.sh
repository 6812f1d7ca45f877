# Sourced by the end-to-end shell tests: counted checks and the prefix's
# drives as host paths. The caller sets WINEPREFIX (wine_use_prefix).

failures=0 checks=0
check() {  # check WHAT ACTUAL EXPECTED
  checks=$((checks + 1))
  if [ "$2" != "$3" ]; then
    failures=$((failures + 1))
    printf 'FAILED: %s\n  got:      %s\n  expected: %s\n' "$1" "$2" "$3"
  fi
}
unix_path() {  # C:\a\b -> the host path in the prefix
  local p=${1//\\//}
  local drive=${p:0:1}
  printf '%s/dosdevices/%s:%s' "$WINEPREFIX" "${drive,,}" "${p:2}"
}
