#!/usr/bin/env bash
# The release is reproducible and ships the tested program:
#   release-test.sh SOURCE TESTED_EXE WORK
# copies SOURCE twice into WORK, at paths of different lengths, and runs scripts/dist.sh in
# each copy under a different umask, time zone and locale, with the files' times changed in
# the second copy. The two programs and the two zips must be equal byte for byte, neither
# program may hold the path of its copy, the program in the zip must be TESTED_EXE (the one
# the Windows tests run), and the zip must hold the program, the readme in code page 932 with
# CRLF line ends, which names every control and message the program shows, and the notices.
# First, the program imports nothing newer than the Windows the readmes state.
set -euo pipefail
src=$1 tested=$2 work=$3
start=$(date +%s)

fail() { echo "release-test: $*" >&2; exit 1; }
[ -f "$tested" ] || fail "no tested program $tested: build the win32 tree first"

# The oldest Windows the program starts on is the newest Windows among its imports: the
# loader refuses a program that imports a function its system lacks. Each import must be in
# windows-imports.txt with the version that brought it, and the newest of them must be the
# version that the list, README.md and the readme state.
imports_list=$(dirname "$0")/windows-imports.txt
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
stated=$(sed -n 's/^oldest  *//p' "$imports_list")
rank() { case $1 in 2000) echo 50;; XP) echo 51;; Vista) echo 60;; 7) echo 61;; 8) echo 62;; 8.1) echo 63;; 10) echo 100;; *) echo 0;; esac; }
[ "$(rank "$stated")" != 0 ] || fail "windows-imports.txt states no known oldest Windows: \"$stated\""
imports=$("$objdump" -p "$tested" | awk '
  /^The Import Tables/ { on = 1 } /^PE File Base Relocations|^The Export Tables/ { on = 0 }
  on && /DLL Name:/ { dll = tolower($3) }
  on && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $3 }')
[ "$(wc -l <<<"$imports")" -ge 100 ] || fail "read too few imports from $tested: $imports"
newest=2000 newest_by=
while read -r dll name version; do
  [ "$version" != - ] || fail "$dll $name is imported but not in windows-imports.txt: add it with the Windows that brought it and its source"
  [ "$(rank "$version")" != 0 ] || fail "windows-imports.txt: unknown Windows \"$version\" for $name"
  [ "$(rank "$version")" -le "$(rank "$stated")" ] \
    || fail "$dll $name needs Windows $version, newer than the stated Windows $stated"
  if [ "$(rank "$version")" -gt "$(rank "$newest")" ]; then newest=$version newest_by=$name
  elif [ "$version" = "$newest" ]; then newest_by+=" $name"; fi
done < <(awk 'NR == FNR { if ($1 !~ /^#/) version[$1 " " $2] = $3; next }
                { print $1, $2, ($1 " " $2 in version) ? version[$1 " " $2] : "-" }' \
           "$imports_list" - <<<"$imports")
[ "$newest" = "$stated" ] || fail "the newest import needs only Windows $newest ($newest_by): state that, not $stated"
grep -q -F "Windows $stated" "$src/README.md" || fail "README.md does not state Windows $stated"
grep -q -F "Windows $stated" "$src/release/readme.txt" || fail "release/readme.txt does not state Windows $stated"
echo "release-test: $(wc -l <<<"$imports") imports, the newest for Windows $stated:$newest_by"

rm -rf "$work"
a=$work/a/src
b=$work/second-copy/sorvanta-source
for copy in "$a" "$b"; do
  mkdir -p "$copy"
  tar -C "$src" --exclude=./build --exclude=./out --exclude=./dist --exclude=./.git -cf - . \
    | tar -C "$copy" -xf -
done
find "$b" -exec touch -h -d '2001-02-03 04:05:06' {} +

dist() {  # copy, umask, time zone, locale
  echo "=== dist in $1 (umask $2, TZ=$3, LC_ALL=$4)"
  (umask "$2" && TZ=$3 LC_ALL=$4 "$1/scripts/dist.sh") >"$1.log" 2>&1 || { cat "$1.log"; fail "dist failed in $1"; }
  tail -n 2 "$1.log"
}
ja=C.UTF-8
locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$' && ja=ja_JP.UTF-8
dist "$a" 022 UTC C
dist "$b" 077 Asia/Tokyo "$ja"

zip_name=$(cd "$a/dist" && ls sorvanta-*-win32.zip)
for f in "build/win32/sorvanta.exe" "dist/$zip_name"; do
  cmp "$a/$f" "$b/$f" || { cmp -l "$a/$f" "$b/$f" | head -n 8 || true; fail "$f differs between the copies"; }
done
for path in "$a" "$b" "$src"; do
  if grep -q -a -F "$path" "$a/build/win32/sorvanta.exe"; then fail "the program holds the path $path"; fi
done

zip=$a/dist/$zip_name
unzip -p "$zip" sorvanta.exe | cmp - "$tested" || fail "the program in the zip is not the tested $tested"
[ "$(zipinfo -1 "$zip" | tr '\n' ' ')" = "sorvanta.exe readme.txt notices.txt " ] \
  || fail "the zip holds: $(zipinfo -1 "$zip" | tr '\n' ' ')"

# Each text, read back as a Japanese Windows reads it, is its source with CRLF line ends.
for text in readme.txt notices.txt; do
  unzip -p "$zip" "$text" >"$work/$text"
  if LC_ALL=C grep -q -v $'\r$' "$work/$text"; then fail "$text has a line without CRLF"; fi
  iconv -f CP932 -t UTF-8 "$work/$text" | tr -d '\r' | cmp - "$src/release/$text" \
    || fail "$text is not release/$text in code page 932"
done

# The readme speaks of what the singer sees: the panel's labels, the two message boxes, the
# settings file and its keys, the zip.
names=$(sed -n '/^IDD_PANEL /,/^END/p' "$src/res/sorvanta.rc" \
          | grep -E '^ +(PUSHBUTTON|DEFPUSHBUTTON|AUTOCHECKBOX|LTEXT|RTEXT|GROUPBOX) ' \
          | grep -o '"[^"]*"' | tr -d '"&')
names+=$'\n'$(grep -o -E '"[^"]*(初期化失敗|サポートしていません。)"' "$src/panel/EchoPanel.cpp" | tr -d '"')
names+=$'\n'$(grep -o -E 'Read\("[A-Z]+"\)' "$src/panel/EchoPanel.cpp" | sed -E 's/Read\("(.*)"\)/\1/')
names+=$'\n'sorvanta.ini$'\n'$zip_name
[ "$(wc -l <<<"$names")" -ge 20 ] || fail "found too few of the program's texts: $names"
while IFS= read -r name; do
  grep -q -F -- "$name" "$src/release/readme.txt" || fail "the readme does not name \"$name\""
done <<<"$names"
for notice in 'the mingw-w64 project' 'winpthreads' 'GCC RUNTIME LIBRARY EXCEPTION' 'Lucent'; do
  grep -q -F "$notice" "$src/release/notices.txt" || fail "the notices lack \"$notice\""
done

echo "release-test: both copies give"
(cd "$a/build/win32" && sha256sum sorvanta.exe)
(cd "$a/dist" && sha256sum "$zip_name")
echo "release-test: passed in $(($(date +%s) - start)) s"
rm -rf "$work"
