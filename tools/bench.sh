# The sound bench: shell functions to source inside scripts/with-virtual-devices.sh.
#
# bench_devices rebuilds that script's PulseAudio devices on one clock. The names stay the
# same ("MicFeed" sink feed, "Speaker" sink speaker, "Mic" source mic), but both sinks now
# remap into the channels of one null sink, bench, which runs at BENCH_RATE (44100):
#     channel 0 (aux0)  what is played into feed, which is what the microphone hears
#     channel 1 (aux1)  what a program plays on speaker
# One recording of bench.monitor therefore holds the program's input and its output sample
# by sample on one time axis: the delay between its channels is the end-to-end latency, with
# no error from starting two recorders at different moments. With BENCH_CHANNELS=2 the
# microphone and the speaker are stereo, and the recording has four channels: 0 and 1 the
# microphone's left and right, 2 and 3 the speaker's. A program at the bench's rate passes
# through the sound server unresampled, so that its frames are the recording's frames.
#
# A null sink renders as far ahead as its clients allow: with none asking for less it runs
# up to 2 s ahead and hands the microphone its sound in lumps of that size. The recorder
# (bench_record_start) asks for BENCH_LATENCY_MS (default 20 ms, a sound card's usual
# period), and waits until the lead has drained, before any program starts. The feeder asks
# for nothing and keeps a buffer of its own, so that it never runs dry on a busy machine.

bench_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bench_root=$(cd "$bench_here/.." && pwd)
BENCH_RATE=${BENCH_RATE:-44100}
BENCH_CHANNELS=${BENCH_CHANNELS:-1}
BENCH_LATENCY_MS=${BENCH_LATENCY_MS:-20}

bench_log() { echo "bench: $*" >&2; }

bench_devices() {
  local m
  for m in module-remap-source module-null-sink module-remap-sink; do
    pactl unload-module "$m" 2>/dev/null || true
  done
  local c=$BENCH_CHANNELS map=mono in=aux0 out=aux1
  if [ "$c" = 2 ]; then map=front-left,front-right in=aux0,aux1 out=aux2,aux3; fi
  pactl load-module module-null-sink sink_name=bench rate="$BENCH_RATE" channels=$((2 * c)) \
    channel_map="$(bench_channel_map)" sink_properties=device.description=Bench >/dev/null
  pactl load-module module-remap-sink sink_name=feed master=bench channels="$c" channel_map="$map" \
    master_channel_map="$in" remix=no sink_properties=device.description=MicFeed >/dev/null
  pactl load-module module-remap-sink sink_name=speaker master=bench channels="$c" channel_map="$map" \
    master_channel_map="$out" remix=no sink_properties=device.description=Speaker >/dev/null
  pactl load-module module-remap-source source_name=mic master=bench.monitor channels="$c" \
    channel_map="$map" master_channel_map="$in" remix=no source_properties=device.description=Mic >/dev/null
  # A program left on the system's default devices ("PulseAudio" under Wine) hears the
  # microphone and plays on the speaker, as on a desk.
  pactl set-default-source mic
  pactl set-default-sink speaker
}

# The bench sink's channels: the microphone's, then the speaker's.
bench_channel_map() {
  if [ "$BENCH_CHANNELS" = 2 ]; then echo aux0,aux1,aux2,aux3; else echo aux0,aux1; fi
}

# The bench sink's current lead in microseconds.
bench_sink_latency_us() {
  pactl list sinks | awk '/^\tName: bench$/ { f = 1 } f && /^\tLatency:/ { print $2; exit }'
}

# bench_record_start FILE: records bench.monitor (every channel, 16 bits) into FILE.
bench_record_start() {
  parecord --device=bench.monitor --latency-msec="$BENCH_LATENCY_MS" --file-format=wav --format=s16le \
    --rate="$BENCH_RATE" --channels=$((2 * BENCH_CHANNELS)) --channel-map="$(bench_channel_map)" "$1" 2>/dev/null &
  bench_recorder=$!
  local us i
  for i in $(seq 100); do
    us=$(bench_sink_latency_us)
    [ -n "$us" ] && [ "$us" -lt $((BENCH_LATENCY_MS * 2000)) ] && return 0
    sleep 0.1
  done
  bench_log "the bench sink still runs ${us:-?} us ahead"
}

bench_record_stop() {
  [ -n "${bench_recorder:-}" ] || return 0
  kill -INT "$bench_recorder" 2>/dev/null || true
  wait "$bench_recorder" 2>/dev/null || true
  bench_recorder=""
}

# bench_feed FILE: plays FILE into the microphone and returns when it has been played.
bench_feed() {
  paplay --device=feed "$1"
}

# bench_wait_for FILE TEXT: waits (up to 60 s) until FILE holds TEXT; Wine starts a program
# in one second on a quiet machine and in several on a busy one.
bench_wait_for() {
  local i
  for i in $(seq 600); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  bench_log "no '$2' in $1"
  return 1
}

# bench_signals DIR: the test signals, mono 16-bit at the bench rate.
#   burst.wav   0.5 s of silence, a 60 ms chirp 300..3000 Hz at half scale, 2.5 s of silence:
#               one sharp correlation peak, short enough that its echoes do not overlap
#   clicks.wav  the chirp once a second, 4 times: latency again and again in one run
#   tone.wav    440 Hz at half scale, length BENCH_TONE_SECONDS (default 60)
#   phrase.wav  a spoken count of three, words two seconds apart (bench_phrase)
bench_signals() {
  local dir=$1 r=$BENCH_RATE
  mkdir -p "$dir"
  sox -n -r "$r" -c 1 -b 16 "$dir/chirp.wav" synth 0.06 sine 300-3000 fade h 0.005 0.06 0.005 vol 0.5
  sox -n -r "$r" -c 1 -b 16 "$dir/pad0.wav" trim 0 0.5
  sox -n -r "$r" -c 1 -b 16 "$dir/pad1.wav" trim 0 2.5
  sox -n -r "$r" -c 1 -b 16 "$dir/pad2.wav" trim 0 0.94
  sox "$dir/pad0.wav" "$dir/chirp.wav" "$dir/pad1.wav" "$dir/burst.wav"
  sox "$dir/pad0.wav" "$dir/chirp.wav" "$dir/pad2.wav" "$dir/chirp.wav" "$dir/pad2.wav" \
    "$dir/chirp.wav" "$dir/pad2.wav" "$dir/chirp.wav" "$dir/pad2.wav" "$dir/clicks.wav"
  rm -f "$dir"/pad?.wav
  sox -n -r "$r" -c 1 -b 16 "$dir/tone.wav" synth "${BENCH_TONE_SECONDS:-60}" sine 440 vol 0.5
  bench_phrase "$dir/phrase.wav"
}

# bench_phrase FILE: a spoken test phrase as mono 16-bit at the bench rate: a count of three,
# two seconds between the words, so that each word's echoes die away before the next (a
# Japanese voice where espeak-ng has one).
bench_phrase() {
  local voice=ja words=(いち に さん)
  if ! espeak-ng --voices=ja 2>/dev/null | grep -q ' ja '; then
    voice=en words=(one two three)
  fi
  local ssml="<speak>${words[0]}<break time='2000ms'/>${words[1]}<break time='2000ms'/>${words[2]}</speak>"
  espeak-ng -m -v "$voice" -w "$1.raw.wav" "$ssml"
  sox "$1.raw.wav" -r "$BENCH_RATE" -c 1 -b 16 "$1" pad 0.3 2.0
  rm -f "$1.raw.wav"
}

# bench_wine PROGRAM ARGS...: runs a Windows program under Wine (scripts/wine-run.sh), in a
# prefix of the bench's own: the conformance tests may run at the same time on another
# display, and one wineserver serves every process of a prefix. BENCH_WINE_ENV holds extra
# NAME=VALUE settings for the program alone (PULSE_LATENCY_MSEC=60, say); BENCH_WINE_WRAPPER
# a command to run it under (nice -n -15, say).
bench_wine() {
  # shellcheck disable=SC2086
  env WINEPREFIX="$BENCH_WINEPREFIX" ${BENCH_WINE_ENV:-} ${BENCH_WINE_WRAPPER:-} "$bench_root/scripts/wine-run.sh" "$@"
}
BENCH_WINEPREFIX=${BENCH_WINEPREFIX:-$bench_root/build/wineprefix-bench}

# Under this debug setting Wine reports each underflow of its PulseAudio playback stream (the
# sound server found the stream empty) on standard error; bench_underflows FILE counts them.
BENCH_WINEDEBUG="WINEDEBUG=-all,warn+pulse"
bench_underflows() { grep -c 'Underflow' "$1" || true; }

# bench_done: waits for the prefix's wineserver to end, before the display it used goes.
bench_done() {
  bench_record_stop
  WINEPREFIX=$BENCH_WINEPREFIX /usr/lib/wine/wineserver64 -w 2>/dev/null || true
}
