#!/usr/bin/env bash
# A look at the program's dialogs under Wine. Runs the look program (tests/look) on a virtual
# display, on a Wine desktop (which draws captions), with the Japanese locale and the IPA Gothic
# font, and takes a screenshot of each dialog once it is on the screen:
#   look.sh LOOK_PROGRAM.exe PROBE.exe OUTPUT_FOLDER   ->   look-panel.png, look-about.png
# The dialogs stay up until closed: as a person would, the script waits until it sees the
# dialog (tools/probe), takes the shot and closes it with Esc. Fails when a dialog does not
# appear, a screenshot is missing or the program does not end well.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export SORVANTA_NO_SOUND=1
export PERSON_PROGRAM=$1 PERSON_PROBE=$2 LOOK_OUT=$3
export PERSON_PREFIX=${WINEPREFIX:-$here/../build/wineprefix-look}
mkdir -p "$LOOK_OUT"

"$here/with-virtual-devices.sh" bash -euo pipefail -c '
source "$(dirname "$0")/../tools/person.sh"
trap person_done EXIT
shoot() {  # mode, caption of the dialog to shoot
  local shot="$LOOK_OUT/look-$1.png"
  rm -f "$shot"
  # person_start returns once this dialog is visible and active, so that Esc goes to it.
  PERSON_MAIN=$2
  person_start "$LOOK_OUT" "$1" || { echo "look: no dialog $2 for $1" >&2; return 1; }
  # Its painting follows within a moment.
  sleep 1
  person_screenshot "$shot" && [ -s "$shot" ] || { echo "look: no screenshot of $1" >&2; return 1; }
  # Esc ends the dialog in front; the about mode then ends the panel under it as well.
  person_key Escape || { echo "look: Esc could not be pressed" >&2; return 1; }
  local status=0
  wait "$person_pid" || status=$?
  [ $status = 0 ] || { echo "look: the $1 mode ended with status $status" >&2; return 1; }
  echo "look: $shot"
}
shoot panel Sorvanta
shoot about バージョン情報
' "$here/look.sh"
