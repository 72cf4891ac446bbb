#!/usr/bin/env bash
# Prints an apt preferences file that lets i386 packages install beside the amd64 ones of this
# machine when the archive's indexes of the two architectures are out of step.
#
# A package that is "Multi-Arch: same" must stand at one version for every architecture it is
# installed for. When the amd64 copy is installed at a version the i386 indexes lack (seen here:
# the security suite's i386 index failed to download, "Mirror sync in progress?", for days, while
# the amd64 one had moved on), apt cannot install its i386 copy, and its resolver's way out is to
# remove the amd64 packages in the way (wine64, pulseaudio ...). This pins each such package to
# its installed version where the i386 indexes hold it, else to the newest version both
# architectures' indexes hold, so that apt keeps or moves the amd64 copy there instead, and only
# if the i386 copy is needed. Backports are left out: nothing but what the
# set-up asks for by name comes from them.
set -euo pipefail

lists() {  # ARCH: the text of that architecture's Packages indexes, backports left out
  apt-get indextargets --format '$(FILENAME) $(RELEASE)' 'Identifier: Packages' "Architecture: $1" |
    while read -r file release; do
      [[ $release == *-backports ]] && continue
      [ -e "$file" ] && /usr/lib/apt/apt-helper cat-file "$file"
    done
}
versions() {  # ARCH: "package version" for every version its indexes hold
  lists "$1" | awk '/^Package: / { p = $2 } /^Version: / { print p, $2 }' | sort -u
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
versions amd64 >"$work/amd64"
versions i386 >"$work/i386"
comm -12 "$work/amd64" "$work/i386" >"$work/both"
dpkg-query -W -f='${Package} ${Architecture} ${Version} ${Multi-Arch}\n' |
  awk '$2 == "amd64" && $4 == "same" { print $1, $3 }' | sort -u >"$work/installed"

newest() {  # VERSION...: the newest of them, in dpkg's order
  local best="" version
  for version; do
    if [ -z "$best" ] || dpkg --compare-versions "$version" gt "$best"; then best=$version; fi
  done
  echo "$best"
}
# One line a package: its installed version | the versions both architectures hold | the amd64 ones.
awk 'FILENAME ~ /installed$/ { installed[$1] = $2; next }
     !($1 in installed) { next }
     FILENAME ~ /both$/ { both[$1] = both[$1] " " $2; next }
     { amd64[$1] = amd64[$1] " " $2 }
     END { for (p in installed) if (p in both) print p "|" installed[p] "|" both[p] "|" amd64[p] }' \
  "$work/installed" "$work/both" "$work/amd64" | sort |
  while IFS='|' read -r package installed both amd64; do
    # The installed version where the i386 indexes hold it (nothing moves), else the newest both do.
    if [[ " $both " == *" $installed "* ]]; then
      common=$installed
    else
      # shellcheck disable=SC2086
      common=$(newest $both)
    fi
    # apt's candidate for the amd64 copy is its newest version; where that is not the one chosen,
    # apt would move the amd64 copy there beside any i386 one, and find no i386 copy to match.
    # shellcheck disable=SC2086
    [ "$(newest $amd64 "$installed")" = "$common" ] && continue
    printf 'Explanation: installed %s; a version that both architectures hold\n' "$installed"
    printf 'Package: %s\nPin: version %s\nPin-Priority: 1001\n\n' "$package" "$common"
  done
