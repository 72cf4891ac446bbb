#!/usr/bin/env bash
# Tells whether this machine executes 32-bit x86 programs, which the shipped i686 sorvanta.exe
# needs under Wine (wine32's loader is one), and how. It executes a minimal 32-bit ELF program
# that only exits with 0:
#   exit 0   it ran; standard output says how: "natively", or "emulated by QEMU VERSION" where a
#            binfmt_misc entry hands i386 programs to QEMU's user-mode emulation (such an entry,
#            made by scripts/install-deps.sh, takes precedence over the kernel's own loader)
#   exit 3   the kernel refused it (exec format error): 32-bit code cannot run here
#   exit 1   anything else went wrong (which says nothing about the kernel; callers fail)
set -uo pipefail
program=$(mktemp "${TMPDIR:-/tmp}/runs-32bit.XXXXXX") || exit 1
trap 'rm -f "$program"' EXIT
# ELF32 header, one loadable segment, then: mov eax, 1; xor ebx, ebx; int 0x80 (exit(0)).
base64 -d >"$program" <<'ELF' || exit 1
f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAAAAAAAIAECACABAhd
AAAAXQAAAAUAAAAAEAAAuAEAAAAx282A
ELF
chmod +x "$program" || exit 1
error=$(LC_ALL=C "$program" 2>&1)
status=$?
if [ $status -eq 0 ]; then
  # An enabled entry whose magic is an i386 ELF header's (class 32-bit, little-endian, machine 3).
  binfmt=/proc/sys/fs/binfmt_misc
  if [ "$(cat "$binfmt/status" 2>/dev/null)" = enabled ]; then
    for entry in "$binfmt"/*; do
      [ "$(head -n 1 "$entry" 2>/dev/null)" = enabled ] || continue
      magic=$(sed -n 's/^magic //p' "$entry")
      [[ $magic == 7f454c460101* && ${magic:36:4} == 0300 ]] || continue
      interpreter=$(sed -n 's/^interpreter //p' "$entry")
      version=$("$interpreter" --version 2>/dev/null | sed -n '1s/.* version \([^ ]*\).*/\1/p')
      echo "emulated by QEMU ${version:-of unknown version}"
      exit 0
    done
  fi
  echo natively
  exit 0
fi
case $error in
  *"Exec format error"*) exit 3 ;;
esac
echo "runs-32bit: the 32-bit probe failed ($status): $error" >&2
exit 1
