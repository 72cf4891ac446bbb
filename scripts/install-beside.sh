#!/usr/bin/env bash
# Installs packages of a foreign architecture beside this machine's native packages, with
# nothing removed:
#   install-beside.sh [--simulate] PACKAGE:ARCH...      (the set-up: wine32:i386)
# apt's configuration is the caller's: APT_CONFIG names a private root in the tests
# (tests/setup/install-beside-test.sh). --simulate prints apt's plan instead of carrying it out.
# Exit 0: installed (or planned); 1: not without removing a package, or apt failed, with apt's
# plan on standard error.
#
# A "Multi-Arch: same" package stands at one version on every architecture it is installed
# for. Where the candidates of its two architectures are one version, apt keeps to that rule
# itself: the native copy moves to the candidate beside its new foreign copy (up, on a machine
# whose image is older than the archive). Where they differ, apt finds no plan, or one that
# removes packages: the archive's indexes are out of step (seen: the i386 security index failing
# to download, "Mirror sync in progress?", for days while the amd64 one moved on), or the native
# copy is newer than the archive. Then both copies are pinned, each by its architecture's name
# (a bare name in a preferences file pins the native copy alone), to the newest version both
# architectures take, which may move the native copy down. A package of one architecture that
# needs the exact version of a library that moves (a tool beside its library) would be removed:
# it moves too, to its newest version that stays. Every move is printed.
set -euo pipefail

simulate=0
if [ "${1-}" = --simulate ]; then
  simulate=1
  shift
fi
(($#)) || { echo "usage: install-beside.sh [--simulate] PACKAGE:ARCH..." >&2; exit 1; }
request=("$@")
foreign=${1##*:}
say() { echo "install-beside: $*"; }

eval "$(apt-config shell native APT::Architecture status Dir::State::status/f \
  preferences Dir::Etc::Preferences/f)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The native "Multi-Arch: same" packages installed here.
awk -v native="$native" 'BEGIN { RS = ""; FS = "\n" }
  { delete f; for (i = 1; i <= NF; i++) if (split($i, kv, ": ") >= 2) f[kv[1]] = kv[2] }
  f["Status"] ~ / installed$/ && f["Architecture"] == native && f["Multi-Arch"] == "same" {
    print f["Package"] }' "$status" | sort -u >"$work/installed"
mapfile -t packages <"$work/installed"

# For each of them and each architecture, from apt's own policy: "PACKAGE ARCH candidate VERSION"
# and "PACKAGE ARCH takes VERSION" for every version of an index that apt takes by default
# (priority 500 or more: not a suite marked NotAutomatic, such as backports, nor one pinned down).
if ((${#packages[@]})); then
  apt-cache policy "${packages[@]/%/:$native}" "${packages[@]/%/:$foreign}" 2>/dev/null |
    awk -v native="$native" '
      /^[^ ].*:$/ { name = substr($0, 1, length($0) - 1); arch = native
                    if (name ~ /:/) { arch = name; sub(/.*:/, "", arch); sub(/:.*/, "", name) } }
      /^  Candidate: / { print name, arch, "candidate", $2 }
      /^ ... [^ ]+ -?[0-9]+$/ { version = $(NF - 1); priority = $NF }
      /^        -?[0-9]+ / && $2 !~ /\/status$/ && priority >= 500 { print name, arch, "takes", version }' |
    sort -u >"$work/policy"
else
  : >"$work/policy"
fi

newest() {  # VERSION...: the newest of them in dpkg's order
  local best="" version
  for version; do
    if [ -z "$best" ] || dpkg --compare-versions "$version" gt "$best"; then best=$version; fi
  done
  echo "$best"
}

# The pins, ahead of the machine's own preferences, which stay in force.
prefs=$work/preferences
pinned=" "
for package in "${packages[@]}"; do
  mine=$(awk -v p="$package" -v a="$native" '$1 == p && $2 == a && $3 == "candidate" { print $4 }' "$work/policy")
  theirs=$(awk -v p="$package" -v a="$foreign" '$1 == p && $2 == a && $3 == "candidate" { print $4 }' "$work/policy")
  [ -n "$theirs" ] && [ "$theirs" != "(none)" ] && [ "$mine" != "$theirs" ] || continue
  # shellcheck disable=SC2046
  common=$(newest $(awk -v p="$package" -v n="$native" -v f="$foreign" '
    $1 == p && $3 == "takes" { if ($2 == n) a[$4] = 1; else if ($2 == f) b[$4] = 1 }
    END { for (v in a) if (v in b) print v }' "$work/policy"))
  [ -n "$common" ] || continue  # nothing both take: apt's plan below says what fails
  printf 'Explanation: candidates %s (%s) and %s (%s); the newest version both take\n' \
    "$mine" "$native" "$theirs" "$foreign"
  printf 'Package: %s:%s %s:%s\nPin: version %s\nPin-Priority: 1001\n\n' \
    "$package" "$native" "$package" "$foreign" "$common"
  pinned+="$package "
done >"$prefs"
[ ! -f "$preferences" ] || cat "$preferences" >>"$prefs"

apt=(apt-get -q -o "Dir::Etc::Preferences=$prefs" --no-install-recommends)
plan=$("${apt[@]}" -s install "${request[@]}" 2>&1) || true
# A package that would be removed moves to its newest version that stays, if it has one.
tools=" "
for removed in $(awk '/^Remv / { print $2 }' <<<"$plan"); do
  for version in $(apt-cache madison "$removed" | awk -F ' [|] ' '{ print $2 }'); do
    try=$("${apt[@]}" -s install "${request[@]}" "$removed=$version" 2>&1) || continue
    grep -q "^Remv $removed " <<<"$try" && continue
    request+=("$removed=$version")
    tools+="$removed "
    plan=$try
    break
  done
done
if grep -q '^E: ' <<<"$plan" || grep -q '^Remv ' <<<"$plan"; then
  echo "install-beside: ${request[*]} cannot be installed with nothing removed; apt's plan:" >&2
  grep -E '^(Remv|E:| )' <<<"$plan" >&2
  exit 1
fi

# Every installed package that moves: "Inst NAME [OLD] (NEW ...)".
sed -n 's/^Inst \([^ ]*\) \[\([^]]*\)\] (\([^ ]*\) .*/\1 \2 \3/p' <<<"$plan" |
  while read -r package old new; do
    if dpkg --compare-versions "$new" ge "$old"; then
      say "moving $package from $old to $new"
    elif [[ $pinned == *" ${package%:*} "* ]]; then
      say "moving $package from $old down to $new: the newest version that both $native and $foreign take"
    elif [[ $tools == *" $package "* ]]; then
      say "moving $package from $old down to $new: its newest version that is not removed with the libraries' moves"
    else
      say "moving $package from $old down to $new"
    fi
  done

if [ $simulate = 1 ]; then
  grep -E '^(Inst|Remv|Conf) ' <<<"$plan" || true
  exit 0
fi
say "installing ${request[*]}"
DEBIAN_FRONTEND=noninteractive "${apt[@]}" -y --allow-downgrades --no-remove install "${request[@]}"
