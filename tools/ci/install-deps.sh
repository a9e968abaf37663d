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
command -v osslsigncode >/dev/null || need+=(osslsigncode)
command -v openssl >/dev/null || need+=(openssl)
[ -d /usr/src/googletest ] || need+=(googletest)
[ -e /usr/lib/x86_64-linux-gnu/cmake/GTest ] || need+=(libgtest-dev)
command -v clang++ >/dev/null || need+=(clang)
command -v clang-format >/dev/null || need+=(clang-format)
python3 -c "import yaml" 2>/dev/null || need+=(python3-yaml)
[ ${#need[@]} -eq 0 ] && exit 0
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO dpkg --add-architecture i386
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
