#!/usr/bin/env bash
# The bench proves itself on the stand-in loop: run inside scripts/with-virtual-devices.sh as
#   selftest.sh LOOPBACK.exe WAVCHECK [OUTDIR]
# The plain loop (100 ms buffers): the fed chirps come out unchanged, after a latency the
# bench can measure, and the speaker is silent before and after the loop runs. (The echo
# analysis is proved on the program itself, by sound-test.sh.)
# The devices under Wine drop sound now and then on a busy machine (see measure.sh), and a
# dropout inside a chirp spoils that chirp; on a machine busy with other work Wine's playback
# may even stall for seconds. So two of the four chirps must come through whole, and a run is
# tried again (three tries in all) only when Wine reported an underflow of its playback
# stream while it ran; each spoilt try is printed, and a run that fails without one fails.
# Keeps its recordings in OUTDIR (default: a folder beside the program).
set -euo pipefail
loopback=$1 wavcheck=$2
out=${3:-$(dirname "$loopback")/bench-selftest}
source "$(dirname "$0")/../../tools/bench.sh"
trap bench_done EXIT
rm -rf "$out"; mkdir -p "$out"
BENCH_TONE_SECONDS=3 bench_signals "$out"
bench_devices
failed=0
check() {  # name, wavcheck arguments...
  local name=$1; shift
  echo "--- $name"
  "$wavcheck" "$@" | tee "$out/$name.txt" || { echo "bench selftest: $name FAILED"; failed=1; }
}

# Pass-through. The loop runs 10 s; the tone comes once it runs, the chirps a second
#    after it. Two of the four chirps must come through whole: similarity 0.99 and more, at
#    their own level.
plain_run() {
  bench_record_start "$out/plain.wav"
  BENCH_WINE_ENV=$BENCH_WINEDEBUG \
    bench_wine "$loopback" --in Mic --out Speaker --time 100 --seconds 10 >"$out/plain.log" 2>"$out/plain.err" &
  local loop=$!
  bench_wait_for "$out/plain.log" "loopback: running"
  sleep 0.5
  bench_feed "$out/tone.wav"
  sleep 1
  bench_feed "$out/clicks.wav"
  wait $loop
  sleep 0.5
  bench_record_stop
  cat "$out/plain.log"
  "$wavcheck" latency "$out/chirp.wav" "$out/plain.wav:1" --input "$out/plain.wav:0" | tee "$out/plain-latency.txt" || true
  local whole
  whole=$(awk '$1 == "copy" && $9 >= 0.99 && $7 > 0.98 && $7 < 1.02 { n++ } END { print n + 0 }' "$out/plain-latency.txt")
  echo "--- plain: $whole of 4 chirps came through whole"
  [ "$whole" -ge 2 ]
}

# tries NAME FUNCTION: FUNCTION again after a run that Wine's underflows spoilt, three runs at
# most.
tries() {
  local n underflows
  for n in 1 2 3; do
    "$2" && return 0
    underflows=$(bench_underflows "$out/plain.err")
    [ "$underflows" -gt 0 ] || break
    echo "bench selftest: $1 spoilt (try $n): Wine's playback stream underflowed $underflows times"
  done
  echo "bench selftest: $1 FAILED"
  failed=1
  return 1
}

if tries pass-through plain_run; then
  check plain-before silence "$out/plain.wav:1" --to 0.5
  length=$(soxi -D "$out/plain.wav")
  check plain-after silence "$out/plain.wav:1" --from "$(awk -v l="$length" 'BEGIN { print l - 0.3 }')"
  # Gaps are what the devices give; reported here, measured at length by measure.sh.
  clicks=$(awk '$1 == "copy" { print $3 / 1000 - 0.2; exit }' "$out/plain-latency.txt")
  "$wavcheck" gaps "$out/plain.wav:1" --to "${clicks:-0}" | grep -E '^(frequency|gaps|gap )' || true
fi

[ $failed = 0 ] && echo "bench selftest: passed" || echo "bench selftest: FAILED"
exit $failed
