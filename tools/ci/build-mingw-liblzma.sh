#!/usr/bin/env bash
# Cross-builds liblzma (the xz decoder of the Windows programs) with MinGW-w64 i686, from
# Debian's own source package of xz-utils at the version of the host's liblzma-dev, so both
# targets decode with the same library. Built once into a cache folder outside the build trees
# (SETUP_DEPS_DIR, else build/deps); a no-op when it is there.
#   bash tools/ci/build-mingw-liblzma.sh        prints the installed prefix
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
deps="${SETUP_DEPS_DIR:-$root/build/deps}"
version="$(dpkg-query -W -f '${Version}' liblzma-dev)"
# The folder's name changes with the options below, so a changed build is made afresh.
flavour=lzma2-small-nounwind
prefix="$deps/liblzma-mingw-i686-$version-$flavour"
if [ -e "$prefix/lib/liblzma.a" ] && [ -e "$prefix/include/lzma.h" ] && [ -e "$prefix/COPYING" ]; then
  echo "$prefix"
  exit 0
fi
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo

# The source package comes from the machine's own Debian archive: a deb-src entry beside its
# deb entry (same archive, suites and key), added once. Only that entry's indexes are refreshed,
# so a binary index caught mid-sync elsewhere does not stop the build.
source_entry=/etc/apt/sources.list.d/debian-src.sources
ensure_source_entry() {
  local sources=/etc/apt/sources.list.d/debian.sources
  if [ ! -e "$source_entry" ]; then
    if [ -e "$sources" ]; then
      sed 's/^Types: deb$/Types: deb-src/' "$sources" | $SUDO tee "$source_entry" >/dev/null
    else
      source_entry=/etc/apt/sources.list.d/debian-src.list
      grep -h '^deb .*debian' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
        $SUDO tee "$source_entry" >/dev/null
    fi
  fi
  $SUDO apt-get update -qq -o Dir::Etc::sourcelist="$source_entry" -o Dir::Etc::sourceparts=- \
    -o APT::Get::List-Cleanup=0
}

work="$(mktemp -d "${TMPDIR:-/tmp}/liblzma-mingw.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
if ! apt-get source --download-only -qq "xz-utils=$version" >/dev/null 2>&1; then
  ensure_source_entry
  apt-get source --download-only -qq "xz-utils=$version" >/dev/null
fi
dpkg-source --no-check -x ./xz-utils_*.dsc src >/dev/null
cd src
# Encoder and decoder (setup-pack.exe compresses too) of the LZMA filters alone: setup-pack
# writes nothing else, and the installer carries no branch-converter code it never runs.
# Single-threaded, no programs or texts.
./configure -q --host=i686-w64-mingw32 --prefix="$prefix.part" \
  --enable-static --disable-shared --disable-threads \
  --enable-encoders=lzma1,lzma2 --enable-decoders=lzma1,lzma2 \
  --disable-xz --disable-xzdec --disable-lzmadec --disable-lzmainfo --disable-lzma-links \
  --disable-scripts --disable-doc --disable-nls --enable-small \
  CC=i686-w64-mingw32-gcc-posix CFLAGS="-Os -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables" >/dev/null 2>&1
make -s -j2 -C src/liblzma install >/dev/null
rm -rf "$prefix.part/lib/pkgconfig" "$prefix.part/lib"/*.la
cp COPYING "$prefix.part/COPYING"
# xz-utils 5.4 puts liblzma in the public domain; its COPYING says so and names the exceptions.
rm -rf "$prefix"
mv "$prefix.part" "$prefix"
echo "$prefix"
