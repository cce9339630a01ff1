# Sourced (POSIX sh) by every script that runs Wine, with $root set to the top
# of the clone. Picks the build whose Windows programs this machine can run:
#   QUILLMERE_WINE_BITS    32 or 64 (set it beforehand to choose)
#   QUILLMERE_WINE_PRESET  cross or cross64: configure, build and test preset
#   QUILLMERE_WINE_BUILD   that preset's build folder
#   QUILLMERE_WINE_REG     /reg:32 or /reg:64, the registry view its programs read
# Some kernels have 32-bit emulation switched off, and then Debian's 32-bit
# Wine loader cannot start even though wine32 is installed. The 64-bit build
# of the same sources runs there instead, and `wine` on PATH becomes 64-bit
# Wine, as Debian's wine-stable would still choose the 32-bit loader.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${QUILLMERE_WINE_BITS:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    export QUILLMERE_WINE_BITS=32
    echo "Wine: Windows programs run from the 32-bit build (build/cross): this machine runs 32-bit programs."
  else
    export QUILLMERE_WINE_BITS=64
    echo "Wine: Windows programs run from the 64-bit build (build/cross64) under 64-bit Wine: this machine cannot run 32-bit programs (/usr/lib/wine/wine does not start)."
  fi
fi
if [ "$QUILLMERE_WINE_BITS" = 32 ]; then
  QUILLMERE_WINE_PRESET=cross QUILLMERE_WINE_REG=/reg:32
else
  QUILLMERE_WINE_PRESET=cross64 QUILLMERE_WINE_REG=/reg:64
  case ":$PATH:" in
    *":$root/scripts/wine64:"*) ;;
    *) export PATH="$root/scripts/wine64:$PATH" ;;
  esac
fi
export QUILLMERE_WINE_PRESET QUILLMERE_WINE_REG QUILLMERE_WINE_BUILD="$root/build/$QUILLMERE_WINE_PRESET"
