#!/usr/bin/env bash
# Builds every target and runs every test this machine can run:
#   host        the tests on the simulation, plain
#   asan        the same under AddressSanitizer and UBSan
#   tsan        the same under ThreadSanitizer
#   win32       the shipped 32-bit Windows build, warnings as errors; under wine32 its unit,
#               conformance and framework tests, the look screenshots, the sound bench's self-test and the
#               end-to-end tests of the program
#   win64       the 64-bit Windows build, warnings as errors; under wine64 its unit,
#               conformance and framework tests
# The i686 build runs natively or, where the kernel refuses 32-bit code, emulated by QEMU
# (scripts/install-deps.sh sets that up), and the summary says which. Where it cannot run
# (scripts/wine32-runs.sh) the end-to-end tests run on the x86_64 build instead and the summary
# says why; that passes only on a machine that cannot run 32-bit code at all. Where it could have
# run but the set-up left it out (wine32 not installed), the run fails at the end, with why.
# Ends with one summary line per suite (per test for each Windows build and word size) and the
# line of scripts/sizes.sh; the exit status is non-zero if a build or a test failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

configure() {  # name, extra cmake arguments...
  local name=$1; shift
  cmake -S "$root" -B "build/$name" -G Ninja -Wno-dev "$@" >"build/$name.configure.log" 2>&1 \
    || { cat "build/$name.configure.log"; return 1; }
}

declare -A result
order=(host asan tsan win32 win64)
mkdir -p build

configure host  -DCMAKE_BUILD_TYPE=RelWithDebInfo || exit 1
configure asan  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANTA_SANITIZER=address || exit 1
configure tsan  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANTA_SANITIZER=thread || exit 1
runs_32bit=0
how_32bit=$("$root/scripts/wine32-runs.sh") || runs_32bit=$?
case $runs_32bit in
  0) e2e_on=win32 ;;
  3 | 4) e2e_on=win64 ;;
  *) echo "test-all: cannot tell whether the i686 build can run here" >&2; exit 1 ;;
esac
# The sound bench under Wine analyses its recordings with the host build's wavcheck.
wine_tests() {  # name: the cmake arguments for the Wine tests of that Windows build
  echo "-DSORVANTA_WAVCHECK=$root/build/host/tools/wavcheck"
  if [ "$1" = win32 ] && [ "$runs_32bit" != 0 ]; then
    echo "-DSORVANTA_RUN_WINDOWS_TESTS=OFF -DSORVANTA_RUN_E2E_TESTS=OFF"
    return
  fi
  echo "-DSORVANTA_RUN_WINDOWS_TESTS=ON"
  [ "$1" = "$e2e_on" ] && echo "-DSORVANTA_RUN_E2E_TESTS=ON" || echo "-DSORVANTA_RUN_E2E_TESTS=OFF"
}
# shellcheck disable=SC2046
configure win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  $(wine_tests win32) || exit 1
# shellcheck disable=SC2046
configure win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  $(wine_tests win64) || exit 1

for name in "${order[@]}"; do
  echo "=== build $name"
  if cmake --build "build/$name" -j "$jobs"; then result[$name]="built"; else result[$name]="BUILD FAILED"; fi
done
[ "${result[win32]}" = "built" ] && win32_built=1 || win32_built=0

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

status=0
windows_lines=()
# ctest's lines " 1/6 Test #1: unit_tests ....   Passed    3.21 sec", one summary line each.
windows_summary() {  # LOG LABEL
  awk -v label="$2" '/Test +#[0-9]+: / {
      sub(/.*Test +#[0-9]+: /, ""); name = $1; sub(/^[^ ]+ \.*/, ""); gsub(/^ +| +$/, "")
      printf "%s %-18s %s\n", label, name, $0 }' "$1"
}
for name in host asan tsan win32 win64; do
  [ "${result[$name]}" = "built" ] || { status=1; continue; }
  [ "$name" = win32 ] && [ "$runs_32bit" != 0 ] && continue
  echo "=== test $name"
  log="build/$name.ctest.log"
  # The release test, which needs no Wine, runs on its own after the loop.
  (cd "build/$name" && ctest --output-on-failure -j "$jobs" --timeout 1500 -E '^release$') 2>&1 | tee "$log"
  if [ "${PIPESTATUS[0]}" -eq 0 ]; then
    result[$name]=$(grep -E 'tests passed' "$log" | tail -n 1)
  else
    result[$name]="FAILED: $(grep -E 'tests passed' "$log" | tail -n 1)"
    status=1
  fi
  case $name in
    win32) windows_lines+=("$(windows_summary "$log" "i686 under Wine ($how_32bit):")") ;;
    win64) windows_lines+=("$(windows_summary "$log" "x86_64 under Wine:")") ;;
  esac
done
[ "$runs_32bit" = 0 ] || windows_lines=("i686 under Wine: not run, $how_32bit" "${windows_lines[@]}")

# The release zip (scripts/dist.sh), built from two copies of the source: the win32 tree's test.
order+=(release); result[release]="FAILED"; echo "=== test release"
[ "$win32_built" = 1 ] && (cd build/win32 && ctest --output-on-failure -R '^release$') \
  && result[release]="passed" || status=1
echo
echo "=== summary"
for name in "${order[@]}"; do
  printf '%-6s %s\n' "$name" "${result[$name]}"
done
printf '%s\n' "${windows_lines[@]}"
# How large the simulation is beside the product: told, never a reason to fail the run.
"$root/scripts/sizes.sh" || true
if [ "$runs_32bit" = 4 ]; then
  echo "test-all: FAILED: the shipped i686 build was not tested, though it could run here: $how_32bit (see scripts/install-deps.sh's output above)"
  status=1
fi
exit $status
