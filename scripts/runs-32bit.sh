#!/usr/bin/env bash
# Tells whether this machine's kernel executes 32-bit x86 programs, which the shipped i686
# sorvanta.exe needs under Wine (wine32's loader is one). It executes a minimal 32-bit ELF
# program that only exits with 0:
#   exit 0   it ran
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
[ $status -eq 0 ] && exit 0
case $error in
  *"Exec format error"*) exit 3 ;;
esac
echo "runs-32bit: the 32-bit probe failed ($status): $error" >&2
exit 1
