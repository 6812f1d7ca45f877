#!/usr/bin/env bash
# A maker's release, end to end through scripts/build-setup:
# - reproduction: the sample product, copied to another folder, built with
#   the same seed in a build folder of its own gives the very bytes of the
#   sample setup.exe the test build made earlier in its own folder;
# - signing with a throwaway certificate: a wrong password, a missing
#   certificate or password file fail before anything is written; the signed
#   setup.exe and the uninstaller it installs pass `osslsigncode verify`;
#   signing changed only the header checksum and the certificate-table entry
#   and appended the signature; the payload still checks; the signed setup
#   installs and its uninstaller removes the installation; one changed byte
#   of the payload is refused (exit 2) and breaks the signature; with
#   SOURCE_DATE_EPOCH two signed builds are the same bytes.
# usage: release_test.sh PREFIX HOME ARCH BUILD_ROOT SAMPLE_SETUP.exe DRIVER.exe PRODUCT SEED
set -uo pipefail
[ $# -eq 8 ] || { echo "usage: $0 PREFIX HOME ARCH BUILD_ROOT SAMPLE_SETUP.exe DRIVER.exe PRODUCT SEED" >&2; exit 2; }
SETUP_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
SETUP_WINE_ARCH=$3
build_root=$4 sample=$5 driver=$6 product=$7 seed=$8
. "$SETUP_ROOT/scripts/wine-env.sh"
wine_use_prefix "$1" "$2"
wine_prefix_ensure || exit 1

. "$SETUP_ROOT/tests/e2e/checks.sh"

tmp=$(mktemp -d)
work=""
cleanup() {
  rm -rf "$tmp"
  # The product's build folder below BUILD_ROOT/products is this test's own.
  [ -z "$work" ] || rm -rf "$work"
}
trap cleanup EXIT

# The host tools and the build folders of BUILD_ROOT; the Windows program is
# compiled anew in a folder of its own, for a product in another place.
export SETUP_BUILD_DIR=$build_root
build_setup() {  # build_setup OUT.exe ARGS...: build-setup's output in $tmp/build.log
  local out=$1
  shift
  "$SETUP_ROOT/scripts/build-setup" "$tmp/product" "$out" --seed "$seed" --arch "$SETUP_WINE_ARCH" "$@" \
    >"$tmp/build.log" 2>&1
}
cp -a "$product" "$tmp/product"

# --- the same bytes from another build folder, at another time ---------------
start=$(date +%s%N)
build_setup "$tmp/plain.exe"
check "reproduction: build-setup exit code" "$?" 0
echo "release: build-setup compiled the program anew in $((($(date +%s%N) - start) / 1000000)) ms"
work=$(grep -l "^SETUP_PRODUCT_DIR:[A-Z]*=$tmp/product\$" "$build_root"/products/*/CMakeCache.txt 2>/dev/null | head -n1)
work=${work%/CMakeCache.txt}
[ -n "$work" ]
check "reproduction: the product's build folder found" "$?" 0
cmp "$sample" "$tmp/plain.exe" >/dev/null
check "reproduction: the same bytes as the sample's setup.exe ($sample)" "$?" 0

# --- a throwaway certificate, with a password ---------------------------------
openssl req -x509 -newkey rsa:2048 -keyout "$tmp/key.pem" -out "$tmp/cert.pem" -days 2 -nodes \
  -subj "/CN=Release test signer" >/dev/null 2>&1
printf 'throwaway secret\n' >"$tmp/password"
printf 'something else\n' >"$tmp/wrong"
openssl pkcs12 -export -inkey "$tmp/key.pem" -in "$tmp/cert.pem" -out "$tmp/cert.pfx" -passout "file:$tmp/password"
check "openssl made the certificate" "$?" 0

# --- refused before anything is written ----------------------------------------
while IFS='|' read -r what args message; do
  mkdir -p "$tmp/refused"
  printf 'older\n' >"$tmp/refused/setup.exe"
  eval "set -- $args"
  build_setup "$tmp/refused/setup.exe" "$@"
  rc=$?
  check "$what: fails" "$([ "$rc" -ne 0 ] && echo yes)" yes
  check "$what: says why" "$(grep -c -- "$message" "$tmp/build.log")" 1
  check "$what: nothing in the output folder" "$(ls -A "$tmp/refused")" ""
done <<EOF
wrong password|--sign "$tmp/cert.pfx" --sign-password-file "$tmp/wrong"|does not open with the password in
no password file given|--sign "$tmp/cert.pfx"|does not open without a password
missing certificate|--sign "$tmp/none.pfx" --sign-password-file "$tmp/password"|certificate file .* does not exist
missing password file|--sign "$tmp/cert.pfx" --sign-password-file "$tmp/none"|does not exist or cannot be read
password file without a certificate|--sign-password-file "$tmp/password"|go with --sign
EOF

# --- options refused as given (exit code 2), before anything else -------------
while IFS='|' read -r what args message; do
  eval "set -- $args"
  build_setup "$tmp/refused.exe" "$@"
  check "$what: exit code" "$?" 2
  check "$what: says why" "$(grep -c -- "$message" "$tmp/build.log")" 1
done <<EOF
compression level 0|--compress=0|--compress takes max or a level from 1 to 22
compression level 23|--compress=23|--compress takes max or a level from 1 to 22
compression level with a leading zero|--compress=03|--compress takes max or a level from 1 to 22
compression by a name other than max|--compress=fast|--compress takes max or a level from 1 to 22
compression with an empty level|--compress=|--compress takes max or a level from 1 to 22
compression level as a separate argument|--compress 19|usage:
EOF

# --- signed --------------------------------------------------------------------
build_setup "$tmp/signed.exe" --sign "$tmp/cert.pfx" --sign-password-file "$tmp/password"
check "signed: build-setup exit code" "$?" 0
check "signed: both programs named as signed" "$(grep -c '^build-setup: signed ' "$tmp/build.log")" 2
verify() { osslsigncode verify -CAfile "$tmp/cert.pem" -in "$1" >"$tmp/verify.log" 2>&1; }
verify "$tmp/signed.exe"
check "signed: osslsigncode verifies setup.exe" "$?" 0
# What signing changed: the header checksum and the certificate-table entry,
# and what it appended; the payload inside is the one the build made.
python3 - "$work/resources/setup.exe" "$tmp/signed.exe" <<'PY'
import struct, sys
plain, signed = (open(p, "rb").read() for p in sys.argv[1:3])
pe = struct.unpack_from("<I", plain, 0x3C)[0]
optional = pe + 24
dirs = optional + (96 if struct.unpack_from("<H", plain, optional)[0] == 0x10B else 112)
allowed = set(range(optional + 64, optional + 68)) | set(range(dirs + 4 * 8, dirs + 5 * 8))
head = signed[:len(plain)]
changed = [i for i in range(len(plain)) if plain[i] != head[i] and i not in allowed]
table_offset, table_size = struct.unpack_from("<II", signed, dirs + 4 * 8)
sys.exit(0 if not changed and table_offset >= len(plain) and table_offset + table_size == len(signed) else 1)
PY
check "signed: only the checksum and the certificate entry changed, the signature appended" "$?" 0
"$build_root/host/bin/mkfileset" --seed "$seed" --list "$tmp/signed.exe" >"$tmp/list.log" 2>&1
check "signed: the payload's digest and checksums match" "$?" 0

# Installed, the uninstaller is signed too; it removes the installation.
dir='C:\e2e-release\Quasarine_II\'
rm -rf "$(unix_path 'C:\e2e-release')"
wine "$tmp/signed.exe" -G '-PC:\e2e-release' >/dev/null 2>&1 &
pid=$!
wine "$driver" --quiet --timeout 60000 box "Install complete" press OK >/dev/null 2>&1
wait "$pid"
check "signed: installs under Wine" "$?" 0
installed_uninstaller=$(unix_path "${dir}uninst\\uninstall.exe")
verify "$installed_uninstaller"
check "signed: osslsigncode verifies the installed uninstaller" "$?" 0
key=$(tr -d '\r' <"$(unix_path "${dir}uninst\\log_inst.dat")" | sed -n 's/^APP://p' | tail -n1)
wine "$installed_uninstaller" -G >/dev/null 2>&1 &
pid=$!
wine "$driver" --quiet --timeout 60000 box "Uninstall complete" press OK >/dev/null 2>&1
wait "$pid"
check "signed: its uninstaller runs (exit code)" "$?" 0
[ -z "$key" ] || wine reg delete "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key" /f \
  $(wine_reg_view) >/dev/null 2>&1

# One byte of a packed file changed: refused, and no longer signed.
python3 - "$tmp/signed.exe" "$tmp/product/files/exebin/quasarine2.exe" "$tmp/damaged.exe" <<'PY'
import sys
setup = bytearray(open(sys.argv[1], "rb").read())
packed = open(sys.argv[2], "rb").read()
at = setup.find(packed)
if at < 0 or setup.find(packed, at + 1) >= 0:
    sys.exit("the packed game program is not found once in the signed setup")
setup[at + len(packed) // 2] ^= 0x01
open(sys.argv[3], "wb").write(setup)
PY
check "damaged: one payload byte changed" "$?" 0
verify "$tmp/damaged.exe"
check "damaged: the signature no longer verifies" "$([ $? -ne 0 ] && echo refused)" refused
rm -rf "$(unix_path 'C:\e2e-release')"
wine "$tmp/damaged.exe" -G '-PC:\e2e-release' >/dev/null 2>&1
check "damaged: setup.exe refuses it (exit code)" "$?" 2
check "damaged: nothing installed" "$([ -e "$(unix_path "$dir")" ] && echo installed)" ""

# With a fixed signing time, two signed builds are the same bytes.
SOURCE_DATE_EPOCH=1700000000 build_setup "$tmp/first.exe" --sign "$tmp/cert.pfx" --sign-password-file "$tmp/password"
check "fixed signing time: first build" "$?" 0
sleep 1
SOURCE_DATE_EPOCH=1700000000 build_setup "$tmp/second.exe" --sign "$tmp/cert.pfx" --sign-password-file "$tmp/password"
check "fixed signing time: second build" "$?" 0
cmp "$tmp/first.exe" "$tmp/second.exe" >/dev/null
check "fixed signing time: the same bytes" "$?" 0

rm -rf "$(unix_path 'C:\e2e-release')"
echo "release: $((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
