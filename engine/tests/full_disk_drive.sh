#!/bin/sh
# Test fixture: a 1 MiB tmpfs as Wine drive Q: (or the letter given), so the
# extraction can meet a full disk, a read-only drive R:, and a 512 KiB tmpfs
# as drive S:, smaller than the sample product, for the free-space check.
# Mounting needs root; without it the drive is left out and the tests that
# need it skip.
# usage: full_disk_drive.sh setup|cleanup PREFIX HOME MOUNT_DIR LETTER ARCH
set -u
[ $# -eq 6 ] || { echo "usage: $0 setup|cleanup PREFIX HOME MOUNT_DIR LETTER i686|x86_64" >&2; exit 2; }
action=$1 prefix=$2 home=$3 dir=$4 letter=$5 SETUP_WINE_ARCH=$6
SETUP_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$SETUP_ROOT/scripts/wine-env.sh"
wine_use_prefix "$prefix" "$home"
link="$WINEPREFIX/dosdevices/$letter:"
# Beside it, drive R: is read-only (a read-only bind mount) with one folder,
# "existing", for the checks that must refuse an unwritable folder.
ro_dir="$dir-ro" ro_source="$dir-ro-source" ro_link="$WINEPREFIX/dosdevices/r:"
small_dir="$dir-small" small_link="$WINEPREFIX/dosdevices/s:"

release() {
  rm -f "$link" "$ro_link" "$small_link"
  if mountpoint -q "$dir"; then umount "$dir" || return 1; fi
  if mountpoint -q "$ro_dir"; then umount "$ro_dir" || return 1; fi
  if mountpoint -q "$small_dir"; then umount "$small_dir" || return 1; fi
  [ ! -d "$dir" ] || rmdir "$dir"
  [ ! -d "$ro_dir" ] || rmdir "$ro_dir"
  [ ! -d "$small_dir" ] || rmdir "$small_dir"
  rm -rf "$ro_source"
}

read_only_drive() {
  mkdir -p "$ro_source/existing" "$ro_dir" || return 1
  mount --bind "$ro_source" "$ro_dir" 2>/dev/null || return 1
  if ! mount -o remount,bind,ro "$ro_dir" 2>/dev/null; then umount "$ro_dir"; return 1; fi
  ln -sfn "$ro_dir" "$ro_link"
}

case "$action" in
  setup)
    if [ "$(id -u)" != 0 ]; then
      echo "not root: drive $letter: not set up, the full-disk tests will skip"
      exit 0
    fi
    wine_prefix_ensure || exit 1
    release || exit 1
    mkdir -p "$dir" || exit 1
    # Root in a container without the mount privilege cannot do this either.
    if ! mount -t tmpfs -o size=1m tmpfs "$dir"; then
      rmdir "$dir" 2>/dev/null
      echo "cannot mount a tmpfs here: drive $letter: not set up, the full-disk tests will skip"
      exit 0
    fi
    ln -sfn "$dir" "$link" || exit 1
    echo "drive $letter: is a 1 MiB tmpfs at $dir"
    mkdir -p "$small_dir" && mount -t tmpfs -o size=512k tmpfs "$small_dir" || exit 1
    ln -sfn "$small_dir" "$small_link" || exit 1
    echo "drive s: is a 512 KiB tmpfs at $small_dir"
    if read_only_drive; then
      echo "drive r: is read-only at $ro_dir"
    else
      echo "cannot bind-mount read-only here: drive r: not set up, its tests will skip"
    fi
    ;;
  cleanup)
    release
    ;;
  *)
    echo "unknown action $action" >&2
    exit 2
    ;;
esac
