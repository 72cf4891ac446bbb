#!/usr/bin/env bash
# How the set-up installs wine32 beside the 64-bit packages (scripts/install-beside.sh), against
# real apt: small packages built here, served from local archives (a base, a security and a
# backports suite), planned in a private apt root (its own configuration, dpkg status and lists),
# so that nothing on the machine changes.
#   install-beside-test.sh [SCRIPT]     SCRIPT: the decision code to try (the set-up's by default)
# In each archive state seen so far apt's plan installs the program, removes nothing, leaves each
# library at one version on both architectures, and every move is printed:
#   a   the archive in step with what is installed
#   b   what is installed older than both architectures' candidates
#   c   an i386 index behind the amd64 one and one ahead of it, and a newer version in backports,
#       which neither architecture takes
#   d   c, with a tool of one architecture that needs its library's exact version (it moves down)
#   d2  b, with that tool (it moves up)
# and where the tool cannot stay (e), the set-up stops with apt's plan.
set -euo pipefail
script=${1:-$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-beside.sh}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

new_case() {  # NAME: an empty archive and a private root with nothing installed
  name=$1 dir=$work/$1
  mkdir -p "$dir"/root/etc/apt/{apt.conf.d,preferences.d} "$dir"/root/var/lib/apt/lists/partial \
    "$dir"/root/var/cache/apt/archives/partial "$dir/pool"
  : >"$dir/root/status"
  : >"$dir/root/sources.list"
  cat >"$dir/apt.conf" <<EOF
Dir "$dir/root/";
Dir::State::status "$dir/root/status";
Dir::Etc::sourcelist "$dir/root/sources.list";
APT::Architecture "amd64";
APT::Architectures { "amd64"; "i386"; };
APT::Sandbox::User "root";
Debug::NoLocking "true";
Acquire::Languages "none";
EOF
}

control() {  # NAME VERSION ARCH FIELD...: a package's control paragraph
  printf '%s\n' "Package: $1" "Version: $2" "Architecture: $3" \
    "Maintainer: Sorvanta tests <tests@sorvanta.example>" "Description: a stand-in" "${@:4}"
}

offer() {  # SUITE ARCH NAME VERSION FIELD...: the package, built, in that suite's index
  local suite=$1 arch=$2 name=$3 version=$4 deb=pool/${3}_${4}_$2.deb
  mkdir -p "$dir/src/$name-$version-$arch/DEBIAN" "$dir/dists/$suite/main/binary-$arch"
  control "$name" "$version" "$arch" "${@:5}" >"$dir/src/$name-$version-$arch/DEBIAN/control"
  dpkg-deb --root-owner-group --build "$dir/src/$name-$version-$arch" "$dir/$deb" >/dev/null
  { dpkg-deb -f "$dir/$deb"
    printf 'Filename: %s\nSize: %s\nSHA256: %s\n\n' "$deb" "$(stat -c %s "$dir/$deb")" \
      "$(sha256sum <"$dir/$deb" | cut -d ' ' -f 1)"
  } >>"$dir/dists/$suite/main/binary-$arch/Packages"
}
installed() {  # ARCH NAME VERSION FIELD...: the package, as the private status has it installed
  { control "$2" "$3" "$1" "Status: install ok installed" "${@:4}"; echo; } >>"$dir/root/status"
}

publish() {  # SUITE FIELD...: its Release file, and the suite in the sources
  local suite=$1 index
  for index in main/binary-amd64/Packages main/binary-i386/Packages; do
    mkdir -p "$dir/dists/$suite/${index%/*}"
    touch "$dir/dists/$suite/$index"
  done
  { printf '%s\n' "Suite: $suite" "Codename: $suite" "Date: Sat, 10 Jun 2023 00:00:00 UTC" \
      "Architectures: amd64 i386" "Components: main" "${@:2}" "SHA256:"
    for index in main/binary-amd64/Packages main/binary-i386/Packages; do
      printf ' %s %s %s\n' "$(sha256sum <"$dir/dists/$suite/$index" | cut -d ' ' -f 1)" \
        "$(stat -c %s "$dir/dists/$suite/$index")" "$index"
    done
  } >"$dir/dists/$suite/Release"
  echo "deb [trusted=yes] file:$dir $suite main" >>"$dir/root/sources.list"
}

lib=("Multi-Arch: same")
base_archive() {  # two libraries at 1.0 on both architectures, wine32 and wine64 that need them;
  # wine64 and libbar installed (each case installs libfoo)
  local arch
  for arch in amd64 i386; do
    offer bookworm $arch libfoo 1.0 "${lib[@]}"
    offer bookworm $arch libbar 1.0 "${lib[@]}"
  done
  offer bookworm i386 wine32 1.0 "Depends: libfoo (>= 1.0), libbar (>= 1.0)"
  offer bookworm amd64 wine64 1.0 "Depends: libfoo (>= 1.0), libbar (>= 1.0)"
  installed amd64 libbar 1.0 "${lib[@]}"
  installed amd64 wine64 1.0 "Depends: libfoo (>= 1.0), libbar (>= 1.0)"
}
tool() {  # SUITE VERSION: the library's tool, amd64 only, at that version of both
  offer "$1" amd64 libfoo-tool "$2" "Depends: libfoo (= $2)"
}
publish_all() {
  publish bookworm
  publish bookworm-security
  publish bookworm-backports "NotAutomatic: yes" "ButAutomaticUpgrades: yes"
}

plan() {  # the decision code's plan in this case's root: its output in $dir/out, its status in rc
  export APT_CONFIG=$dir/apt.conf
  apt-get -q update >"$dir/update.log" 2>&1 || { cat "$dir/update.log"; exit 1; }
  rc=0
  "$script" --simulate wine32:i386 >"$dir/out" 2>&1 || rc=$?
}

fail() {  # what: the case fails, with the decision code's output shown once
  echo "FAIL ($name): $*"
  failures=$((failures + 1))
  [ -e "$dir/shown" ] || { sed 's/^/    /' "$dir/out"; touch "$dir/shown"; }
}

after() {  # "PACKAGE ARCH VERSION" of what is installed once apt's plan has been carried out
  awk 'FNR == NR { if (/^Package: /) p = $2; if (/^Architecture: /) a = $2
                   if (/^Version: /) version = $2; if (/^$/) v[p ":" a] = version; next }
       /^Inst / { n = $2; if (n !~ /:/) n = n ":amd64"
                  v[n] = ($3 ~ /^\[/) ? substr($4, 2) : substr($3, 2) }
       /^Remv / { n = $2; if (n !~ /:/) n = n ":amd64"; delete v[n] }
       END { for (n in v) { split(n, pa, ":"); print pa[1], pa[2], v[n] } }' \
    "$dir/root/status" "$dir/out" | sort
}

check_plan() {  # the checks of every case that must succeed
  [ $rc = 0 ] || fail "the decision code failed ($rc)"
  grep -q '^Inst wine32:i386 ' "$dir/out" || fail "wine32:i386 is not installed"
  ! grep -q '^Remv ' "$dir/out" || fail "the plan removes packages"
  local package old new
  while read -r package; do
    [ "$(after | awk -v p="$package" '$1 == p { print $3 }' | sort -u | wc -l)" = 1 ] ||
      fail "$package ends at different versions: $(after | grep "^$package " | tr '\n' ' ')"
  done < <(after | awk '{ print $1 }' | sort | uniq -d)
  while read -r package old new; do
    grep -q "moving $package from $old \(down \)\?to $new" "$dir/out" ||
      fail "the move of $package from $old to $new is not printed"
  done < <(sed -n 's/^Inst \([^ ]*\) \[\([^]]*\)\] (\([^ ]*\) .*/\1 \2 \3/p' "$dir/out")
}
ends_at() {  # PACKAGE ARCH VERSION: where the plan leaves that package
  [ "$(after | awk -v p="$1" -v a="$2" '$1 == p && $2 == a { print $3 }')" = "$3" ] ||
    fail "$1:$2 ends at '$(after | awk -v p="$1" -v a="$2" '$1 == p && $2 == a { print $3 }')', not $3"
}

new_case a
base_archive
installed amd64 libfoo 1.0 "${lib[@]}"
publish_all
plan
check_plan
ends_at libfoo i386 1.0
! grep -q '^Inst [^ ]* \[' "$dir/out" || fail "something installed moves"

new_case b
base_archive
offer bookworm-security amd64 libfoo 1.0+sec1 "${lib[@]}"
offer bookworm-security i386 libfoo 1.0+sec1 "${lib[@]}"
installed amd64 libfoo 1.0 "${lib[@]}"
publish_all
plan
check_plan

c_archive() {  # libfoo's amd64 copy installed at a security version that the i386 index lacks;
  # libbar's newer security version in the i386 index alone
  base_archive
  offer bookworm-security amd64 libfoo 1.0+sec1 "${lib[@]}"
  offer bookworm-security i386 libbar 1.0+sec1 "${lib[@]}"
  offer bookworm-backports amd64 libfoo 1.1~bpo "${lib[@]}"
  offer bookworm-backports i386 libfoo 1.1~bpo "${lib[@]}"
  installed amd64 libfoo 1.0+sec1 "${lib[@]}"
  }
new_case c
c_archive
publish_all
plan
check_plan
ends_at libfoo amd64 1.0
ends_at libbar i386 1.0
grep -q 'moving libfoo from 1.0+sec1 down to 1.0: ' "$dir/out" || fail "the move down gives no reason"

new_case d
c_archive
tool bookworm 1.0
tool bookworm-security 1.0+sec1
installed amd64 libfoo-tool 1.0+sec1 "Depends: libfoo (= 1.0+sec1)"
publish_all
plan
check_plan
ends_at libfoo-tool amd64 1.0

new_case d2
base_archive
offer bookworm-security amd64 libfoo 1.0+sec1 "${lib[@]}"
offer bookworm-security i386 libfoo 1.0+sec1 "${lib[@]}"
tool bookworm 1.0
tool bookworm-security 1.0+sec1
installed amd64 libfoo 1.0 "${lib[@]}"
installed amd64 libfoo-tool 1.0 "Depends: libfoo (= 1.0)"
publish_all
plan
check_plan

new_case e
c_archive
tool bookworm-security 1.0+sec1
installed amd64 libfoo-tool 1.0+sec1 "Depends: libfoo (= 1.0+sec1)"
publish_all
plan
[ $rc != 0 ] || fail "a plan that removes the tool did not stop the set-up"
grep -q '^Remv libfoo-tool ' "$dir/out" || fail "apt's plan, which removes the tool, is not printed"

if [ $failures = 0 ]; then
  echo "install-beside-test: all cases passed"
else
  echo "install-beside-test: $failures failures"
  exit 1
fi
