#!/usr/bin/env bash
# A look at the program's dialogs under Wine. Runs the look program (tests/look) on a virtual
# display, in a Wine desktop of its own (which draws captions), with the Japanese locale and the
# IPA Gothic font, and takes a screenshot of each dialog while it is up:
#   look.sh LOOK_PROGRAM.exe OUTPUT_FOLDER   ->   look-panel.png, look-about.png
# Fails when the program does not end well or a screenshot is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1
out=$2
mkdir -p "$out"
export SORVANTA_NO_SOUND=1
export LOOK_PROGRAM=$program LOOK_OUT=$out LOOK_HERE=$here

"$here/with-virtual-devices.sh" bash -euo pipefail -c '
shoot() {  # mode: the program shows its dialogs for 6 seconds; the shot is taken after 3
  local mode=$1 desktop="look-$1"
  rm -f "$LOOK_OUT/look-$mode.png"
  "$LOOK_HERE/wine-run.sh" explorer "/desktop=$desktop,640x420" "$LOOK_PROGRAM" "$mode" &
  local pid=$! window=""
  for _ in $(seq 200); do
    window=$(xdotool search --name "^$desktop" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "look: no Wine desktop for $mode" >&2; return 1; }
  sleep 3
  import -window "$window" "$LOOK_OUT/look-$mode.png"
  wait "$pid"
  echo "look: $LOOK_OUT/look-$mode.png"
}
shoot panel
shoot about
'
