#!/usr/bin/env bash
# End to end, read from outside as a user's tools see them: the shortcuts of a
# silent installation (lnkinfo), its Add/Remove Programs entry with the
# product's version and publisher (wine reg, wine uninstaller --list) and
# their records in log_inst.dat.
# ENTRYKEY (the host tool) must name the entry as setup.exe built with SEED does.
# usage: finishing_test.sh PREFIX HOME ARCH SETUP.exe DRIVER.exe ENTRYKEY SEED
set -uo pipefail
[ $# -eq 7 ] || { echo "usage: $0 PREFIX HOME ARCH SETUP.exe DRIVER.exe ENTRYKEY SEED" >&2; exit 2; }
SETUP_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
SETUP_WINE_ARCH=$3
setup=$4 driver=$5 entrykey=$6 seed=$7
. "$SETUP_ROOT/scripts/wine-env.sh"
wine_use_prefix "$1" "$2"
wine_prefix_ensure || exit 1
command -v lnkinfo >/dev/null || { echo "lnkinfo is missing (scripts/install-deps installs liblnk-utils)"; exit 1; }

. "$SETUP_ROOT/tests/e2e/checks.sh"
lnk_field() { lnkinfo "$(unix_path "$1")" 2>/dev/null | sed -n "s/^\t$2[[:space:]]*: //p" | head -n1; }
reg_value() {
  wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" /v "$2" $(wine_reg_view) 2>/dev/null |
    tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

# install NAME ARGS...: a silent run into C:\e2e-finishing\NAME; sets $dir
# (the installation folder) and $journal (log_inst.dat's lines).
install() {
  local name=$1
  shift
  dir="C:\\e2e-finishing\\$name\\Quasarine_II\\"
  rm -rf "$(unix_path "C:\\e2e-finishing\\$name")"
  wine "$setup" -G "-PC:\\e2e-finishing\\$name" "$@" >/dev/null 2>&1 &
  local pid=$!
  wine "$driver" --quiet --timeout 60000 box "Install complete" press OK >/dev/null 2>&1
  wait "$pid"
  check "$name: exit code" "$?" 0
  journal=$(tr -d '\r' <"$(unix_path "${dir}uninst\\log_inst.dat")" | iconv -f CP1252 -t UTF-8)
}
records() { printf '%s\n' "$journal" | grep -E "$1" || true; }

# --- English, data sharing, desktop link: all five links and the entry --------
install english -L0 -I
appdata=$(wine cmd.exe /c echo %ProgramData% 2>/dev/null | tr -d '\r')
links=$(records '^FILE:.*\.lnk$' | sed 's/^FILE://')
check "english: five links" "$(printf '%s\n' "$links" | wc -l)" 5
game="${dir}exebin\\quasarine2.exe"
uninstaller="${dir}uninst\\uninstall.exe"
while IFS= read -r link; do
  case "$link" in
    *"Uninstall Quasarine.lnk") target=$uninstaller ;;
    *) target=$game ;;
  esac
  check "$link: target" "$(lnk_field "$link" 'Local path')" "$target"
  check "$link: arguments" "$(lnk_field "$link" 'Command line arguments')" "-L 0 -P \"$appdata\""
  check "$link: working folder" "$(lnk_field "$link" 'Working directory')" "$dir"
  check "$link: icon" "$(lnk_field "$link" 'Icon location')" "$target"
  check "$link: icon index" "$(lnk_field "$link" 'Icon index')" 0
  [ -n "$(lnk_field "$link" 'Description')" ]
  check "$link: has a description" "$?" 0
done <<<"$links"
check "english: the desktop link" "$(printf '%s\n' "$links" | grep -c '\\Desktop\\Quasarine II.lnk$')" 1
# Every link's folder that did not exist is journaled before the link.
while IFS= read -r link; do
  folder=${link%\\*}
  if ! records "^DIR:" | grep -qxF "DIR:$folder" && [[ "$folder\\" != "$dir" ]]; then
    [ -d "$(unix_path "$folder")" ]
    check "$folder: exists" "$?" 0
  fi
done <<<"$links"
check "english: journal ends with itself" "$(printf '%s\n' "$journal" | tail -n1)" "FILE:${dir}uninst\\log_inst.dat"

key=$(records '^APP:' | sed 's/^APP://')
[[ "$key" =~ ^Quasarine_II__at__[0-9A-F]{32}$ ]]
check "english: one APP record named by the folder's digest ($key)" "$?" 0
check "english: entrykey names the same key" "$("$entrykey" --seed "$seed" Quasarine_II "$dir")" "$key"
check "english: DisplayName" "$(reg_value "$key" DisplayName)" "Quasarine II"
check "english: UninstallString" "$(reg_value "$key" UninstallString)" "\"$uninstaller\" -L 0 -P \"$appdata\""
check "english: QuietUninstallString" "$(reg_value "$key" QuietUninstallString)" "\"$uninstaller\" -L 0 -P \"$appdata\" -G -Q"
check "english: DisplayIcon" "$(reg_value "$key" DisplayIcon)" "$game"
check "english: InstallLocation" "$(reg_value "$key" InstallLocation)" "$dir"
check "english: NoModify" "$(reg_value "$key" NoModify)" 0x1
# The sample's [Release], as winget matches an installed program by them.
check "english: DisplayVersion" "$(reg_value "$key" DisplayVersion)" "1.2.0"
check "english: Publisher" "$(reg_value "$key" Publisher)" "Lantern Works"
check "english: listed by the system's uninstaller" \
  "$(wine uninstaller --list 2>/dev/null | tr -d '\r' | grep -cxF "$key|||Quasarine II")" 1
english_key=$key english_links=$links
english_dirs=$(records '^DIR:' | sed 's/^DIR://' | grep -vF 'C:\e2e-finishing' | tac)

# --- German, no data sharing, no start menu, no registry ----------------------
install german -L1000 -S -M -R
links=$(records '^FILE:.*\.lnk$' | sed 's/^FILE://')
check "german -M: only the two links in the installation folder" "$links" \
  "$(printf '%s\n' "${dir}Quasarine II.lnk" "${dir}Quasarine II löschen.lnk")"
check "german -S: arguments" "$(lnk_field "${dir}Quasarine II.lnk" 'Command line arguments')" "-L 1000"
check "german -R: no APP record" "$(records '^APP:')" ""

# --- clean up what reaches outside the test folders ----------------------------
wine reg delete "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$english_key" /f $(wine_reg_view) >/dev/null 2>&1
check "the entry is gone after removal" "$(reg_value "$english_key" DisplayName)" ""
while IFS= read -r link; do rm -f "$(unix_path "$link")"; done <<<"$english_links"
while IFS= read -r folder; do [ -z "$folder" ] || rmdir "$(unix_path "$folder")" 2>/dev/null; done <<<"$english_dirs"
rm -rf "$(unix_path 'C:\e2e-finishing')"

echo "finishing: $((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
