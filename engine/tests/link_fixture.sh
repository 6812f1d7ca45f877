#!/bin/sh
# Test fixture: in the prefix's drive C:, setup-link-test/tree/sub/link is a
# Unix symbolic link to setup-link-test/outside, which holds keep.txt.
# usage: link_fixture.sh setup|cleanup PREFIX
set -u
[ $# -eq 2 ] || { echo "usage: $0 setup|cleanup PREFIX" >&2; exit 2; }
root="$2/drive_c/setup-link-test"
case "$1" in
  setup)
    rm -rf "$root"
    mkdir -p "$root/outside" "$root/tree/sub" || exit 1
    printf 'keep me\n' > "$root/outside/keep.txt"
    ln -s "$root/outside" "$root/tree/sub/link"
    ;;
  cleanup) rm -rf "$root" ;;
  *) echo "unknown action $1" >&2; exit 2 ;;
esac
