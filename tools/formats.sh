# One format of the panel through the program's real path: shell functions to source, with
# bench.sh and person.sh, inside scripts/with-virtual-devices.sh.
#
#   format_session RATE CHANNELS DELAY_MS STRENGTH DIR      (with $wavcheck the analyser)
#
# rebuilds the bench's devices at RATE with CHANNELS (1 or 2) on the microphone and the
# speaker, so that the program's frames reach the recording unresampled; writes a settings
# file of that format, the delay and strength, and a buffer time of FORMAT_TIME ms (200); starts
# the program in DIR/work and switches it on with a click on ON. Then:
#   echo      a chirp into the microphone (in stereo on the left alone): the first echo must
#             come exactly DELAY_MS * RATE / 1000 frames (truncated, as the panel computes
#             them) after the direct sound, each repeat at the strength's ratio to the one
#             before within 0.01; in stereo the right side of the speaker must stay silent
#             (peak at most FORMAT_CROSS_MAX, 0) the whole time
#   stereo    OFF and ON (a restart begins with a silent echo), and the same on the right alone
#             (so before every try again too)
#   tone      FORMAT_TONE_S seconds (0: none) of a 440 Hz tone, only at a strength of 0 or 1,
#             where the echo leaves the tone steady: the gaps counted on the speaker and on
#             the microphone, and Wine's underflows while it played; gaps with neither fail
# and ends the program with the exit button. A measurement is tried again (three tries in all)
# only when Wine reported an underflow of its playback stream while it ran, as in the sound
# test. Prints one "format ..." line with what was measured, and a check line per measurement
# (person.sh's check functions); everything is kept in DIR.
#
# Where a lost sample went shows in the line: a gap on the microphone's channel as well is the
# recorder's (both sides of one recording lose it); a gap on the speaker alone with an
# underflow is Wine's stream running dry; one without an underflow is the program's. An echo
# early by N frames lost N frames of the speaker between the sound and its echo, a late one
# had N frames of silence put in.

FORMAT_TIME=${FORMAT_TIME:-200}
FORMAT_TONE_S=${FORMAT_TONE_S:-3}
FORMAT_CROSS_MAX=${FORMAT_CROSS_MAX:-0}

format_log() { echo "format: $*" >&2; }

format_underflows() { bench_underflows "$PERSON_LOG"; }

# format_signals DIR: the bench's signals at its rate, and in stereo a burst on each side alone.
format_signals() {
  BENCH_TONE_SECONDS=$FORMAT_TONE_S bench_signals "$1" >/dev/null 2>&1
  if [ "$BENCH_CHANNELS" = 2 ]; then
    sox "$1/burst.wav" "$1/burst-0.wav" remix 1 0
    sox "$1/burst.wav" "$1/burst-1.wav" remix 0 1
    sox "$1/tone.wav" "$1/tone-2.wav" remix 1 1
  else
    cp "$1/burst.wav" "$1/burst-0.wav"
  fi
}

# format_echo DIR SIDE FRAMES STRENGTH: a burst on SIDE, its echoes measured on the same side of
# the speaker, and in stereo the other side's peak; tried again only after an underflow.
format_echo() {
  local dir=$1 side=$2 frames=$3 g=$4 c=$BENCH_CHANNELS try before rec repeats=2 wait
  # Two repeats at most: a strength near 256 echoes for many seconds.
  [ "$g" -lt 64 ] && repeats=1
  wait=$(awk -v f="$frames" -v r="$BENCH_RATE" -v n=$repeats 'BEGIN { w = f / r * n - 2.0; print (w > 0 ? w : 0) + 0.5 }')
  for try in 1 2 3; do
    # The echoes of what went before would still sound (for many seconds near 256): OFF and ON
    # give a silent echo.
    if [ "$side" != 0 ] || [ $try != 1 ]; then
      format_restart || return 1
    fi
    before=$(format_underflows)
    rec=$dir/echo-$side.wav
    bench_record_start "$rec"
    bench_feed "$dir/burst-$side.wav"
    sleep "$wait"
    bench_record_stop
    local ok=1
    "$wavcheck" echoes "$dir/chirp.wav" "$rec:$((c + side))" --input "$rec:$side" --frames "$frames" \
      --strength "$g" --repeats $repeats --ratio-tol 0.01 >"$dir/echo-$side.txt" || ok=0
    if [ "$c" = 2 ]; then
      "$wavcheck" silence "$rec:$((c + 1 - side))" --max "$FORMAT_CROSS_MAX" >"$dir/cross-$side.txt" || ok=0
    fi
    [ $ok = 1 ] && return 0
    if [ "$(format_underflows)" = "$before" ]; then
      sed 's/^/    /' "$dir/echo-$side.txt"
      return 1
    fi
    echo "spoilt: $dir side $side, try $try: Wine's playback stream underflowed $(($(format_underflows) - before)) times;" \
      "$(awk '$1 == "repeat" { printf "%s repeat %s at %s frames, ratio %s", (n++ ? ";" : ""), $2, $6, $10 }' "$dir/echo-$side.txt")"
    cp "$dir/echo-$side.txt" "$dir/echo-$side-spoilt-$try.txt"
    cp "$rec" "$dir/echo-$side-spoilt-$try.wav"
  done
  return 1
}

# format_tone DIR: the tone through the program; gaps on the speaker and the microphone.
format_tone() {
  local dir=$1 c=$BENCH_CHANNELS tone=$1/tone.wav before
  [ "$c" = 2 ] && tone=$dir/tone-2.wav
  before=$(format_underflows)
  bench_record_start "$dir/tone-rec.wav"
  bench_feed "$tone"
  sleep 0.5
  bench_record_stop
  format_tone_underflows=$(($(format_underflows) - before))
  "$wavcheck" gaps "$dir/tone-rec.wav:$c" >"$dir/gaps.txt" || true
  "$wavcheck" gaps "$dir/tone-rec.wav:0" >"$dir/gaps-in.txt" || true
}

# The field NAME of an analysis ("repeat 1 ... delay_frames N" takes the word after NAME).
format_field() {
  awk -v name="$2" -v first="${3:-}" '(first == "" || $1 == first) { for (f = 1; f < NF; f++) if ($f == name) { print $(f + 1); exit } }' "$1" 2>/dev/null || true
}

format_session() {
  local rate=$1 c=$2 delay=$3 g=$4 dir=$5 sides=0 side frames name
  # FORMAT_BENCH_RATE puts the devices at another rate, so that the sound server resamples:
  # the delay is then counted in the recording's frames.
  BENCH_RATE=${FORMAT_BENCH_RATE:-$rate} BENCH_CHANNELS=$c
  [ "$c" = 2 ] && sides="0 1"
  name="$rate $([ "$c" = 2 ] && echo stereo || echo mono), $delay ms, strength $g"
  rm -rf "$dir"
  mkdir -p "$dir/work"
  format_signals "$dir"
  bench_devices
  frames=$((delay * BENCH_RATE / 1000))
  printf '[default]\r\nINDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=%s\r\nSTEREO=%s\r\nTIME=%s\r\nECHO=%s\r\nDELAY=%s\r\n' \
    "$rate" "$((c - 1))" "$FORMAT_TIME" "$g" "$delay" >"$dir/work/sorvanta.ini"
  PERSON_LOG=$dir/program.log
  person_start "$dir/work" || { check "$name: the panel appears" false; return; }
  person_click_control 1000
  check "$name: ON" person_await "0 1" format_on_off
  sleep 1  # the devices start
  for side in $sides; do
    check "$name: side $side: echo exactly $frames frames later at $g/256 (within 0.01)$([ "$c" = 2 ] && echo ", the other side silent")" \
      format_echo "$dir" "$side" "$frames" "$g"
  done
  local tone="-"
  if [ "$FORMAT_TONE_S" != 0 ] && [ "$g" -le 1 ]; then
    format_tone "$dir"
    local gaps gaps_in
    gaps=$(format_field "$dir/gaps.txt" gaps) gaps_in=$(format_field "$dir/gaps-in.txt" gaps)
    tone="$gaps (microphone $gaps_in, Wine underflows $format_tone_underflows)"
    # A dropout of Wine's stream may break the tone more than once (a silence, then a jump
    # or two as it catches up), so gaps are not counted against underflows one by one: a tone
    # broken while neither Wine nor the recorder reported anything fails.
    check "$name: the tone came through, gaps only with the recorder's or Wine's ($tone)" \
      test -n "$gaps" -a \( "${gaps:-0}" = 0 -o "${gaps_in:-0}" != 0 -o "$format_tone_underflows" != 0 \)
  fi
  person_show
  person_click_control 1008
  check "$name: the exit button ends the program" person_wait_end 20
  local lag="" ratio="" cross=""
  for side in $sides; do
    # An echo below 1 % of the sound is measured where it should be, not searched for.
    if [ "$g" -ge 3 ]; then lag+="${lag:+/}$(format_field "$dir/echo-$side.txt" delay_frames repeat)"; else lag="-"; fi
    ratio+="${ratio:+/}$(format_field "$dir/echo-$side.txt" ratio repeat)"
    [ "$c" = 2 ] && cross+="${cross:+/}$(format_field "$dir/cross-$side.txt" peak)"
  done
  format_row="$rate $([ "$c" = 2 ] && echo stereo || echo mono)${FORMAT_BENCH_RATE:+ on devices at $BENCH_RATE} | $delay ms, g $g | lag $lag (exp $frames) | ratio $ratio (exp $(awk -v g="$g" 'BEGIN { printf "%.4f", g / 256 }')) | other side peak ${cross:--} | gaps $tone | latency $(format_field "$dir/echo-0.txt" latency_ms) ms"
  echo "format $format_row"
}

# OFF and ON again, each click once the panel shows the one before.
format_restart() {
  person_show
  person_click_control 1007
  person_await "1 0" format_on_off || { format_log "OFF did not switch the echo off"; return 1; }
  person_click_control 1000
  person_await "0 1" format_on_off || { format_log "ON did not switch the echo on"; return 1; }
  sleep 1  # the devices start
}

format_on_off() {
  echo "$(seen_field child 1000 enabled) $(seen_field child 1007 enabled)"
}
