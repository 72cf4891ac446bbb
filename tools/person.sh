# A person at the program: shell functions to source inside scripts/with-virtual-devices.sh.
#
# The program runs under Wine on a virtual Wine desktop (PERSON_DESKTOP, 640x480), which draws
# captions and caption buttons, in a prefix of its own (PERSON_PREFIX). It is driven only as a
# person drives it: keys through the X keyboard (xdotool key, XTEST, to whatever window has the
# focus) and mouse clicks at the places where the controls are on the screen. What the screen
# shows is read back with the probe (tools/probe), a Windows program on the same desktop
# that only reads: window texts, list items, selections, positions, enabled states, focus.
#
#   person_start DIR [ARG...]  starts the program with DIR as its working folder; waits for the panel
#   person_show [CAPTION]    the probe's report of a window (default "Sorvanta") into $person_seen
#   person_await TEXT CMD... shows the panel again until CMD prints TEXT (10 s at most)
#   person_click_control ID  a left click in the middle of a control of the last window shown
#   person_hover ID          the mouse rests on a control: prints the tooltip then shown
#   person_click_arrow ID up|down   a click on one arrow of an up-down control
#   person_click_close       a click on the close box of the last window shown
#   person_choose ID TEXT    opens a list with the mouse and picks the item TEXT with the keys;
#                            returns once the list has closed showing it
#   person_key KEY...        key presses (xdotool key names: alt+n, Escape, Return, Up)
#   person_wait_end [S]      waits (20 s) until the program has ended
#   person_screenshot FILE   the Wine desktop as a PNG
# Another program at the panel, as an automation tool or a remote control presses its buttons:
#   person_presser CAPTION SECONDS ID...   sent BM_CLICKs from one thread per control
#                            (tools/presser); fails if a send was not answered
# Reading what was shown (from $person_seen):
#   seen_field KIND ID NAME  a field of the line "KIND id=ID ...", e.g. seen_field child 1000 enabled
#   seen_items ID            the item texts of a list, one a line

person_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
person_root=$(cd "$person_here/.." && pwd)
# The shipped i686 build (natively or emulated by QEMU), or its x86_64 stand-in where wine32
# cannot run at all (scripts/wine32-runs.sh).
if "$person_root/scripts/wine32-runs.sh" >/dev/null; then person_build=win32; else person_build=win64; fi
PERSON_PROGRAM=${PERSON_PROGRAM:-$person_root/build/$person_build/sorvanta.exe}
PERSON_PROBE=${PERSON_PROBE:-$person_root/build/$person_build/tools/probe.exe}
PERSON_PRESSER=${PERSON_PRESSER:-$person_root/build/$person_build/tools/presser.exe}
PERSON_PREFIX=${PERSON_PREFIX:-$person_root/build/wineprefix-person}
PERSON_DESKTOP=${PERSON_DESKTOP:-640x480}
PERSON_MAIN=Sorvanta
person_seen=""
person_pid=""

person_log() { echo "person: $*" >&2; }

person_wine() {
  WINEPREFIX=$PERSON_PREFIX ${PERSON_WINE_WRAPPER:-} "$person_root/scripts/wine-run.sh" "$@"
}

# The prefix, once: every program in it shares one virtual desktop, so that the probe sees the
# program's windows, and Wine's own caption-button font is where its font search finds it.
person_prefix() {
  [ -f "$PERSON_PREFIX/.person-$PERSON_DESKTOP" ] && return 0
  person_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 &&
    person_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$PERSON_DESKTOP" /f >/dev/null 2>&1 ||
    { person_log "the prefix $PERSON_PREFIX did not take the desktop's settings"; return 1; }
  WINEPREFIX=$PERSON_PREFIX /usr/lib/wine/wineserver64 -w || true
  cp -f /usr/share/wine/fonts/marlett.ttf "$PERSON_PREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  touch "$PERSON_PREFIX/.person-$PERSON_DESKTOP"
}

person_probe() {
  person_wine "$PERSON_PROBE" "$@"
}

person_presser() {
  person_wine "$PERSON_PRESSER" "$@"
}

# person_start DIR [ARG...]: the program in DIR (its settings file is DIR/sorvanta.ini), as a
# person starts it; returns once the panel is on the screen and has been shown.
person_start() {
  local dir=$1
  shift
  person_prefix || return 1
  (cd "$dir" && exec env WINEPREFIX="$PERSON_PREFIX" ${PERSON_WINE_WRAPPER:-} "$person_root/scripts/wine-run.sh" "$PERSON_PROGRAM" "$@") \
    >"${PERSON_LOG:-/dev/null}" 2>&1 &
  person_pid=$!
  # A first start in a fresh prefix takes a while on a busy machine.
  if ! person_probe wait "$PERSON_MAIN" 90; then
    person_log "the panel did not appear"
    return 1
  fi
  # Keys go to the active window: the person starts typing once the panel is the one.
  person_await "active 1 foreground 1" seen_line active || { person_log "the panel is not active"; return 1; }
}

# seen_line KIND: the rest of the first line of that kind ("focus", "active" ...).
seen_line() {
  printf '%s\n' "$person_seen" | awk -v kind="$1" '$1 == kind { print; exit }'
}

# The id of the control with the focus, or "none".
seen_focus() {
  printf '%s\n' "$person_seen" | awk '$1 == "focus" { sub("id=", "", $2); print $2; exit }'
}

person_show() {
  person_seen=$(person_probe show "${1:-$PERSON_MAIN}") || { person_log "no window ${1:-$PERSON_MAIN}"; return 1; }
}

# person_await EXPECTED COMMAND...: shows the panel again (every half second, for up to 10 s)
# until COMMAND prints EXPECTED; the program may take a moment to answer a click.
person_await() {
  local expected=$1 i
  shift
  for i in $(seq 20); do
    person_show
    [ "$("$@")" = "$expected" ] && return 0
    sleep 0.5
  done
  return 1
}

# seen_field KIND ID NAME: NAME's value on the first line "KIND id=ID ..." (text= takes the
# rest of the line).
seen_field() {
  printf '%s\n' "$person_seen" | awk -v kind="$1" -v id="id=$2" -v name="$3" '
    $1 == kind && $2 == id {
      if (name == "text") { i = index($0, " text="); print substr($0, i + 6); exit }
      for (f = 3; f <= NF; f++) if (index($f, name "=") == 1) { print substr($f, length(name) + 2); exit }
    }'
}

# The window line's field NAME (rect, caption, enabled ...).
seen_window() {
  printf '%s\n' "$person_seen" | awk -v name="$1" '
    $1 == "window" {
      if (name == "caption") { i = index($0, " caption="); print substr($0, i + 9); exit }
      for (f = 3; f <= NF; f++) if (index($f, name "=") == 1) { print substr($f, length(name) + 2); exit }
    }'
}

seen_items() {
  printf '%s\n' "$person_seen" | awk -v id="id=$1" '$1 == "item" && $2 == id { i = index($0, " text="); print substr($0, i + 6) }'
}

# The index of the item TEXT in list ID, or nothing.
seen_item_index() {
  printf '%s\n' "$person_seen" | awk -v id="id=$1" -v text="$2" '
    $1 == "item" && $2 == id { i = index($0, " text="); if (substr($0, i + 6) == text) { sub("index=", "", $3); print $3; exit } }'
}

# The Wine desktop's X window: the desktop's coordinates are the probe's screen coordinates.
# It is a child of the root, and the search goes no deeper: below it are the X windows of the
# programs on the desktop, which come and go while a deeper search walks them. Says where
# there is none, and which windows the root has.
person_desktop_window() {
  local desktop windows
  desktop=$(xdotool search --maxdepth 1 --name ' - Wine desktop$' 2>/dev/null | head -n 1) || true
  if [ -z "$desktop" ]; then
    windows=$(xwininfo -root -children 2>&1 | sed -n 's/^ *\(0x[0-9a-f]* .*\)/\1/p' | paste -sd ';' -)
    person_log "no Wine desktop on the display; the root's windows: ${windows:-none}"
    return 1
  fi
  echo "$desktop"
}

# person_click X Y: a left click at a point of the Wine desktop, as a person clicks: the
# pointer goes there, and the button is pressed once nothing covers the point. A tooltip
# shows where the mouse rested last, below it: the rate list's covers the stereo check box.
# The pointer's arrival hides it, but a press that follows at once may still reach the
# tooltip, which takes it and hides (a lost click); a person presses only once they see the
# control under the pointer.
person_click() {
  local desktop
  desktop=$(person_desktop_window) || return 1
  xdotool mousemove --window "$desktop" "$1" "$2"
  person_uncovered "$1" "$2" || { person_log "a tooltip stays over $1,$2"; return 1; }
  xdotool click 1
}

# person_uncovered X Y: waits (5 s at most) until no tooltip is shown over the point.
person_uncovered() {
  local i
  for i in $(seq 20); do
    person_probe list | awk -v x="$1" -v y="$2" '
      $4 == "class=tooltips_class32" {
        for (f = 5; f <= NF; f++) if (index($f, "rect=") == 1) { split(substr($f, 6), r, ","); break }
        if (x >= r[1] && x < r[3] && y >= r[2] && y < r[4]) covered = 1
      }
      END { exit covered }' && return 0
    sleep 0.25
  done
  return 1
}

# The rectangle of control ID as "L T R B".
seen_rect() {
  seen_field child "$1" rect | tr ',' ' '
}

# The visible top-level windows of a class, by their captions.
person_windows_of() {
  person_probe list | awk -v cls="class=$1" '$4 == cls { i = index($0, " caption="); print substr($0, i + 9) }'
}

# person_hover ID: the mouse rests on a control; prints the tooltip that shows within 3 s.
person_hover() {
  local l t r b desktop tip i
  read -r l t r b <<<"$(seen_rect "$1")"
  desktop=$(person_desktop_window) || return 1
  xdotool mousemove --window "$desktop" $(((l + r) / 2)) $(((t + b) / 2))
  for i in 1 2 3 4 5 6; do
    sleep 0.5
    tip=$(person_windows_of tooltips_class32)
    [ -n "$tip" ] && break
  done
  printf '%s' "$tip"
}

person_click_control() {
  local l t r b
  read -r l t r b <<<"$(seen_rect "$1")"
  [ -n "$b" ] || { person_log "no control $1 on the screen"; return 1; }
  person_click $(((l + r) / 2)) $(((t + b) / 2))
}

# An up-down control's arrows are its upper and lower halves; a click in the middle of one.
person_click_arrow() {
  local l t r b y
  read -r l t r b <<<"$(seen_rect "$1")"
  [ -n "$b" ] || { person_log "no control $1 on the screen"; return 1; }
  if [ "$2" = up ]; then y=$((t + (b - t) / 4)); else y=$((b - 1 - (b - t) / 4)); fi
  person_click $(((l + r) / 2)) "$y"
}

# The close box: the rightmost caption button, inside the frame, in the middle of the caption.
person_click_close() {
  local l t r b frame caption button
  read -r l t r b <<<"$(seen_window rect | tr ',' ' ')"
  frame=$(printf '%s\n' "$person_seen" | awk '$1 == "frame" { sub("cx=", "", $2); print $2 }')
  caption=$(printf '%s\n' "$person_seen" | awk '$1 == "frame" { sub("caption=", "", $4); print $4 }')
  button=$(printf '%s\n' "$person_seen" | awk '$1 == "frame" { sub("button=", "", $5); print $5 }')
  person_click $((r - frame - button / 2 - 1)) $((t + frame + caption / 2))
}

person_key() {
  xdotool key --delay 30 "$@"
}

# person_choose ID TEXT: a click opens the list, Home goes to its first item, Down to TEXT,
# Return takes it (in an open list Return belongs to the list, not to the dialog).
person_choose() {
  local index
  index=$(seen_item_index "$1" "$2")
  [ -n "$index" ] || { person_log "list $1 has no item '$2'"; return 1; }
  person_click_control "$1"
  # The keys go to the open list only: Return to a closed one would choose the exit button.
  local i open=0
  for i in $(seq 20); do
    person_probe list | grep -q ' class=ComboLBox ' && { open=1; break; }
    sleep 0.25
  done
  [ $open = 1 ] || { person_log "list $1 did not open"; return 1; }
  person_key Home
  for ((i = 0; i < index; i++)); do person_key Down; done
  person_key Return
  # The next action waits until the person sees the list closed and showing the item.
  for i in $(seq 20); do
    if ! person_probe list | grep -q ' class=ComboLBox '; then
      person_show && [ "$(seen_field selected "$1" index)" = "$index" ] && return 0
    fi
    sleep 0.25
  done
  person_log "list $1 did not close on '$2'"
  return 1
}

person_wait_end() {
  local i
  for ((i = 0; i < ${1:-20} * 10; i++)); do
    kill -0 "$person_pid" 2>/dev/null || { wait "$person_pid" 2>/dev/null || true; return 0; }
    sleep 0.1
  done
  return 1
}

person_screenshot() {
  local desktop
  desktop=$(person_desktop_window) || return 1
  import -window "$desktop" "$1"
}

# Ends whatever still runs in the prefix, and waits for its wineserver, before the display and
# the sound server go.
person_done() {
  if [ -n "$person_pid" ] && kill -0 "$person_pid" 2>/dev/null; then
    person_log "the program still runs; ending it"
    WINEPREFIX=$PERSON_PREFIX /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  fi
  WINEPREFIX=$PERSON_PREFIX /usr/lib/wine/wineserver64 -w 2>/dev/null || true
}

# ---- checks: each prints "ok NAME" or "FAIL NAME (details)"; person_failures counts them.
person_failures=0

check() {  # NAME CONDITION-COMMAND...
  local name=$1
  shift
  if "$@"; then
    echo "ok   $name"
  else
    echo "FAIL $name"
    person_failures=$((person_failures + 1))
  fi
}

# check_eq NAME EXPECTED ACTUAL
check_eq() {
  if [ "$2" = "$3" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1 (expected '$2', saw '$3')"
    person_failures=$((person_failures + 1))
  fi
}
