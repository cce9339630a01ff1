#!/usr/bin/env bash
# Every test: installs what is missing, builds the portable core natively and
# the shipped Quillmere.exe with mingw-w64, then runs the native unit tests
# and fuzzers, the check of the executable's imports, the release package and,
# under Wine on a virtual display, the Windows and end-to-end tests and a
# short soak. The 32-bit tests drive the shipped executables; where this
# machine cannot run 32-bit programs they run on the 64-bit build of the same
# sources instead (see wine-env.sh).
# Run it as yourself: it asks for root only to install packages.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh test
. scripts/wine-env.sh

cmake --preset native
cmake --build --preset native -j2
ctest --preset native

# The shipped build: the executable, its import check and the package.
cmake --preset cross -DQUILLMERE_BUILD_TESTS=OFF
cmake --build --preset cross -j2
status=0
ctest --preset cross -L release || status=$?
(cd build/cross && cpack >/dev/null)
package=build/cross/Quillmere-1.0.0.1-win32.zip
expected=$'Quillmere-1.0.0.1-win32/LICENSE.txt\nQuillmere-1.0.0.1-win32/Quillmere.exe\nQuillmere-1.0.0.1-win32/Quillmere.txt'
if [ "$(cmake -E tar tf "$package" | sort)" = "$expected" ]; then
  echo "package: $package holds Quillmere.exe, Quillmere.txt and LICENSE.txt"
else
  echo "package: $package does not hold exactly Quillmere.exe, Quillmere.txt and LICENSE.txt" >&2
  status=1
fi

tests=cross-tests
cmake --preset "$tests" -DQUILLMERE_BUILD_TESTS=ON
cmake --build --preset "$tests" -j2
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset "$tests" || status=$?
WINEPREFIX="$root/build/$tests/wineprefix" wineserver -k 2>/dev/null || true
exit $status
