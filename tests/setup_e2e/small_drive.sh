#!/bin/sh
# A 2 MiB drive for the tests of a full disk: a tmpfs mounted at the given folder ("up"), and
# unmounted again ("down"). Mounting needs root; without it the folder stays an ordinary one and
# the tests that need a full disk say so and skip.
set -u
dir="$2"
case "$1" in
  up)
    mkdir -p "$dir" || exit 1
    if ! mountpoint -q "$dir"; then
      mount -t tmpfs -o size=2m,mode=0777 tmpfs "$dir" 2>/dev/null ||
        echo "no 2 MiB drive at $dir: mounting a tmpfs needs root"
    fi
    ;;
  down)
    if mountpoint -q "$dir"; then umount "$dir"; fi
    rmdir "$dir" 2>/dev/null
    ;;
esac
exit 0
