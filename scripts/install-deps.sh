#!/usr/bin/env bash
# Installs the Debian packages that are missing, and nothing else; root is
# asked for (through sudo when the caller is not root) only to install them.
#   scripts/install-deps.sh demo   the launcher, the stand-in game, Wine, screenshots
#   scripts/install-deps.sh test   that, plus GoogleTest and clang for the tests
set -euo pipefail

profile=${1:-test}
packages=(
  cmake make g++-mingw-w64-i686 zip
  wine wine64 fonts-wine
  xvfb xauth xdotool x11-utils imagemagick
)
case "$profile" in
  demo) ;;
  # g++-mingw-w64-x86-64: the 64-bit twin, compiled for its pointer-size checks;
  # e2fsprogs: chattr, for the test drive where nothing can be deleted.
  # clang and libclang-rt-dev (libFuzzer, the sanitizers' runtimes) name the
  # release's own clang: 14 on Debian 12, 19 on Debian 13.
  test) packages+=(g++ googletest libgtest-dev clang libclang-rt-dev g++-mingw-w64-x86-64 e2fsprogs) ;;
  *) echo "install-deps: unknown profile '$profile' (demo or test)" >&2; exit 2 ;;
esac

# Some kernels cannot run 32-bit programs (32-bit emulation switched off);
# Debian's wine32 (and the i386 architecture it needs) is then of no use, and
# the scripts unpack 32-bit Wine to run under qemu-user in the clone's
# build/wine32 instead, as the user, installing nothing (see wine-env.sh and
# wine32-emulated.sh). A 93-byte i386 program that only exits tells which
# kind of machine this is before anything is installed.
can_run_32bit() {
  local probe
  probe=$(mktemp)
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000T\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' > "$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return $status
}
if can_run_32bit; then
  packages+=(wine32)
fi

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "install-deps: these packages need installing as root: ${missing[*]}" >&2
    exit 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  # wine32 is an i386 package; dpkg knows it as wine32:i386.
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    dpkg-query -W -f='${Status}' "$p:i386" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [[ " ${missing[*]} " == *" wine32 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: adding dpkg's i386 architecture (dpkg --add-architecture i386): wine32 and its libraries are i386 packages"
  as_root dpkg --add-architecture i386
fi
# A mirror caught mid-sync fails one index (seen for bookworm-security's
# i386 list) while the rest arrive. The install then goes on with what came;
# where that leaves an amd64 library newer than its i386 twin (multi-arch
# needs both at one version), it is tried once more from the release's own
# suite alone, whose two architectures always agree.
updated=yes
as_root apt-get update -q || {
  updated=no
  echo "install-deps: apt-get update reported the errors above; installing from the lists it could fetch" >&2
}
install() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@" "${missing[@]}"
}
if ! install; then
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ "$updated" = no ] && [ -n "$suite" ] || exit 1
  echo "install-deps: trying again with the packages of $suite alone" >&2
  install -t "$suite"
fi
