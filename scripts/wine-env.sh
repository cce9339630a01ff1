# Sourced (POSIX sh) by every script that runs Wine, with $root set to the top
# of the clone. The Windows programs that run are always the shipped 32-bit
# build's (build/cross, its tests in build/cross-tests); this picks how:
#   QUILLMERE_WINE_WAY     native: the kernel runs 32-bit programs, and
#                          Debian's wine32 runs them as on any such machine;
#                          emulated: it cannot (32-bit emulation switched
#                          off), and 32-bit Wine of the same version runs
#                          under qemu-user, both unpacked into build/wine32/
#                          by scripts/wine32-emulated.sh (nothing installed).
#                          Set it beforehand to choose.
#   QUILLMERE_WINE_PRESET  cross: configure and build preset of the programs
#   QUILLMERE_WINE_BUILD   its build folder
#   QUILLMERE_WINE_REG     /reg:32, the registry view those programs read
# `wine` on PATH is then the one to use.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
quillmere_why=
if [ -z "${QUILLMERE_WINE_WAY:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    export QUILLMERE_WINE_WAY=native
    quillmere_why="this machine runs 32-bit programs"
  else
    export QUILLMERE_WINE_WAY=emulated
    quillmere_why="this machine cannot run 32-bit programs (/usr/lib/wine/wine does not start)"
  fi
elif [ -z "${QUILLMERE_WINE_SAID:-}" ]; then
  quillmere_why="QUILLMERE_WINE_WAY=$QUILLMERE_WINE_WAY was set"
fi
if [ -n "$quillmere_why" ]; then  # once, in the script that decides
  case $QUILLMERE_WINE_WAY in
    native) echo "Wine: the shipped 32-bit programs run under Debian's 32-bit Wine: $quillmere_why." ;;
    emulated) echo "Wine: the shipped 32-bit programs run under 32-bit Wine emulated by qemu-user" \
      "(build/wine32/): $quillmere_why." ;;
    *) echo "QUILLMERE_WINE_WAY is native or emulated, not '$QUILLMERE_WINE_WAY'" >&2; exit 1 ;;
  esac
  export QUILLMERE_WINE_SAID=1
fi
unset quillmere_why
if [ "$QUILLMERE_WINE_WAY" = emulated ]; then
  bash "$root/scripts/wine32-emulated.sh" "$root/build/wine32" || exit 1
  case ":$PATH:" in
    *":$root/build/wine32/bin:"*) ;;
    *) export PATH="$root/build/wine32/bin:$PATH" ;;
  esac
fi
export QUILLMERE_WINE_PRESET=cross QUILLMERE_WINE_REG=/reg:32 QUILLMERE_WINE_BUILD="$root/build/cross"
