#!/bin/sh
# Mounts (or unmounts) a 128 KB tmpfs for the disk-full tests. Needs root; without it the tests
# that use it skip, saying why. The marker file tells them the mount is really there.
dir=${2:?usage: small_disk.sh mount|unmount DIR}
case $1 in
  mount)
    mkdir -p "$dir"
    mountpoint -q "$dir" && umount "$dir"
    if [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=128k tmpfs "$dir" 2>/dev/null; then
      touch "$dir/.small-disk"
      echo "small disk mounted at $dir"
    else
      echo "not mounted (needs root): the disk-full tests will skip"
    fi ;;
  unmount)
    if mountpoint -q "$dir"; then umount "$dir"; fi
    rmdir "$dir" 2>/dev/null || true ;;
esac
exit 0
