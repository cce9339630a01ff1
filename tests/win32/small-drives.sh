#!/bin/sh
# small-drives.sh mount|unmount DIR: four tiny drives under DIR for the cases
# of the picture copy, the settings save and the launcher that only a nearly
# full disk or a locked-down folder shows, as a player's machine would:
# `one-copy` (100 KiB: room for one more picture but not two, and filled
# further by the tests), `no-new-file` (two inodes: its root and the target,
# so a file may be rewritten but no new one created), `no-delete`
# (append-only: files may be created and written there, but neither deleted
# nor renamed) and `device`, whose one file, `full`, is a twin of /dev/full
# (every write fails as on a full disk) that any account may write, with room
# beside it as root has in /dev. Mounting needs root, or sudo without a
# password; without either the drives are not made and the cases that need
# them fail saying so.
set -u
action=$1 dir=$2
if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root="sudo -n"; fi
for drive in one-copy no-new-file no-delete device; do
  mkdir -p "$dir/$drive"
  if [ "$action" = mount ]; then
    mountpoint -q "$dir/$drive" && $as_root umount "$dir/$drive"
    case $drive in
      one-copy) options=size=100k ;;
      no-new-file) options=size=100k,nr_inodes=2 ;;
      no-delete | device) options=size=100k ;;
    esac
    if ! $as_root mount -t tmpfs -o "$options,mode=1777" tmpfs "$dir/$drive"; then
      echo "small-drives: cannot mount $dir/$drive (needs root or sudo)" >&2
    elif [ $drive = no-delete ] && ! $as_root chattr +a "$dir/$drive"; then
      echo "small-drives: cannot make $dir/$drive append-only (needs chattr and a kernel whose tmpfs takes it)" >&2
      $as_root umount "$dir/$drive"
    elif [ $drive = device ] && ! $as_root mknod -m 666 "$dir/$drive/full" c 1 7; then
      echo "small-drives: cannot make the device $dir/$drive/full" >&2
      $as_root umount "$dir/$drive"
    fi
  else
    mountpoint -q "$dir/$drive" && $as_root umount "$dir/$drive"
  fi
done
exit 0
