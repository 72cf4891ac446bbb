#!/usr/bin/env bash
# The program's sound, end to end under Wine: run inside scripts/with-virtual-devices.sh as
#   sound-test.sh WAVCHECK OUTDIR
# The bench (bench.sh) puts the virtual microphone and speaker on the two channels of one
# recording. A settings file, as a person's would be, chooses the microphone "Mic", the
# speaker "Speaker", 44100 Hz mono, a buffer time of SOUND_TIME ms (200), strength 160 and a
# delay of 300 ms. Then, as a person:
# 1. ON (a click): a chirp fed into the microphone comes out followed by its echoes, 300 ms
#    apart (within 1 ms: the devices' own latency is before the first copy, not between the
#    copies), each weaker than the one before by 160/256 (within 0.03). The latency from the
#    microphone to the first copy is printed.
# 2. One click on the delay's up arrow while a tone plays: the sound stops at once and comes
#    back about half a second later (one silence of 400..1500 ms, where the devices' dropouts
#    are at most about 120 ms); then the echoes are 301 ms apart (within 0.5 ms).
# 3. OFF (a click): a chirp fed into the microphone leaves the speaker silent.
# 4. The speaker's sink is unloaded after the panel has listed it; ON then shows the output
#    message box, with its exact text and caption and an OK button, while no capture stream
#    is open; Return closes it and the echo is off.
# 5. The exit button ends the program.
# 6. Three more formats of the panel, each from a settings file of its own and on devices at
#    its rate (formats.sh): 8000 Hz mono at 10 ms and strength 0, 44100 Hz stereo at 10 ms and
#    strength 1, 96000 Hz stereo at 1000 ms and strength 255. The echo exactly the delay's
#    frames after the sound at the strength's ratio (within 0.01), in stereo on each side
#    alone with the other side silent; at strengths 0 and 1 a tone broken only where Wine's
#    stream ran dry or the recorder lost sound.
# A dropout of the virtual devices inside a chirp's echoes spoils that measurement: Wine's
# playback stream underflows when its threads are not scheduled in time (see measure.sh), and
# Wine reports each underflow. So a chirp measurement is tried again (three tries in all) only
# when Wine reported an underflow while it ran, after OFF and ON; every spoilt try is printed,
# and a measurement that fails without one fails at once. Keeps recordings, analyses and screenshots in OUTDIR.
# Exits non-zero if any check failed.
set -euo pipefail
wavcheck=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/bench.sh"
source "$here/../../tools/person.sh"
source "$here/../../tools/formats.sh"
PERSON_PREFIX=${PERSON_PREFIX:-$person_root/build/wineprefix-e2e-sound}
time_ms=${SOUND_TIME:-200}
done_all() { bench_record_stop; person_done; }
trap done_all EXIT
rm -rf "$out"
mkdir -p "$out/work"
PERSON_LOG=$out/program.log
# Wine's reports of its playback stream's underflows go to the program's log.
PERSON_WINE_WRAPPER="env $BENCH_WINEDEBUG"
underflows() { bench_underflows "$PERSON_LOG"; }

BENCH_TONE_SECONDS=3 bench_signals "$out" >/dev/null 2>&1
# A quiet tone for the restart: its echoes add up without reaching the limits.
sox -n -r "$BENCH_RATE" -c 1 -b 16 "$out/quiet.wav" synth 4 sine 440 vol 0.1
bench_devices
printf '[default]\r\nINDEVICE=Mic\r\nOUTDEVICE=Speaker\r\nRATE=%s\r\nSTEREO=0\r\nTIME=%s\r\nECHO=160\r\nDELAY=300\r\n' \
  "$BENCH_RATE" "$time_ms" >"$out/work/sorvanta.ini"

# echo_run NAME DELAY_MS TOLERANCE_MS: a chirp into the microphone, the echoes measured on
# the speaker; tried again only after a dropout of the devices, three tries in all.
echo_run() {
  local name=$1 try before
  for try in 1 2 3; do
    # A try again starts from OFF and ON: an empty echo, and a fresh stream for Wine, whose
    # latency grows with every underflow.
    if [ $try != 1 ]; then
      format_restart || return 1
    fi
    before=$(underflows)
    bench_record_start "$out/$name.wav"
    bench_feed "$out/burst.wav"
    sleep 0.5
    bench_record_stop
    if "$wavcheck" echoes "$out/chirp.wav" "$out/$name.wav:1" --input "$out/$name.wav:0" \
      --delay "$2" --strength 160 --delay-tol "$3" >"$out/$name.txt"; then
      return 0
    fi
    sed 's/^/    /' "$out/$name.txt"
    if [ "$(underflows)" = "$before" ]; then
      echo "failed: $name, try $try, with no dropout of the devices"
      return 1
    fi
    echo "spoilt: $name, try $try: Wine's playback stream underflowed $(($(underflows) - before)) times"
  done
  return 1
}

# "ON OFF": whether each button is enabled ("0 1" while the echo is on).
on_off() {
  echo "$(seen_field child 1000 enabled) $(seen_field child 1007 enabled)"
}

wait_state() {
  person_await "$1" on_off
}

# The longest silence (ms) in the speaker's tone of a recording.
longest_silence() {
  "$wavcheck" gaps "$1:1" >"$2" || true
  awk '$1 == "gap" { s = $7 + 0; if (s > m) m = s } END { printf "%d\n", m }' "$2"
}

# Capture streams that Windows programs under Wine hold open on the sound server.
capture_streams() {
  pactl list source-outputs | grep -c 'application.process.binary = "wine\(64\)\?"' || true
}

echo "--- 1. ON: the echoes"
person_start "$out/work"
check_eq "the settings file chose the microphone" "Mic" "$(seen_items 1002 | sed -n "$(($(seen_field selected 1002 index) + 1))p")"
check_eq "the settings file chose the speaker" "Speaker" "$(seen_items 1003 | sed -n "$(($(seen_field selected 1003 index) + 1))p")"
person_click_control 1000
check "ON switches the echo on" wait_state "0 1"
sleep 1  # the devices start
check_eq "one capture stream while on" 1 "$(capture_streams)"
if echo_run echoes 300 1; then
  check "a chirp and its echoes, 300 ms apart, each 160/256 of the one before" true
else
  check "a chirp and its echoes, 300 ms apart, each 160/256 of the one before" false
fi
latency=$(awk '$1 == "latency_ms" { print $2 }' "$out/echoes.txt")
echo "latency from the microphone to the speaker: ${latency:-?} ms at a buffer time of $time_ms ms"
person_screenshot "$out/on.png"

echo "--- 2. an arrow click while on restarts the echo with the new delay"
bench_record_start "$out/restart.wav"
bench_feed "$out/quiet.wav" &
feeder=$!
sleep 1.2
person_click_arrow 1015 up
wait $feeder
sleep 0.3
bench_record_stop
silence=$(longest_silence "$out/restart.wav" "$out/restart.txt")
echo "the speaker was silent for $silence ms after the click"
check "the sound stopped at once and came back half a second later" test "$silence" -ge 400 -a "$silence" -le 1500
person_show
check_eq "the delay shows 301 and the echo is on" "301 0 1" "$(seen_field child 1012 text) $(seen_field child 1000 enabled) $(seen_field child 1007 enabled)"
if echo_run restarted 301 0.5; then
  check "the echoes are now 301 ms apart" true
else
  check "the echoes are now 301 ms apart" false
fi

echo "--- 3. OFF silences it"
person_click_control 1007
check "OFF switches the echo off" wait_state "1 0"
bench_record_start "$out/off.wav"
bench_feed "$out/burst.wav"
sleep 0.3
bench_record_stop
heard() { "$wavcheck" latency "$out/chirp.wav" "$out/off.wav:0" >"$out/off-input.txt"; }
silent() { "$wavcheck" silence "$out/off.wav:1" >"$out/off.txt"; }
check "the chirp reached the microphone" heard
check "the speaker stays silent" silent

echo "--- 4. an output device that vanished after the panel listed it"
pactl unload-module "$(pactl list short modules | awk '/sink_name=speaker/ { print $1 }')"
person_show
person_click_control 1000
if person_probe wait "出力デバイス初期化失敗" 10; then
  sleep 0.5
  person_screenshot "$out/output-failure.png"
  person_show "出力デバイス初期化失敗"
  # Its children in order: the icon, the OK button, the text.
  check_eq "the output message box" "1088 Static  | 1 Button OK | 65535 Static 出力デバイスが使用中か指定のフォーマットをサポートしていません。" \
    "$(printf '%s\n' "$person_seen" | awk '$1 == "child" { sub("id=", "", $2); sub("class=", "", $3); i = index($0, " text=")
                                                            printf "%s%s %s %s", (n++ ? " | " : ""), $2, $3, substr($0, i + 6) }')"
  check_eq "no capture stream was opened" 0 "$(capture_streams)"
  person_key Return
  check "Return closes the message box" person_probe gone "出力デバイス初期化失敗" 10
  check "the echo is off" wait_state "1 0"
else
  check "the output message box appears" false
fi

echo "--- 5. exit"
person_show
person_click_control 1008
check "the exit button ends the program" person_wait_end 20

echo "--- 6. three more formats"
for f in 8000:1:10:0 44100:2:10:1 96000:2:1000:255; do
  IFS=: read -r rate c delay g <<<"$f"
  format_session "$rate" "$c" "$delay" "$g" "$out/format-$rate-$c"
done

echo "sound test: $person_failures failed; latency ${latency:-?} ms; recordings in $out"
[ "$person_failures" -eq 0 ]
