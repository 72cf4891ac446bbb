#!/usr/bin/env bash
# The product's coverage by the host tests: the README's `make coverage`.
#   scripts/coverage.sh
# Builds the host tests with gcov in build/coverage, runs them, and prints the line and branch
# coverage of the product's folders (app, panel, echo, wave, framework; not the simulation, the
# tools or the tests), then every product line that no test reached. Branches that only an
# exception takes are left out: the product throws nothing, and they would only count the
# compiler's landing pads. The report is in build/coverage/coverage.info and build/coverage/html.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=$root/build/coverage
product=(app panel echo wave framework)

cmake -S "$root" -B "$tree" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Debug -DSORVANTA_COVERAGE=ON >/dev/null
cmake --build "$tree" -j "$(nproc)"
lcov=(lcov --quiet --rc lcov_branch_coverage=1 --rc geninfo_no_exception_branch=1)
"${lcov[@]}" --zerocounters --directory "$tree"
(cd "$tree" && ctest --output-on-failure -j "$(nproc)")

"${lcov[@]}" --capture --directory "$tree" --base-directory "$root" --output-file "$tree/all.info"
patterns=()
for folder in "${product[@]}"; do patterns+=("$root/$folder/*"); done
"${lcov[@]}" --extract "$tree/all.info" "${patterns[@]}" --output-file "$tree/coverage.info"
genhtml --quiet --rc lcov_branch_coverage=1 --prefix "$root" --output-directory "$tree/html" \
  "$tree/coverage.info" >/dev/null

echo
echo "=== product lines no test reaches (folder/file:line  source)"
# In the tracefile: SF:<file>, then DA:<line>,<count> for each line with code.
awk -v root="$root/" '
  /^SF:/ { file = substr($0, 4); sub("^" root, "", file); next }
  /^DA:/ { split(substr($0, 4), f, ","); if (f[2] == 0) print file ":" f[1] }
' "$tree/coverage.info" | sort -t: -k1,1 -k2,2n | while IFS=: read -r file line; do
  printf '%-32s %s\n' "$file:$line" "$(sed -n "${line}p" "$root/$file" | sed 's/^ *//')"
done
echo
echo "=== coverage of app, panel, echo, wave and framework by the host tests"
lcov --rc lcov_branch_coverage=1 --summary "$tree/coverage.info" 2>&1 | grep -E 'lines|branches'
