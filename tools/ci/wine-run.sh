#!/usr/bin/env bash
# Runs a Windows program under Wine in the test run's own prefix, without Wine's chatter.
set -u
export WINEPREFIX="${WINEPREFIX:-${SETUP_WINEPREFIX:-/tmp/setup-wineprefix}}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w 2>/dev/null || true
fi
exec wine "$@"
