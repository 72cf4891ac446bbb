#!/usr/bin/env bash
# Runs a Windows program of the 64-bit build under Wine, as a person would use it:
#   scripts/run.sh [PROGRAM.exe [ARGS...]]       (default: the build's sorvanta.exe)
# With a display and a sound server of the user's own (DISPLAY and a PulseAudio that answers)
# it runs the program there and returns when it ends. Without them it makes virtual ones
# (scripts/with-virtual-devices.sh, rebuilt on one clock by tests/e2e/bench.sh) and rehearses
# a session: it waits for the window named "Sorvanta", presses alt+n (ON) in it, speaks a
# test phrase into the microphone, and leaves in RUN_OUT (default out/):
#   screenshot.png   the screen while the echo runs
#   played.wav       what the program played
#   recording.wav    microphone (channel 0) and speaker (channel 1) on one time axis
#   picture.png      input against output, where the echoes can be seen
# The program's working folder is RUN_OUT/work; a sorvanta.ini there chooses the virtual
# devices and the echo (RUN_TIME, RUN_ECHO, RUN_DELAY; 100 ms, 128, 300 ms) unless one exists.
# A program without such a window (a stand-in) skips the window steps with a message.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${RUN_OUT:-$root/out}

build() {
  "$root/scripts/install-deps.sh"
  local name
  for name in host win64; do
    if [ ! -f "$root/build/$name/build.ninja" ]; then
      local toolchain=()
      [ $name = win64 ] && toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake")
      cmake -S "$root" -B "$root/build/$name" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" >/dev/null
    fi
  done
  cmake --build "$root/build/host" --target wavcheck >/dev/null
  if [ -z "$program" ]; then
    cmake --build "$root/build/win64" --target sorvanta >/dev/null || {
      echo "run: the program does not build yet (target sorvanta)" >&2; exit 1; }
    program=$root/build/win64/sorvanta.exe
  fi
}

has_own_devices() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 && pactl info >/dev/null 2>&1
}

# Inside the virtual devices: the rehearsal.
virtual_session() {
  source "$root/tests/e2e/bench.sh"
  local wavcheck=$root/build/host/tests/e2e/wavcheck
  mkdir -p "$out/work"
  out=$(cd "$out" && pwd)
  trap bench_done EXIT
  bench_devices
  bench_phrase "$out/phrase.wav"
  if [ ! -f "$out/work/sorvanta.ini" ]; then
    printf '[default]\r\nINDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=%s\r\nSTEREO=0\r\nTIME=%s\r\nECHO=%s\r\nDELAY=%s\r\n' \
      "$BENCH_RATE" "${RUN_TIME:-100}" "${RUN_ECHO:-128}" "${RUN_DELAY:-300}" >"$out/work/sorvanta.ini"
  fi
  bench_record_start "$out/recording.wav"
  (cd "$out/work" && bench_wine "$program" "$@") &
  local pid=$! window=""
  for _ in $(seq 60); do
    window=$(xdotool search --name '^Sorvanta$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.5
  done
  if [ -n "$window" ]; then
    echo "run: window Sorvanta found; pressing alt+n (ON)"
    sleep 1  # the dialog finishes its initialisation
    xdotool key --window "$window" alt+n
  else
    echo "run: no window named Sorvanta appeared; skipping the ON press (the program runs as it is)"
  fi
  sleep 2
  echo "run: speaking the test phrase into the microphone"
  bench_feed "$out/phrase.wav"
  sleep 1
  import -window root "$out/screenshot.png"
  sleep 1  # the last echoes
  if [ -n "$window" ] && kill -0 $pid 2>/dev/null; then
    xdotool key --window "$window" Escape 2>/dev/null || true
  fi
  for _ in $(seq 20); do kill -0 $pid 2>/dev/null || break; sleep 0.5; done
  if kill -0 $pid 2>/dev/null; then
    echo "run: the program did not end; stopping it"
    WINEPREFIX=$BENCH_WINEPREFIX /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  fi
  wait $pid 2>/dev/null || true
  bench_record_stop
  sox "$out/recording.wav" "$out/played.wav" remix 2
  "$wavcheck" picture "$out/recording.wav:0" "$out/recording.wav:1" "$out/picture.png" \
    --title "$(basename "$program"): microphone and speaker" >/dev/null
  echo "run: left screenshot.png, played.wav, recording.wav and picture.png in $out"
}

if [ "${1:-}" = --virtual-session ]; then
  shift
  program=$1
  shift
  virtual_session "$@"
  exit
fi

program=""
if [ $# -gt 0 ]; then
  program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  shift
fi
build
if has_own_devices; then
  echo "run: on your display $DISPLAY and your sound server"
  exec "$root/scripts/wine-run.sh" "$program" "$@"
fi
echo "run: no display or sound server of your own; using virtual ones"
exec "$root/scripts/with-virtual-devices.sh" "$0" --virtual-session "$program" "$@"
