#!/usr/bin/env bash
# Every test: installs what is missing, builds the portable core natively and
# the shipped Quillmere.exe with mingw-w64, then runs the native unit tests
# and fuzzers, the checks of the executable (imports, header, hardening), the
# release package with its checksums and its plain-text guide, a second build
# from another folder that must give the same bytes, the 64-bit twin's
# compile, and, under Wine on a virtual display, the Windows and end-to-end
# tests and a short soak. Those run the shipped 32-bit executables: natively
# where this machine runs 32-bit programs, else under qemu-user (see
# wine-env.sh, which says which at the start).
# Run it as yourself: it asks for root only to install packages.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh test
. scripts/wine-env.sh

cmake --preset native
cmake --build --preset native -j2
ctest --preset native

# The shipped build: the executable, its checks (imports, header, hardening),
# and the release package with its checksums.
cmake --preset cross -DQUILLMERE_BUILD_TESTS=OFF
cmake --build --preset cross -j2
status=0
ctest --preset cross -L release || status=$?
# The zip's file times are the commit's; outside a git clone of its own (an
# archive, even one unpacked inside another clone), CMakeLists.txt's.
if [ "$(git -C "$root" rev-parse --show-toplevel 2>/dev/null)" != "$(pwd -P)" ]; then
  SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(stat -c %Y CMakeLists.txt)}
  export SOURCE_DATE_EPOCH
fi
cmake --build --preset cross --target zip
name=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=/Quillmere-/p' build/cross/CMakeCache.txt)-win32
package=build/cross/$name.zip
expected="$name/LICENSE.txt"$'\n'"$name/Quillmere.exe"$'\n'"$name/Quillmere.txt"
unpacked=build/cross/package-check
rm -rf "$unpacked" && mkdir -p "$unpacked"
cp build/cross/"$name".{zip,sha256} "$unpacked"
if [ "$(cmake -E tar tf "$package" | sort)" != "$expected" ]; then
  echo "package: $package does not hold exactly Quillmere.exe, Quillmere.txt and LICENSE.txt" >&2
  status=1
elif ! (cd "$unpacked" && cmake -E tar xf "$name.zip" && sha256sum -c --quiet "$name.sha256" &&
        cmp "$name/Quillmere.exe" "$root/build/cross/Quillmere.exe"); then
  echo "package: $name.sha256 does not match the zip and the Quillmere.exe in it, or that is not the one built" >&2
  status=1
elif grep -qv $'\r$' "$unpacked/$name.sha256"; then
  echo "package: $name.sha256 has a line without a CR LF end, which old Notepads show run together" >&2
  status=1
else
  echo "package: $package holds Quillmere.exe, Quillmere.txt and LICENSE.txt; $name.sha256 matches, with CR LF ends: $(cut -c1-64 "$unpacked/$name.sha256" | head -n 1)"
fi
# The guide in the zip is plain text that Notepad shows as it stands: CR LF
# line ends, lines of at most 79 characters, printable ASCII, no Markdown
# marks left, and still the README's guide: a heading as a line of its own,
# the table of messages as a list.
guide=$unpacked/$name/Quillmere.txt
faults=$(LC_ALL=C awk '!/\r$/ { print NR ": no CR LF line end" } { sub(/\r$/, "") }
  length > 79 { print NR ": longer than 79 characters" }
  / $/ || /[^ -~]/ { print NR ": a trailing blank, or a character outside printable ASCII" }
  /^#|\*\*|`|^ *\|.*\| *$|<!--/ { print NR ": Markdown left: " $0 }' "$guide" 2>&1) || true
grep -qxF -- "What happens to the game's own picture"$'\r' "$guide" ||
  faults+=$'\n'"no heading line \"What happens to the game's own picture\""
grep -qF -- "- Message: Please enter a positive integer." "$guide" ||
  faults+=$'\n'"no item \"- Message: Please enter a positive integer.\""
if [ -n "$faults" ]; then
  echo "package: $name/Quillmere.txt is not the plain-text guide:"$'\n'"$(head -n 20 <<<"$faults")" >&2
  status=1
else
  echo "package: $name/Quillmere.txt is plain text, $(wc -l < "$guide") lines of at most 79 characters with CR LF ends"
fi

# Reproducible: the same sources, copied to another folder and built again
# later (the zip's file times the commit's, as in a fresh clone), give the
# same executable and zip byte for byte.
again=$root/build/reproduce
rm -rf "$again" && mkdir -p "$again"
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  tar --exclude=./build --exclude=./.git -cf - . | tar -xf - -C "$again"
  epoch=$SOURCE_DATE_EPOCH
else
  git ls-files -z -co --exclude-standard | tar --null -T - --ignore-failed-read -cf - | tar -xf - -C "$again"
  epoch=$(git log -1 --format=%ct)
fi
(cd "$again" && cmake --preset cross -DQUILLMERE_BUILD_TESTS=OFF >/dev/null &&
 SOURCE_DATE_EPOCH=$epoch cmake --build --preset cross -j2 --target zip >/dev/null)
for f in Quillmere.exe "$name.zip" "$name.sha256"; do
  if cmp "build/cross/$f" "$again/build/cross/$f"; then
    echo "reproducible: $f is the same in a second build from another folder"
  else
    echo "reproducible: $f differs between build/cross and a second build from $again" >&2
    status=1
  fi
done
rm -rf "$again"

# The 64-bit twin is only compiled: it catches pointer-size (LLP64) mistakes
# in the launcher's sources; its tests would only repeat the 32-bit ones.
cmake --preset cross64 >/dev/null
cmake --build --preset cross64 -j2 --target Quillmere

tests=cross-tests
cmake --preset "$tests" -DQUILLMERE_BUILD_TESTS=ON
cmake --build --preset "$tests" -j2
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset "$tests" || status=$?
WINEPREFIX="$root/build/$tests/wineprefix" wineserver -k 2>/dev/null || true
exit $status
