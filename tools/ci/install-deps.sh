#!/usr/bin/env bash
# Installs the build and test tools on a fresh Debian machine; a no-op when they are there.
set -euo pipefail
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v i686-w64-mingw32-g++-posix >/dev/null || need+=(mingw-w64)
command -v wine >/dev/null || need+=(wine)
[ -e /usr/lib/i386-linux-gnu/wine ] || [ -e /usr/lib/wine/wine ] && dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
command -v xvfb-run >/dev/null || need+=(xvfb xauth)
command -v lnkinfo >/dev/null || need+=(liblnk-utils)
command -v tmux >/dev/null || need+=(tmux)
[ -e /usr/include/ncurses.h ] || need+=(libncurses-dev)
[ -e /usr/include/nettle/sha2.h ] || need+=(nettle-dev)
[ -e /usr/include/lzma.h ] || need+=(liblzma-dev)
# Unpacks xz-utils' source package for the Windows build of liblzma.
command -v dpkg-source >/dev/null || need+=(dpkg-dev)
command -v osslsigncode >/dev/null || need+=(osslsigncode)
command -v openssl >/dev/null || need+=(openssl)
[ -d /usr/src/googletest ] || need+=(googletest)
[ -e /usr/lib/x86_64-linux-gnu/cmake/GTest ] || need+=(libgtest-dev)
command -v clang++ >/dev/null || need+=(clang)
command -v clang-format >/dev/null || need+=(clang-format)
command -v ccache >/dev/null || need+=(ccache)
command -v help2man >/dev/null || need+=(help2man)
command -v gcovr >/dev/null || need+=(gcovr)
[ -d /usr/share/i18n/locales ] || need+=(locales)
python3 -c "import yaml" 2>/dev/null || need+=(python3-yaml)
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
# A second locale, so the log's English month names are tested against one that differs.
german_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' ||
    $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8 >/dev/null 2>&1 || true
}
if [ ${#need[@]} -eq 0 ]; then
  german_locale
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO dpkg --add-architecture i386
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
german_locale
