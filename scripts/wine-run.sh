#!/usr/bin/env bash
# Runs a Windows program under Wine, in a prefix of the build's own:
#   wine-run.sh PROGRAM.exe ARGS...   an i686 program under wine32, an x86_64 one under wine64
#   wine-run.sh COMMAND ARGS...       one of Wine's own programs (reg, explorer, wineboot ...)
# The prefix is made by wine64 and runs programs of both word sizes; a 64-bit program that
# starts a 32-bit one (Wine's explorer starting the panel on a desktop, say) gets wine32 from
# Wine itself. wine32 needs a machine that executes 32-bit code, natively or through QEMU's
# user-mode emulation that the set-up registers where the kernel refuses it (scripts/runs-32bit.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build/wineprefix}

# The machine field of a PE file's header: 014c for i386, 8664 for x86-64.
pe_machine() {
  local offset
  offset=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -t x2 -j $((offset + 4)) -N 2 "$1" | tr -d ' '
}

loader=/usr/lib/wine/wine64
if [ -f "${1:-}" ] && [ "$(pe_machine "$1")" = 014c ]; then
  loader=/usr/lib/wine/wine
  [ -x "$loader" ] || { echo "wine-run: $loader (wine32) is missing: it runs the 32-bit $1" >&2; exit 1; }
fi
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
      /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
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
        /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
      fi
      fonts=$(mktemp --suffix=.reg)
      {
        printf '\xff\xfe'
        printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ Ｐゴシック"="IPAPGothic"\r\n' |
          iconv -f UTF-8 -t UTF-16LE
      } >"$fonts"
      /usr/lib/wine/wine64 regedit /S "Z:${fonts//\//\\}" >/dev/null 2>&1 || true
      rm -f "$fonts"
      /usr/lib/wine/wineserver64 -w || true
      touch "$WINEPREFIX/.settings-1"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
# A prefix made while wine32 was missing has no 32-bit half (its syswow64 is empty), and every
# i686 program in it would fail with "could not load kernel32.dll", started directly or by a
# 64-bit one (explorer's desktop). Wine fills that half in when it updates the prefix, which it
# does only when the time stamp of its last update is gone.
half32=$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll
if [ ! -f "$half32" ] && [ -x /usr/lib/wine/wine ] && "$here/runs-32bit.sh" >/dev/null 2>&1; then
  (
    flock 9
    if [ ! -f "$half32" ]; then
      echo "wine-run: the prefix $WINEPREFIX has no 32-bit half (made before wine32 was installed); adding it" >&2
      rm -f "$WINEPREFIX/.update-timestamp"
      WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 wineboot --update >/dev/null 2>&1 || true
      /usr/lib/wine/wineserver64 -w || true
    fi
  ) 9>"$WINEPREFIX.lock"
fi
if [ "$loader" = /usr/lib/wine/wine ] && [ ! -f "$half32" ]; then
  echo "wine-run: the prefix $WINEPREFIX cannot run 32-bit programs (no syswow64/kernel32.dll);" \
    "check that scripts/wine32-runs.sh says the i686 build can run, then remove the prefix to have it made again" >&2
  exit 1
fi
# Wine finds the loader of the other word size from this name (wine64 less its "64").
export WINELOADER=/usr/lib/wine/wine64
exec "$loader" "$@"
