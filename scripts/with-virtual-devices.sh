#!/usr/bin/env bash
# Runs a command with a virtual display and virtual sound devices of its own, and takes them
# down afterwards, so that Windows programs under Wine have real windows and real winmm
# devices on a machine with neither:
#   DISPLAY            an Xvfb server (1280x1024, 24 bits)
#   XDG_RUNTIME_DIR    a private PulseAudio daemon with
#     sink   "MicFeed" (sink feed)      what a test plays here is what the microphone hears
#     source "Mic"     (source mic)     the microphone: a remap of feed.monitor
#     sink   "Speaker" (sink speaker)   the loudspeaker; record speaker.monitor to hear it
# Under Wine the input devices are then "PulseAudio" (the default), "Monitor of MicFeed",
# "Monitor of Speaker" and "Mic"; the output devices "PulseAudio", "MicFeed" and "Speaker",
# in an order that changes from run to run: find them by name.
# Several runs may go on at once: each has its own display number and runtime folder.
# SORVANTA_NO_DISPLAY=1 or SORVANTA_NO_SOUND=1 leave one of the two out.
set -euo pipefail

runtime=$(mktemp -d /tmp/sorvanta-devices.XXXXXX)
chmod 700 "$runtime"
xvfb_pid=""

cleanup() {
  if [ -f "$runtime/pulse/pid" ]; then
    kill "$(cat "$runtime/pulse/pid")" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$runtime"
}
trap cleanup EXIT

if [ "${SORVANTA_NO_DISPLAY:-0}" != 1 ]; then
  # Xvfb picks a free display number and writes it to the descriptor.
  exec 8<> <(:)
  Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp >"$runtime/xvfb.log" 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display <&8 || { echo "with-virtual-devices: Xvfb did not start" >&2; cat "$runtime/xvfb.log" >&2; exit 1; }
  exec 8<&-
  export DISPLAY=":$display"
fi

if [ "${SORVANTA_NO_SOUND:-0}" != 1 ]; then
  export XDG_RUNTIME_DIR=$runtime
  # As root the daemon warns that it is not meant to run so, and runs.
  pulseaudio --daemonize=yes --exit-idle-time=-1 -n --use-pid-file=yes \
    --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=feed sink_properties=device.description=MicFeed" \
    --load="module-null-sink sink_name=speaker sink_properties=device.description=Speaker" \
    --load="module-remap-source source_name=mic master=feed.monitor source_properties=device.description=Mic" \
    >"$runtime/pulse.log" 2>&1 || { echo "with-virtual-devices: PulseAudio did not start" >&2; cat "$runtime/pulse.log" >&2; exit 1; }
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
fi

"$@"
