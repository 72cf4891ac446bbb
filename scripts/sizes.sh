#!/usr/bin/env bash
# Prints, in one line, how large the simulation is beside the product it stands under:
#   sizes: simulation N lines (platform/sim A, tests/support B) = R x the product's P
# The product is app, panel, echo, wave, framework and res; the simulation is platform/sim and
# the tests' side of it in tests/support. A line is a non-blank line of a C++ file (*.cpp, *.h)
# as the project's .clang-format lays it out, so that reflowing a file moves no count.
# Where it cannot count (no clang-format, or clang-format failing) it says so on one line and
# exits non-zero.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

command -v clang-format >/dev/null ||
  { echo "sizes: could not count: clang-format is not installed (scripts/install-deps.sh installs it)"; exit 1; }

# clang-format starts slowly (some 70 ms) and formats fast: one process formats copies of all the
# files in place, and each file is then counted on its own (the formatted text of several files
# in one stream would join the last line of a file without a final newline to the next).
copies=$(mktemp -d)
trap 'rm -rf "$copies"' EXIT
folders=(platform/sim tests/support app panel echo wave framework res)
find "${folders[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) -exec cp --parents -t "$copies" {} +
(cd "$copies" && find . -type f -print0 | xargs -0 -r clang-format -i --style=file:"$root/.clang-format") ||
  { echo "sizes: could not count: clang-format failed"; exit 1; }

count() {  # folder...: the non-blank formatted lines of their C++ files
  # grep fails where no file has a line: a count of 0.
  (cd "$copies" && { find "$@" -type f -exec grep -chv '^\s*$' {} + || true; }) |
    awk '{ n += $1 } END { print n + 0 }'
}

sim=$(count platform/sim)
support=$(count tests/support)
product=$(count app panel echo wave framework res)
awk -v sim="$sim" -v support="$support" -v product="$product" '
  function grouped(n,   s) {  # 8014 -> 8,014
    s = ""
    while (n >= 1000) { s = sprintf(",%03d", n % 1000) s; n = int(n / 1000) }
    return n s
  }
  BEGIN {
    printf "sizes: simulation %s lines (platform/sim %s, tests/support %s) = %.2f x the product'"'"'s %s\n",
      grouped(sim + support), grouped(sim), grouped(support), (sim + support) / product, grouped(product)
  }'
