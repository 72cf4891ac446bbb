#!/usr/bin/env bash
# Measures the floor of the virtual devices under Wine with the stand-in loop: run inside
# scripts/with-virtual-devices.sh as
#   measure.sh LOOPBACK.exe WAVCHECK OUTDIR [BUFFER_MS...]      (default 50 100 200)
# For each buffer time: a 60 s tone (BENCH_TONE_SECONDS) and then four chirps go through the
# loop; the chirps give the end-to-end latency, the tone the gaps. Extra loopback options
# (say --buffers 4) come from LOOPBACK_OPTIONS. Wine reports each underflow of its PulseAudio
# playback stream (the sound server found the stream empty), which tells a gap made inside
# Wine from one made by the loop. A summary line per buffer time ends the output; everything
# is kept in OUTDIR.
set -euo pipefail
loopback=$1 wavcheck=$2 out=$3
shift 3
times=("$@")
[ ${#times[@]} -gt 0 ] || times=(50 100 200)
source "$(dirname "$0")/bench.sh"
BENCH_WINE_ENV=${BENCH_WINE_ENV:-WINEDEBUG=-all,warn+pulse}
trap bench_done EXIT
mkdir -p "$out"
bench_signals "$out"
bench_devices
tone_s=$(soxi -D "$out/tone.wav")
summary=()
for t in "${times[@]}"; do
  rec="$out/loop-$t.wav"
  bench_record_start "$rec"
  # shellcheck disable=SC2086
  bench_wine "$loopback" --in Mic --out Speaker --time "$t" --seconds "$(awk -v s="$tone_s" 'BEGIN { print int(s + 12) }')" \
    ${LOOPBACK_OPTIONS:-} >"$out/loop-$t.log" 2>"$out/loop-$t.err" &
  loop=$!
  bench_wait_for "$out/loop-$t.log" "loopback: running"
  sleep 0.5
  bench_feed "$out/tone.wav"
  sleep 1
  bench_feed "$out/clicks.wav"
  wait $loop
  bench_record_stop
  "$wavcheck" latency "$out/chirp.wav" "$rec:1" --input "$rec:0" >"$out/latency-$t.txt" || true
  clicks=$(awk '$1 == "copy" { print $3 / 1000 - 0.2; exit }' "$out/latency-$t.txt")
  "$wavcheck" gaps "$rec:0" --to "$clicks" >"$out/gaps-in-$t.txt" || true
  "$wavcheck" gaps "$rec:1" --to "$clicks" >"$out/gaps-$t.txt" || true
  latency=$(awk '$1 == "latency_min_ms" { lo = $2 } $1 == "latency_max_ms" { hi = $2 } $1 == "latency_ms" { m = $2 }
                 END { if (m != "") printf "%s (%s..%s)", m, lo, hi }' "$out/latency-$t.txt")
  gaps=$(awk '$1 == "gaps" { print $2 }' "$out/gaps-$t.txt")
  gaps_in=$(awk '$1 == "gaps" { print $2 }' "$out/gaps-in-$t.txt")
  blocks=$(grep -o '[0-9]* blocks, [0-9]* without' "$out/loop-$t.log" || true)
  underflows=$(grep -c 'Underflow' "$out/loop-$t.err" || true)
  summary+=("buffer ${t} ms: latency ${latency:-?} ms, gaps ${gaps:-?} in ${tone_s} s of tone (input ${gaps_in:-?}); Wine's playback stream underflowed ${underflows} times; loop: ${blocks:-?} a free playback buffer")
  grep '^gap ' "$out/gaps-$t.txt" | head -20 || true
done
printf '%s\n' "${summary[@]}"
