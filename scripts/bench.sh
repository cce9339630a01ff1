#!/usr/bin/env bash
# Benchmarks: builds Quillmere.exe, the minimal dialog program, the stand-in
# game and the benchmark programs, then under Wine on a virtual display prints
# the table of start-up time, peak memory and executable size with their
# ratios; the CPU time and private memory while idle and while rotating; and
# the rotation's: the copy against CopyFileA, the ticks against a bare listing
# pass, and the memory of a 100 MB copy. Where 32-bit programs cannot run, it
# measures the 64-bit build (see wine-env.sh) and builds the shipped 32-bit
# Quillmere.exe only to report its size.
#
# The build folders are the presets' by default; these choose others, which
# are then configured here without presets:
#   QUILLMERE_BENCH_BUILD    the build whose programs run (its bits as wine-env.sh picks)
#   QUILLMERE_BENCH_BUILD32  the 32-bit build whose Quillmere.exe is weighed
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
. scripts/wine-env.sh

toolchain() { if [ "$1" = 32 ]; then echo "$root/cmake/mingw-i686.cmake"; else echo "$root/cmake/mingw-x86_64.cmake"; fi; }

# build BITS PRESET FOLDER TARGET...: builds in FOLDER when it is given, else in the preset's.
build() {
  local bits=$1 preset=$2 folder=$3
  shift 3
  if [ -n "$folder" ]; then
    cmake -S "$root" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$bits")" -DCMAKE_BUILD_TYPE=Release >/dev/null
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
build "$QUILLMERE_WINE_BITS" "$QUILLMERE_WINE_PRESET" "${QUILLMERE_BENCH_BUILD:+$QUILLMERE_WINE_BUILD}" \
  Quillmere MinimalDialog FakeGame StartupBench CpuMemoryBench RotationBench

if [ "$QUILLMERE_WINE_BITS" = 32 ]; then
  shipped="$QUILLMERE_WINE_BUILD/Quillmere.exe"
else
  build32="${QUILLMERE_BENCH_BUILD32:+$(realpath -m "$QUILLMERE_BENCH_BUILD32")}"
  build 32 cross "$build32" Quillmere
  shipped="${build32:-$root/build/cross}/Quillmere.exe"
fi

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
