#!/usr/bin/env bash
# Builds every target and runs every test this machine can run:
#   host        the tests on the simulation, plain
#   asan        the same under AddressSanitizer and UBSan
#   tsan        the same under ThreadSanitizer
#   win32       the shipped 32-bit Windows build (built, warnings as errors; not runnable here)
#   win64       the 64-bit Windows build, whose tests run under Wine
# Ends with one summary line per suite; the exit status is non-zero if anything failed.
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
configure win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" || exit 1
# The sound bench under Wine analyses its recordings with the host build's wavcheck.
configure win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  -DSORVANTA_WAVCHECK="$root/build/host/tools/wavcheck" || exit 1

for name in "${order[@]}"; do
  echo "=== build $name"
  if cmake --build "build/$name" -j "$jobs"; then result[$name]="built"; else result[$name]="BUILD FAILED"; fi
done

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

status=0
for name in host asan tsan win64; do
  [ "${result[$name]}" = "built" ] || { status=1; continue; }
  echo "=== test $name"
  log="build/$name.ctest.log"
  (cd "build/$name" && ctest --output-on-failure -j "$jobs" --timeout 1500) 2>&1 | tee "$log"
  if [ "${PIPESTATUS[0]}" -eq 0 ]; then
    result[$name]=$(grep -E 'tests passed' "$log" | tail -n 1)
  else
    result[$name]="FAILED: $(grep -E 'tests passed' "$log" | tail -n 1)"
    status=1
  fi
done
[ "${result[win32]}" = "built" ] || status=1

# The release zip (scripts/dist.sh), built from two copies of the source: the win32 tree's test.
order+=(release); result[release]="FAILED"; echo "=== test release"
[ "${result[win32]}" = "built" ] && (cd build/win32 && ctest --output-on-failure -R '^release$') \
  && result[release]="passed" || status=1
echo
echo "=== summary"
for name in "${order[@]}"; do
  printf '%-6s %s\n' "$name" "${result[$name]}"
done
exit $status
