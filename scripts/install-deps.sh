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
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The shipped program is 32-bit: wine32 runs it, on a kernel that executes 32-bit code. On one
# that refuses it (scripts/runs-32bit.sh), wine32 could not start, and the 64-bit build stands in.
here=$(cd "$(dirname "$0")" && pwd)
runs_32bit=0
"$here/runs-32bit.sh" || runs_32bit=$?
case $runs_32bit in
  0)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      echo "install-deps: adding the i386 architecture"
      $sudo dpkg --add-architecture i386
    fi
    packages+=(wine32:i386)
    ;;
  3) echo "install-deps: this kernel cannot execute 32-bit code; wine32 is left out" ;;
  *) exit 1 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Japanese texts render only under a Japanese locale (the ANSI code page becomes 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  $sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
