#!/usr/bin/env bash
# Measures glitches and latency under Wine, the program against the plain loop in one
# session: run inside scripts/with-virtual-devices.sh as
#   measure.sh WAVCHECK OUTDIR [BUFFER_MS...]      (default 50 100 200)
# For each buffer time, first the stand-in loop (tools/loopback: the devices' floor) and
# then the program (driven by person.sh: a settings file with that buffer time, echo strength
# 0 so that the tone comes out as it went in, a click on ON, a click on exit): a 60 s tone
# (BENCH_TONE_SECONDS) and then four chirps go through it; the chirps give the latency from
# the microphone to the speaker, the tone the gaps. Wine reports each underflow of its
# PulseAudio playback stream (the sound server found the stream empty), which tells a gap
# made inside Wine from one made by the program. MEASURE_WHAT ("loop program") picks what runs;
# MEASURE_WRAPPER a command to run both under (chrt -f 10, say); MEASURE_WINE_ENV extra
# NAME=VALUE settings for both (PULSE_LATENCY_MSEC=60, say). The load average of the machine
# at the start and the end of each run is printed with it. A summary line per run ends the
# output; everything is kept in OUTDIR.
set -euo pipefail
wavcheck=$1 out=$2
shift 2
times=("$@")
[ ${#times[@]} -gt 0 ] || times=(50 100 200)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench.sh"
source "$here/person.sh"
loopback=${LOOPBACK:-$person_root/build/$person_build/tools/loopback.exe}
PERSON_PREFIX=${PERSON_PREFIX:-$person_root/build/wineprefix-measure}
BENCH_WINEPREFIX=$PERSON_PREFIX
wine_env="$BENCH_WINEDEBUG ${MEASURE_WINE_ENV:-}"
BENCH_WINE_ENV=$wine_env
BENCH_WINE_WRAPPER=${MEASURE_WRAPPER:-}
PERSON_WINE_WRAPPER="env $wine_env ${MEASURE_WRAPPER:-}"
trap 'bench_record_stop; person_done' EXIT
mkdir -p "$out"
bench_signals "$out" >/dev/null 2>&1
bench_devices
tone_s=$(soxi -D "$out/tone.wav")
summary=()

load() { cut -d' ' -f1-3 /proc/loadavg; }

feed_signals() {
  sleep 0.5
  bench_feed "$out/tone.wav"
  sleep 1
  bench_feed "$out/clicks.wav"
}

run_loop() {  # BUFFER_MS NAME
  bench_wine "$loopback" --in Mic --out Speaker --time "$1" --seconds "$(awk -v s="$tone_s" 'BEGIN { print int(s + 12) }')" \
    >"$out/$2.log" 2>"$out/$2.err" &
  local loop=$!
  bench_wait_for "$out/$2.log" "loopback: running"
  feed_signals
  wait $loop
}

run_program() {  # BUFFER_MS NAME
  mkdir -p "$out/$2"
  printf '[default]\r\nINDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=%s\r\nSTEREO=0\r\nTIME=%s\r\nECHO=0\r\nDELAY=300\r\n' \
    "$BENCH_RATE" "$1" >"$out/$2/sorvanta.ini"
  PERSON_LOG=$out/$2.err
  person_start "$out/$2"
  person_click_control 1000
  person_await 1 seen_field child 1007 enabled || person_log "the echo did not start"
  feed_signals
  person_show
  person_click_control 1008
  person_wait_end 20 || person_log "the program did not end"
}

for t in "${times[@]}"; do
  for what in ${MEASURE_WHAT:-loop program}; do
    name=$what-$t
    rec=$out/$name.wav
    load_before=$(load)
    bench_record_start "$rec"
    "run_$what" "$t" "$name"
    bench_record_stop
    load_after=$(load)
    "$wavcheck" latency "$out/chirp.wav" "$rec:1" --input "$rec:0" >"$out/latency-$name.txt" || true
    clicks=$(awk '$1 == "copy" { print $3 / 1000 - 0.2; exit }' "$out/latency-$name.txt")
    "$wavcheck" gaps "$rec:0" --to "${clicks:-0}" >"$out/gaps-in-$name.txt" || true
    "$wavcheck" gaps "$rec:1" --to "${clicks:-0}" >"$out/gaps-$name.txt" || true
    latency=$(awk '$1 == "latency_ms" { m = $2 } $1 == "latency_min_ms" { lo = $2 } $1 == "latency_max_ms" { hi = $2 }
                   END { if (m != "") printf "%s (%s..%s)", m, lo, hi }' "$out/latency-$name.txt")
    gaps=$(awk '$1 == "gaps" { print $2 }' "$out/gaps-$name.txt")
    gaps_in=$(awk '$1 == "gaps" { print $2 }' "$out/gaps-in-$name.txt")
    underflows=$(bench_underflows "$out/$name.err")
    summary+=("$what, buffer ${t} ms: latency ${latency:-?} ms, gaps ${gaps:-?} in ${tone_s} s of tone (input ${gaps_in:-?}); Wine's playback stream underflowed ${underflows} times; load ${load_before} -> ${load_after}")
    echo "${summary[-1]}"
    grep '^gap ' "$out/gaps-$name.txt" | head -10 || true
  done
done
echo "--- summary"
printf '%s\n' "${summary[@]}"
