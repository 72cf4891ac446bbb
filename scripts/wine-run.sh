#!/usr/bin/env bash
# Runs a Windows program of the 64-bit build under Wine, in a prefix of the build's own.
# 32-bit code cannot execute on this kernel, so wine64 with the x86_64 build it is.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build/wineprefix}
export WINELOADER=/usr/lib/wine/wine64
export WINEDEBUG=${WINEDEBUG:--all}
# The program is Japanese: its ANSI code page is 932.
export LANG=${SORVANTA_WINE_LANG:-ja_JP.UTF-8}
# No network here: skip the offers to install Mono and Gecko.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$WINEPREFIX"
# The first start builds the prefix; let one process do it while parallel tests wait.
if [ ! -f "$WINEPREFIX/.ready" ]; then
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.ready" ]; then
      "$WINELOADER" wineboot --init >/dev/null 2>&1 || true
      /usr/lib/wine/wineserver64 -w || true
      touch "$WINEPREFIX/.ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$WINELOADER" "$@"
