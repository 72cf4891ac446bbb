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
# The prefix's settings, once: windows that no window manager manages (none runs on the
# virtual display, and a managed window waits two seconds for one each time it is hidden;
# SORVANTA_WINE_MANAGED=1 leaves them to the window manager of a person's desktop), and
# the dialogs' font "ＭＳ Ｐゴシック", which Wine lacks, drawn with the IPA P Gothic font.
if [ ! -f "$WINEPREFIX/.settings-1" ]; then
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.settings-1" ]; then
      if [ "${SORVANTA_WINE_MANAGED:-0}" != 1 ]; then
        "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
      fi
      fonts=$(mktemp --suffix=.reg)
      {
        printf '\xff\xfe'
        printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ Ｐゴシック"="IPAPGothic"\r\n' |
          iconv -f UTF-8 -t UTF-16LE
      } >"$fonts"
      "$WINELOADER" regedit /S "Z:${fonts//\//\\}" >/dev/null 2>&1 || true
      rm -f "$fonts"
      /usr/lib/wine/wineserver64 -w || true
      touch "$WINEPREFIX/.settings-1"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$WINELOADER" "$@"
