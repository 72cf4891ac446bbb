#!/usr/bin/env bash
# Builds the release, dist/sorvanta-VERSION-win32.zip: the shipped 32-bit program from the tree
# that the tests run (build/win32, configured as scripts/test-all.sh does), its readme in
# Japanese (code page 932, CRLF) and the notices of the runtime linked into it. Prints the
# SHA-256 of the program and of the zip.
#
# The same source gives the same bytes in any folder and at any time: the program is linked
# without a time stamp and stripped (see app/CMakeLists.txt), and the zip holds the files in a
# fixed order, with fixed modes and the release's own date, without extra fields (owner, times).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

version=$(sed -n 's/^ *FILEVERSION *\([0-9]*\), *\([0-9]*\),.*/\1.\2/p' res/sorvanta.rc)
[ -n "$version" ] || { echo "dist: no FILEVERSION in res/sorvanta.rc" >&2; exit 1; }
# The time that every file in the zip carries (UTC): the day of this version.
release_time=202612090000
zip_name=sorvanta-$version-win32.zip

mkdir -p build
cmake -S "$root" -B build/win32 -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >build/win32.configure.log 2>&1 \
  || { cat build/win32.configure.log; exit 1; }
cmake --build build/win32 -j 2 --target sorvanta

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp build/win32/sorvanta.exe "$stage/sorvanta.exe"
# Notepad on older Windows shows only CRLF line ends; a Japanese Windows reads code page 932.
iconv -f UTF-8 -t CP932 release/readme.txt | sed 's/$/\r/' >"$stage/readme.txt"
sed 's/$/\r/' release/notices.txt >"$stage/notices.txt"
chmod 644 "$stage"/*
export TZ=UTC  # zip stores local time
touch -t "$release_time" "$stage"/*

mkdir -p dist
rm -f "dist/$zip_name"
(cd "$stage" && zip -X -9 -q "$root/dist/$zip_name" sorvanta.exe readme.txt notices.txt)

echo "dist: $root/dist/$zip_name"
(cd "$stage" && sha256sum sorvanta.exe)
(cd dist && sha256sum "$zip_name")
