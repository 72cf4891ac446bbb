#!/usr/bin/env bash
# Installs the Debian packages that building and testing Sorvanta needs.
# Idempotent: it asks apt only for what is missing, and does nothing when all is there.
set -euo pipefail

packages=(
  # host build and tests
  g++ make cmake ninja-build googletest libgtest-dev libbenchmark-dev libwine-dev
  # Windows cross builds
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  # running the Windows build: Wine, a display, sound devices, a Japanese locale and font
  wine wine64 xvfb xdotool x11-utils imagemagick pulseaudio pulseaudio-utils sox espeak-ng
  fonts-ipafont-gothic fonts-wine locales file
  # the sound bench: pictures of input against output
  gnuplot-nox
  # the release zip, and the test that reads it back
  zip unzip
  # make coverage
  lcov
  # the C++ layout (.clang-format), and the sizes line of every test run (scripts/sizes.sh)
  clang-format
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing() {  # package...: those of them not installed
  local p
  for p; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}
updated=0
install() {  # package...: installs them; apt's status
  if [ $updated = 0 ]; then
    # An index the mirror serves out of step with its Release file (a mirror in the middle of a
    # sync) fails the update, though every other index is fresh; the install then tells whether
    # what is needed was found.
    $sudo apt-get update -q || echo "install-deps: apt-get update failed for some indexes; going on with the rest"
    updated=1
  fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@"
}

mapfile -t need < <(missing "${packages[@]}")
if ((${#need[@]})); then
  echo "install-deps: installing ${need[*]}"
  install "${need[@]}"
fi

# The shipped program is 32-bit: wine32 runs it, where this machine executes 32-bit code. A kernel
# may refuse it (booted without ia32 emulation: "Exec format error"); then QEMU's user-mode
# emulation runs it: QEMU 10 from the backports suite (bookworm's QEMU 7.2 spends some 45 s probing
# the address space before each Wine process starts), registered with the kernel's binfmt_misc for
# i386 programs until the next boot. SORVANTA_EMULATE_32BIT=1 asks for the emulation on a kernel
# that runs 32-bit code itself (the entry takes precedence over the kernel's own loader). Where
# neither is to be had (a container that may not mount or write binfmt_misc), the 64-bit build
# stands in for the shipped one: said here and in the summary of every test run.
here=$(cd "$(dirname "$0")" && pwd)
warn() { echo "install-deps: WARNING: $*: the shipped 32-bit build cannot be tested here" >&2; }

binfmt=/proc/sys/fs/binfmt_misc
qemu=/usr/bin/qemu-i386
# The i386 ELF header (32-bit, little-endian, an executable or shared object for machine 3) and
# the mask of the bytes that may vary, as QEMU's own binfmt configuration has them.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

set_up_emulation() {  # returns non-zero, after a warning, where it cannot be set up
  if [ ! -w "$binfmt/register" ]; then
    $sudo mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
      { warn "binfmt_misc cannot be mounted here, so 32-bit programs cannot be emulated"; return 1; }
  fi
  local major
  major=$("$qemu" --version 2>/dev/null | sed -n '1s/.* version \([0-9]*\).*/\1/p')
  if [ "${major:-0}" -lt 8 ]; then
    if ! grep -rqs '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
      echo "install-deps: adding the bookworm-backports suite (only QEMU is taken from it)"
      printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' \
        'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' |
        $sudo tee /etc/apt/sources.list.d/sorvanta-backports.sources >/dev/null
      updated=0
    fi
    echo "install-deps: installing QEMU's user-mode emulation from bookworm-backports"
    install qemu-user-static/bookworm-backports || { warn "QEMU could not be installed"; return 1; }
    # A registration opened the interpreter then (flag F): one made before holds the old binary.
    [ -e "$binfmt/sorvanta-i386" ] && echo -1 | $sudo tee "$binfmt/sorvanta-i386" >/dev/null
  fi
  if [ ! -e "$binfmt/sorvanta-i386" ]; then
    echo "install-deps: registering $qemu for i386 programs with binfmt_misc (until the next boot)"
    # F: the kernel opens the interpreter now, so it runs in any mount namespace or chroot;
    # P: the program's own argv[0] reaches it.
    printf ':sorvanta-i386:M::%s:%s:%s:FP\n' "$i386_magic" "$i386_mask" "$qemu" |
      $sudo tee "$binfmt/register" >/dev/null ||
      { warn "binfmt_misc refused the entry for QEMU"; return 1; }
  fi
  [ "$(cat "$binfmt/status")" = enabled ] || echo 1 | $sudo tee "$binfmt/status" >/dev/null
}

# wine32 beside the installed amd64 packages, with nothing removed and every version move printed
# (scripts/install-beside.sh).
install_wine32() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "install-deps: adding the i386 architecture"
    $sudo dpkg --add-architecture i386
    updated=0
  fi
  [ $updated = 1 ] || { $sudo apt-get update -q || echo "install-deps: apt-get update failed for some indexes; going on with the rest"; updated=1; }
  $sudo "$here/install-beside.sh" wine32:i386 ||
    { echo "install-deps: ERROR: wine32 was not installed: make test will run what it can and fail" >&2; return 1; }
}

force_emulation=${SORVANTA_EMULATE_32BIT:-0}
how=$("$here/runs-32bit.sh") && runs=0 || runs=$?
case $runs in
  0 | 3) ;;
  *) exit 1 ;;
esac
if [ $runs = 3 ] || { [ "$force_emulation" = 1 ] && [ "$how" = natively ]; }; then
  [ $runs = 3 ] && echo "install-deps: this kernel cannot execute 32-bit code; emulating it with QEMU"
  if set_up_emulation; then
    how=$("$here/runs-32bit.sh") && runs=0 || runs=$?
    [ $runs = 0 ] || warn "a 32-bit program still does not run with QEMU registered"
  fi
fi
if [ $runs = 0 ]; then
  echo "install-deps: 32-bit programs run here $how"
  [ -z "$(missing wine32:i386)" ] || install_wine32 || true
fi

# Japanese texts render only under a Japanese locale (the ANSI code page becomes 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  $sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
