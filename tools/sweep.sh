#!/usr/bin/env bash
# The format sweep: every rate of the panel's list, mono and stereo, through the program under
# Wine (formats.sh), with the plain loop (tools/loopback) at the same format beside it. Run
# inside scripts/with-virtual-devices.sh as
#   sweep.sh WAVCHECK OUTDIR [RATE:CHANNELS:DELAY_MS:STRENGTH ...]
# (default: the 16 formats below, whose delays and strengths cover 10 and 1000 ms, 0, 1 and
# 255). For each format: the program with its delay and strength (echo lag in frames, ratio,
# the other side's peak in stereo); the gaps in SWEEP_TONE_S (15) seconds of tone through the
# program (at strength 0 where the format's own strength would change the tone) and through the
# loop, each with the gaps on the microphone's side and Wine's underflows, which tell where
# the lost samples went (see formats.sh). Ends with one row per format; everything is kept in
# OUTDIR. SWEEP_WRAPPER runs the Windows programs under a command (chrt -f 10, say);
# SWEEP_BENCH_RATE puts the devices at that rate instead of each format's own, so that the
# sound server resamples (the lag then counts the recording's frames); BENCH_LATENCY_MS sets the
# recorder's buffer (20 ms). A format may be given more than once.
set -euo pipefail
wavcheck=$1 out=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench.sh"
source "$here/person.sh"
source "$here/formats.sh"
PERSON_PREFIX=${PERSON_PREFIX:-$person_root/build/wineprefix-sweep}
BENCH_WINEPREFIX=$PERSON_PREFIX
PERSON_WINE_WRAPPER="env $BENCH_WINEDEBUG ${SWEEP_WRAPPER:-}"
BENCH_WINE_ENV=$BENCH_WINEDEBUG
BENCH_WINE_WRAPPER=${SWEEP_WRAPPER:-}
FORMAT_TONE_S=${SWEEP_TONE_S:-15}
loopback=${LOOPBACK:-$person_root/build/$person_build/tools/loopback.exe}
trap 'bench_record_stop; person_done' EXIT
formats=("$@")
[ ${#formats[@]} -gt 0 ] || formats=(
  8000:1:10:0 8000:2:1000:255 11025:1:1000:1 11025:2:10:128 16000:1:300:192 16000:2:10:1
  22050:1:1000:255 22050:2:150:192 32000:1:10:64 32000:2:1000:64 44100:1:1000:0 44100:2:10:1
  48000:1:10:128 48000:2:150:192 96000:1:10:1 96000:2:1000:255)
mkdir -p "$out"
echo "sweep: program $PERSON_PROGRAM, loop $loopback, $(date -u '+%Y-%m-%d %H:%M UTC'), load $(cut -d' ' -f1-3 /proc/loadavg)"

# sweep_loop DIR: the tone through the plain loop at the bench's format.
sweep_loop() {
  local dir=$1 tone=$1/tone.wav
  [ "$BENCH_CHANNELS" = 2 ] && tone=$dir/tone-2.wav
  bench_record_start "$dir/loop.wav"
  bench_wine "$loopback" --in Mic --out Speaker --rate "$BENCH_RATE" --channels "$BENCH_CHANNELS" --time "$FORMAT_TIME" \
    --seconds $((FORMAT_TONE_S + 4)) >"$dir/loop.log" 2>"$dir/loop.err" &
  local loop=$!
  bench_wait_for "$dir/loop.log" "loopback: running" || true
  sleep 0.5
  bench_feed "$tone"
  wait $loop || true
  bench_record_stop
  "$wavcheck" gaps "$dir/loop.wav:$BENCH_CHANNELS" >"$dir/loop-gaps.txt" || true
  "$wavcheck" gaps "$dir/loop.wav:0" >"$dir/loop-gaps-in.txt" || true
  loop_gaps="$(format_field "$dir/loop-gaps.txt" gaps) (microphone $(format_field "$dir/loop-gaps-in.txt" gaps), Wine underflows $(bench_underflows "$dir/loop.err"))"
}

FORMAT_BENCH_RATE=${SWEEP_BENCH_RATE:-}
rows=()
n=0
for f in "${formats[@]}"; do
  IFS=: read -r rate c delay g <<<"$f"
  n=$((n + 1))
  dir=$out/$n-$rate-$c
  format_session "$rate" "$c" "$delay" "$g" "$dir"
  row=$format_row
  if [ "$g" -gt 1 ]; then
    # The tone through the program at strength 0, same format.
    format_session "$rate" "$c" "$delay" 0 "$dir-tone" >/dev/null
    row=$(printf '%s\n' "$row" | sed "s#| gaps - |#| gaps $(format_field "$dir-tone/gaps.txt" gaps) (microphone $(format_field "$dir-tone/gaps-in.txt" gaps), Wine underflows $format_tone_underflows; at g 0) |#")
  fi
  sweep_loop "$dir"
  rows+=("$row | loop gaps $loop_gaps | load $(cut -d' ' -f1 /proc/loadavg)")
  echo "${rows[-1]}"
done
echo "--- $person_build build, recorder buffer $BENCH_LATENCY_MS ms, $(date -u '+%Y-%m-%d %H:%M UTC'); $person_failures checks failed"
printf '%s\n' "${rows[@]}"
