#!/usr/bin/env bash
# scripts/wine32-emulated.sh FOLDER
# For a machine whose kernel cannot run 32-bit programs: puts 32-bit Wine,
# the same version as the installed wine64, and qemu-user 10 into FOLDER, so
# that the shipped 32-bit executables run under user-mode emulation. Run as
# yourself; it needs no root and changes nothing outside FOLDER: the Debian
# packages are downloaded by apt with a configuration and lists of their own
# inside FOLDER and unpacked there, not installed. No i386 architecture, apt
# source, binfmt entry or diversion is added to the system.
#
# FOLDER/bin/wine then starts 32-bit Wine as
#   qemu-i386 -L FOLDER -0 FOLDER/usr/lib/wine/wine FOLDER/usr/lib/wine/wine.i386 ...
# Wine starts a child of its own bitness through the loader named by its
# argv[0] (hence -0 and the shell script in the loader's place, which a
# kernel without 32-bit support can start), and a 64-bit child through that
# name plus "64" in the same folder (hence a copy of the host's 64-bit loader
# there, which finds the host's 64-bit Wine through a link). Both share the
# host's 64-bit wineserver.
set -euo pipefail

dir=${1:?usage: $0 FOLDER}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

wine_version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || {
  echo "wine32-emulated: wine64 is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
}
# Set up again when Wine's version or this script changes.
stamp="wine32 $wine_version, set up by $(basename "$0") $(sha256sum < "$0" | cut -c1-16)"
[ "$(cat "$dir/ready" 2>/dev/null)" = "$stamp" ] && exit 0

# One set-up at a time, should two scripts of this clone start together.
exec 9>"$dir.lock"
flock 9
[ "$(cat "$dir/ready" 2>/dev/null)" = "$stamp" ] && exit 0

. /etc/os-release
codename=${VERSION_CODENAME:?/etc/os-release names no Debian release}
mirror=${QUILLMERE_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security=${QUILLMERE_DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
echo "wine32-emulated: downloading Debian's 32-bit Wine $wine_version and qemu-user" \
  "into $dir and unpacking them there (about 200 MB; nothing is installed on the system)"

rm -rf "$dir/apt" "$dir/root" "$dir/bin" "$dir/ready"
apt_dir=$dir/apt
mkdir -p "$apt_dir"/{etc/apt.conf.d,etc/preferences.d,etc/sources.list.d,lists/partial,archives/partial}
: > "$apt_dir/status"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
cat > "$apt_dir/etc/sources.list" <<EOF
deb [signed-by=$keyring] $mirror $codename main
deb [signed-by=$keyring] $mirror $codename-updates main
deb [signed-by=$keyring] $security $codename-security main
deb [signed-by=$keyring] $mirror $codename-backports main
EOF
# As root, apt downloads as the user _apt, who may not reach FOLDER.
sandbox_user=$(id -un)
cat > "$apt_dir/apt.conf" <<EOF
Dir::Etc "$apt_dir/etc";
Dir::Etc::SourceList "$apt_dir/etc/sources.list";
Dir::Etc::SourceParts "$apt_dir/etc/sources.list.d";
Dir::Etc::Parts "$apt_dir/etc/apt.conf.d";
Dir::Etc::Preferences "$apt_dir/etc/preferences";
Dir::Etc::PreferencesParts "$apt_dir/etc/preferences.d";
Dir::State "$apt_dir";
Dir::State::Lists "$apt_dir/lists";
Dir::State::status "$apt_dir/status";
Dir::Cache "$apt_dir";
Dir::Cache::Archives "$apt_dir/archives";
APT::Architecture "amd64";
APT::Architectures { "amd64"; "i386"; };
APT::Install-Recommends "false";
APT::Sandbox::User "$sandbox_user";
Debug::NoLocking "true";
EOF
export APT_CONFIG=$apt_dir/apt.conf
# A mirror caught mid-sync may fail one list (seen for the security
# archive's i386 one) while the rest arrive: the download then takes what
# came, and fails by itself only where a package is really missing.
apt-get update -q >/dev/null ||
  echo "wine32-emulated: apt-get update reported the errors above; downloading from the lists it could fetch" >&2
# qemu-user 10 or later (older ones make 32-bit Wine take about a minute to
# start): the release's own where it has one (Debian 13), else its backports'
# (Debian 12 has 7.2).
qemu_package=qemu-user
qemu_version=$(apt-cache policy qemu-user | sed -n 's/^ *Candidate: //p')
if ! dpkg --compare-versions "${qemu_version:-0}" ge 1:10~; then
  qemu_package=qemu-user/$codename-backports
fi
echo "wine32-emulated: $codename's own qemu-user is ${qemu_version:-missing}; downloading $qemu_package"
# The whole closure, as on an empty system: nothing of the host's i386 state is used.
apt-get install -q -y -d "wine32:i386=$wine_version" "$qemu_package" >/dev/null

root=$dir/root
mkdir -p "$root"
for deb in "$apt_dir"/archives/*.deb; do
  case $(basename "$deb") in
    *_i386.deb | *_all.deb | qemu-user_*) dpkg-deb -x "$deb" "$root" ;;
  esac
done
rm -rf "$apt_dir"  # the unpacked files are all that is needed
# qemu -L looks up every path the 32-bit side opens in FOLDER first, so
# FOLDER keeps only the 32-bit programs and libraries. Configuration and
# shared data come from the host, as they do for its 64-bit Wine of the same
# version: unpacked without their installation scripts, FOLDER's would differ
# (fontconfig's rules only partly linked, which makes "MS Sans Serif" a font
# three times as tall and the dialogs with it; libwine's empty font folder in
# place of fonts-wine's). An empty cache makes the 32-bit ld.so search its
# default folders, which FOLDER holds.
rm -rf "$root/usr/share" "$root/etc" "$root/var"
ln -s /usr/share "$root/usr/share"
mkdir "$root/etc"
: > "$root/etc/ld.so.cache"
# Debian 13's packages put everything under /usr, and the link /lib -> usr/lib
# comes from an installed base system, not from them. Without it the 32-bit
# loader named in each program, /lib/ld-linux.so.2, is not found in FOLDER;
# qemu then takes the host's, where one is installed (package libc6-i386),
# and that one searches /usr/lib32, not FOLDER's libraries: FreeType is not
# found and no dialog can be made.
[ -e "$root/lib" ] || ln -s usr/lib "$root/lib"
if [ ! -e "$root/lib/ld-linux.so.2" ]; then
  echo "wine32-emulated: the unpacked 32-bit C library has no /lib/ld-linux.so.2" >&2
  exit 1
fi

qemu=$root/usr/bin/qemu-i386  # linked statically
qemu_major=$("$qemu" --version | sed -n '1s/^qemu-i386 version \([0-9]*\).*/\1/p')
if [ "${qemu_major:-0}" -lt 10 ]; then
  echo "wine32-emulated: $qemu_package gave $("$qemu" --version | head -n 1); 10 or later is needed" >&2
  exit 1
fi

# What libwine's installation script does: Wine's zlib1.dll is mingw's with a
# builtin marker.
in=$root/usr/i686-w64-mingw32/lib/zlib1.dll
out=$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
{ head -c 64 "$in"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$in"; } > "$out"

lib=$root/usr/lib/wine
mv "$lib/wine" "$lib/wine.i386"
cat > "$lib/wine" <<EOF
#!/bin/sh
# 32-bit Wine under qemu-user (written by scripts/wine32-emulated.sh).
case "\${1-}" in
  --version | --help) ;;  # answered by the loader before it starts anything
  # Else it would start itself once more, for nothing (and so natively).
  *) WINELOADERNOEXEC=1; export WINELOADERNOEXEC ;;
esac
WINELOADER="$lib/wine" exec "$qemu" -L "$root" -0 "$lib/wine" "$lib/wine.i386" "\$@"
EOF
chmod +x "$lib/wine"
cp /usr/lib/wine/wine64 "$lib/wine64"
mkdir -p "$root/usr/lib/x86_64-linux-gnu"
ln -sfn /usr/lib/x86_64-linux-gnu/wine "$root/usr/lib/x86_64-linux-gnu/wine"
mkdir -p "$dir/bin"
ln -s "$lib/wine" "$dir/bin/wine"

"$dir/bin/wine" --version >/dev/null
echo "$stamp" > "$dir/ready"
echo "wine32-emulated: ready: $("$dir/bin/wine" --version) under $("$qemu" --version | head -n 1)"
