#!/usr/bin/env bash
# Benchmarks: builds Quillmere.exe, the baseline program (the launcher's own
# dialog template under a dialog procedure that does nothing), the stand-in
# game and the benchmark programs, then under Wine on a virtual display prints
# the table of start-up time, peak memory and executable size with their
# ratios and the median of the start-up ratios paired round by round (the
# script's arguments go to StartupBench: ROUNDS, 40 by default, and another
# build's Quillmere.exe); the CPU time and private memory while idle and while
# rotating; and the rotation's: the copy against CopyFileA, the ticks against
# a bare listing pass, and the memory of a 100 MB copy. The programs are the
# shipped 32-bit build's; where this machine cannot run 32-bit programs they
# run under qemu-user (see wine-env.sh), which slows both sides of each ratio.
#
# The build folder is the preset's by default; this chooses another, which
# is then configured here without presets:
#   QUILLMERE_BENCH_BUILD    the build whose programs run and whose Quillmere.exe is weighed
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
. scripts/wine-env.sh

# build PRESET FOLDER TARGET...: builds in FOLDER when it is given, else in the preset's.
build() {
  local preset=$1 folder=$2
  shift 2
  if [ -n "$folder" ]; then
    cmake -S "$root" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$folder" -j2 --target "$@"
  else
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2 --target "$@"
  fi
}

if [ -n "${QUILLMERE_BENCH_BUILD:-}" ]; then
  QUILLMERE_WINE_BUILD=$(realpath -m "$QUILLMERE_BENCH_BUILD")
  export QUILLMERE_WINE_BUILD
fi
build "$QUILLMERE_WINE_PRESET" "${QUILLMERE_BENCH_BUILD:+$QUILLMERE_WINE_BUILD}" \
  Quillmere MinimalDialog FakeGame StartupBench CpuMemoryBench RotationBench
shipped="$QUILLMERE_WINE_BUILD/Quillmere.exe"

export WINEPREFIX="$QUILLMERE_WINE_BUILD/wineprefix"
sh scripts/wine-prefix.sh "$WINEPREFIX"

size=$(stat -c %s "$shipped")
echo
echo "Shipped 32-bit Quillmere.exe: $size bytes, $(( (size + 1023) / 1024 )) KiB (goal: under 400 KB): $shipped"
echo

# Wine's server is left to end inside the virtual display's life, so that it
# does not report the display's loss.
xvfb-run -a -s "-screen 0 1024x768x24" \
  sh -c 'status=0
         wine "$QUILLMERE_WINE_BUILD/bench/StartupBench.exe" "$@" || status=$?
         wine "$QUILLMERE_WINE_BUILD/bench/CpuMemoryBench.exe" || status=$?
         wine "$QUILLMERE_WINE_BUILD/bench/RotationBench.exe" || status=$?
         wineserver -w; exit $status' \
  bench "$@"
