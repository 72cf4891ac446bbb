#!/usr/bin/env bash
# Tells whether the shipped i686 sorvanta.exe can run here: under wine32, which needs a machine
# that executes 32-bit code, natively or emulated by QEMU (scripts/runs-32bit.sh), and Wine's
# 32-bit loader installed.
#   exit 0   it can; standard output says how ("natively", "emulated by QEMU VERSION ...")
#   exit 3   it cannot; standard output says why, for the summary of a run
#   exit 1   the question could not be answered (callers fail)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
how=$("$here/runs-32bit.sh") && kernel=0 || kernel=$?
case $kernel in
  0) ;;
  3) echo "this kernel cannot execute 32-bit code, and no emulation of it is registered"; exit 3 ;;
  *) exit 1 ;;
esac
# The set-up installs wine32 wherever 32-bit code runs, unless the package archive could not give
# it without removing packages (scripts/install-deps.sh says so when it happens).
[ -x /usr/lib/wine/wine ] || { echo "wine32 is not installed"; exit 3; }
echo "$how"
