#!/bin/sh
# Test fixture: a 1 MiB tmpfs as Wine drive Q: (or the letter given), so the
# extraction can meet a full disk. Mounting needs root; without it the drive
# is left out and the tests that need it skip.
# usage: full_disk_drive.sh setup|cleanup PREFIX HOME MOUNT_DIR LETTER ARCH
set -u
[ $# -eq 6 ] || { echo "usage: $0 setup|cleanup PREFIX HOME MOUNT_DIR LETTER i686|x86_64" >&2; exit 2; }
action=$1 prefix=$2 home=$3 dir=$4 letter=$5 SETUP_WINE_ARCH=$6
SETUP_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$SETUP_ROOT/scripts/wine-env.sh"
wine_use_prefix "$prefix" "$home"
link="$WINEPREFIX/dosdevices/$letter:"

release() {
  rm -f "$link"
  if mountpoint -q "$dir"; then umount "$dir" || return 1; fi
  [ ! -d "$dir" ] || rmdir "$dir"
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
    ;;
  cleanup)
    release
    ;;
  *)
    echo "unknown action $action" >&2
    exit 2
    ;;
esac
