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

# The shipped program is 32-bit: wine32 runs it, on a kernel that executes 32-bit code. On one
# that refuses it (scripts/runs-32bit.sh), wine32 could not start, and the 64-bit build stands in.
# It stands in too where the archive cannot give wine32 (its i386 libraries must have the very
# versions of the 64-bit ones installed): that is said here and in the summary of every test run
# (scripts/wine32-runs.sh), not taken for a failure of the project.
here=$(cd "$(dirname "$0")" && pwd)
runs_32bit=0
"$here/runs-32bit.sh" || runs_32bit=$?
case $runs_32bit in
  0)
    if [ -n "$(missing wine32:i386)" ]; then
      if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "install-deps: adding the i386 architecture"
        $sudo dpkg --add-architecture i386
        updated=0
      fi
      echo "install-deps: installing wine32:i386"
      install wine32:i386 || echo "install-deps: WARNING: wine32 could not be installed; the shipped" \
        "32-bit program cannot run here, and the tests run the 64-bit build in its place"
    fi
    ;;
  3) echo "install-deps: this kernel cannot execute 32-bit code; wine32 is left out" ;;
  *) exit 1 ;;
esac

# Japanese texts render only under a Japanese locale (the ANSI code page becomes 932).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  $sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
