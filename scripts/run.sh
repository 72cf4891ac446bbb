#!/usr/bin/env bash
# Runs the program under Wine for a person: the README's `make run`.
#   scripts/run.sh
# Installs what it needs (scripts/install-deps.sh) and builds the program that ships, the
# 32-bit sorvanta.exe, which wine32 runs, natively or emulated by QEMU where the kernel refuses
# 32-bit code (where wine32 cannot run at all, scripts/wine32-runs.sh says why and the 64-bit
# build stands in for it).
#
# With a display and a sound server of the user's own (DISPLAY answers, and pactl reaches a
# PulseAudio or PipeWire server) it starts the program there, in RUN_OUT/work (default
# out/work), where its settings file stays from run to run, and returns when it ends.
#
# Without them it makes virtual ones (scripts/with-virtual-devices.sh, with the microphone and
# the speaker on one clock by tools/bench.sh) and rehearses a session as a person would
# have it: a settings file that chooses the microphone "Mic", the speaker "Speaker", RUN_RATE
# Hz (44100, the virtual devices' rate too) mono, a buffer time of RUN_TIME ms (200), an echo strength of RUN_ECHO (160) and a delay of
# RUN_DELAY ms (300); a click on ON; a count of three spoken into the microphone; a click on
# the exit button. It leaves in RUN_OUT:
#   screenshot.png   the panel while the echo runs
#   played.wav       what the program played
#   recording.wav    the microphone (channel 0) and the speaker (channel 1) on one time axis
#   picture.png      the microphone against the speaker: the echoes after each word
# and the program's working folder, RUN_OUT/virtual, with the settings file it wrote.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${RUN_OUT:-$root/out}
if why=$("$root/scripts/wine32-runs.sh"); then
  echo "run: the 32-bit program runs here $why"
  tree=win32 toolchain=mingw-i686
else
  echo "run: the 32-bit program cannot run here ($why); the 64-bit build stands in for it" >&2
  tree=win64 toolchain=mingw-x86_64
fi
program=$root/build/$tree/sorvanta.exe
probe=$root/build/$tree/tools/probe.exe
wavcheck=$root/build/host/tools/wavcheck

configure() {  # name, cmake arguments...
  local name=$1
  shift
  [ -f "$root/build/$name/build.ninja" ] && return 0
  cmake -S "$root" -B "$root/build/$name" -G Ninja -Wno-dev "$@" >/dev/null
}

# The program, its probe, and the host's wavcheck for the picture; the same build types as
# the test command, so that both share the trees.
build() {
  "$root/scripts/install-deps.sh"
  configure "$tree" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
    -DSORVANTA_WAVCHECK="$wavcheck"
  configure host -DCMAKE_BUILD_TYPE=RelWithDebInfo
  echo "run: building $program"
  cmake --build "$root/build/$tree" --target sorvanta probe
  cmake --build "$root/build/host" --target wavcheck
}

has_own_devices() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 && pactl info >/dev/null 2>&1
}

# Inside the virtual devices: the rehearsal.
virtual_session() {
  # The virtual devices run at the program's rate: resampling in the sound server makes Wine's
  # stream run dry more often (README, sound bench).
  BENCH_RATE=${RUN_RATE:-44100}
  source "$root/tools/bench.sh"
  source "$root/tools/person.sh"
  PERSON_PROGRAM=$program PERSON_PROBE=$probe PERSON_PREFIX=$root/build/wineprefix-run
  mkdir -p "$out/virtual"
  PERSON_LOG=$out/virtual/program.log
  trap 'bench_record_stop; person_done' EXIT
  bench_devices
  bench_phrase "$out/phrase.wav"
  printf '[default]\r\nINDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=%s\r\nSTEREO=0\r\nTIME=%s\r\nECHO=%s\r\nDELAY=%s\r\n' \
    "$BENCH_RATE" "${RUN_TIME:-200}" "${RUN_ECHO:-160}" "${RUN_DELAY:-300}" >"$out/virtual/sorvanta.ini"
  bench_record_start "$out/recording.wav"
  echo "run: starting the program on a virtual display"
  person_start "$out/virtual"
  echo "run: a click on ON"
  person_click_control 1000
  person_await 1 seen_field child 1007 enabled || person_log "the echo did not start"
  # The mouse goes aside, where it shows no tooltip in the screenshot.
  xdotool mousemove --window "$(person_desktop_window)" 620 460
  sleep 1
  echo "run: counting to three into the microphone"
  bench_feed "$out/phrase.wav" &
  local feeder=$!
  sleep 1  # the first word and its echoes on the meters
  person_screenshot "$out/screenshot.png"
  wait $feeder
  echo "run: a click on the exit button"
  person_show
  person_click_control 1008
  person_wait_end 20 || echo "run: the program did not end"
  bench_record_stop
  sox "$out/recording.wav" "$out/played.wav" remix 2
  # The picture shows the phrase, from where the microphone heard it.
  "$wavcheck" latency "$out/phrase.wav" "$out/recording.wav:1" --input "$out/recording.wav:0" \
    --min-similarity 0.3 >"$out/latency.txt" || true
  local from latency
  from=$(awk '$1 == "copy" { printf "%.2f\n", $3 / 1000; exit }' "$out/latency.txt")
  latency=$(awk '$1 == "latency_ms" { print $2 }' "$out/latency.txt")
  "$wavcheck" picture "$out/recording.wav:0" "$out/recording.wav:1" "$out/picture.png" \
    --from "${from:-0}" --to "$(awk -v f="${from:-0}" -v l="$(soxi -D "$out/phrase.wav")" 'BEGIN { print f + l }')" \
    --title "Sorvanta: microphone and speaker, echo ${RUN_DELAY:-300} ms at ${RUN_ECHO:-160}/256, buffer ${RUN_TIME:-200} ms" >/dev/null
  echo "run: from the microphone to the speaker: ${latency:-?} ms"
  echo "run: left screenshot.png, played.wav, recording.wav and picture.png in $out"
}

if [ "${1:-}" = --virtual-session ]; then
  virtual_session
  exit
fi

build
if has_own_devices; then
  echo "run: on your display $DISPLAY and your sound server; the settings file is $out/work/sorvanta.ini"
  mkdir -p "$out/work"
  cd "$out/work"
  # A prefix of its own, whose windows the desktop's window manager manages.
  export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix-desktop} SORVANTA_WINE_MANAGED=1
  exec "$root/scripts/wine-run.sh" "$program"
fi
echo "run: no display or sound server of your own; using virtual ones"
exec "$root/scripts/with-virtual-devices.sh" "$0" --virtual-session
