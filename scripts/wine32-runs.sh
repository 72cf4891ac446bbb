#!/usr/bin/env bash
# Tells whether the shipped i686 sorvanta.exe can run here: under wine32, which needs a machine
# that executes 32-bit code, natively or emulated by QEMU (scripts/runs-32bit.sh), and Wine's
# 32-bit loader installed.
#   exit 0   it can; standard output says how ("natively", "emulated by QEMU VERSION ...")
#   exit 3   it cannot: this machine cannot run 32-bit code at all (a kernel without it, and a
#            binfmt_misc that cannot take an emulator); standard output says why
#   exit 4   it could, but the set-up left it out (wine32 not installed, or no emulation
#            registered where binfmt_misc would take one): a fault; standard output says why
#   exit 1   the question could not be answered (callers fail)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
how=$("$here/runs-32bit.sh") && kernel=0 || kernel=$?
case $kernel in
  0) ;;
  3)
    if [ -w /proc/sys/fs/binfmt_misc/register ]; then
      echo "this kernel cannot execute 32-bit code, and no emulation of it is registered, though binfmt_misc would take one"
      exit 4
    fi
    echo "this kernel cannot execute 32-bit code, and binfmt_misc cannot take an emulator here"
    exit 3 ;;
  *) exit 1 ;;
esac
# The set-up installs wine32 wherever 32-bit code runs; scripts/install-deps.sh said why not.
[ -x /usr/lib/wine/wine ] || { echo "32-bit programs run here $how, but wine32 is not installed"; exit 4; }
echo "$how"
