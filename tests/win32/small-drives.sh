#!/bin/sh
# small-drives.sh mount|unmount DIR: two tiny drives under DIR for the cases
# of the picture copy, the settings save and the launcher that only a nearly
# full disk shows, as a player's disk or a locked-down folder would:
# `one-copy` (100 KiB: room for one more picture but not two, and filled
# further by the tests) and `no-new-file` (two inodes: its root and the
# target, so a file may be rewritten but no new one created). Mounting needs
# root, or sudo without a password; without either the drives are not made
# and the cases that need them fail saying so.
set -u
action=$1 dir=$2
if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root="sudo -n"; fi
for drive in one-copy no-new-file; do
  mkdir -p "$dir/$drive"
  if [ "$action" = mount ]; then
    mountpoint -q "$dir/$drive" && $as_root umount "$dir/$drive"
    case $drive in
      one-copy) options=size=100k ;;
      no-new-file) options=size=100k,nr_inodes=2 ;;
    esac
    $as_root mount -t tmpfs -o "$options,mode=1777" tmpfs "$dir/$drive" ||
      echo "small-drives: cannot mount $dir/$drive (needs root or sudo)" >&2
  else
    mountpoint -q "$dir/$drive" && $as_root umount "$dir/$drive"
  fi
done
exit 0
