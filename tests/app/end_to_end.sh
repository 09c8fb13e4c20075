#!/usr/bin/env bash
# End to end: the real program under Xvfb, driven by xdotool. It opens the sample scene,
# picks the Brush with the B key, drags across the view, and the screen must show paint
# where the stroke went; a selection over the stroke is copied, pasted, placed and dropped
# below it; File > Exit, its unsaved-changes question answered Discard, must end it and write
# the preferences.
#   end_to_end.sh GESSORIA XWD_DIFFERENCE SCENE
set -euo pipefail
program=$1 difference=$2 scene=$3
work=$(mktemp -d)
xvfb_pid= app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The first visible window named like $1, waiting up to 20 s. xdotool's own --sync gives up
# with BadWindow when another window (a tooltip, the start-up picture) goes away meanwhile.
find_window() {
  local found=
  for _ in $(seq 200); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.1
  done
  echo "no window named $1" >&2
  cat "$work/app.log" "$work/xvfb.log" >&2
  return 1
}

export GESSORIA_DATA=$work/data GESSORIA_INI=$work/gessoria.INI XDG_STATE_HOME=$work/state
# The program's link socket in a folder of this run's own, apart from any other program's.
mkdir -p "$work/run" && chmod 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# No tip of the day at start-up.
printf '[Tip]\r\nStartUp=1\r\n' > "$GESSORIA_INI"

# A server of our own on a display number picked at random from a high range: other programs
# on this machine start and stop servers of theirs meanwhile, some on fixed low numbers after
# clearing stale locks, so a low number can be taken from under us. One that does not answer
# within five seconds, or a number already in use, is replaced.
start_server() {
  local number=$((300 + RANDOM % 600))
  [ -e "/tmp/.X$number-lock" ] && return 1
  : > "$work/display"
  Xvfb ":$number" -displayfd 3 -screen 0 1024x768x24 -fbdir "$work" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$work/display" ] && break; kill -0 "$xvfb_pid" 2>/dev/null || break; sleep 0.1; done
  export DISPLAY=:$number
  for _ in $(seq 50); do
    kill -0 "$xvfb_pid" 2>/dev/null || break
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  stop_server
  return 1
}
stop_server() {
  [ -n "$xvfb_pid" ] || return 0
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
}

# The server, then the program on it, until the program's first window shows. The sample's
# colour and bump maps differ in size, so the open asks how to fit them first. Should the
# program fail to reach the server (gone between our check and its start), both start again,
# at most five times.
launch() {
  for _ in 1 2 3 4 5; do
    start_server || continue
    "$program" "$scene" 2>"$work/app.log" &
    app_pid=$!
    for _ in $(seq 200); do
      dialog=$(xdotool search --onlyvisible --name '^Texturemap Size$' 2>/dev/null | head -1 || true)
      [ -n "$dialog" ] && return 0
      kill -0 "$app_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=
    stop_server
    grep -q 'could not connect to display' "$work/app.log" || break
  done
  echo "no window named ^Texturemap Size$"
  cat "$work/xvfb.log" "$work/app.log" 2>/dev/null
  exit 1
}
dialog=
launch
# OK takes the preset (the larger size, every map scaled).
xdotool windowfocus --sync "$dialog" key Return
window=$(find_window 'monkey.3ds - Gessoria')
sleep 3   # the start-up picture closes after two seconds
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool windowfocus --sync "$window"
cx=$((X + WIDTH / 2)) cy=$((Y + HEIGHT / 2))

# The screen before the stroke, once the window has settled (two dumps alike).
for _ in $(seq 50); do
  cp "$work/Xvfb_screen0" "$work/before.xwd"
  sleep 0.2
  cp "$work/Xvfb_screen0" "$work/settled.xwd"
  [ "$("$difference" "$work/before.xwd" "$work/settled.xwd" "$X" "$Y" "$WIDTH" "$HEIGHT")" -eq 0 ] && break
done
# The open selected the Brush already; E then B picks it through its key either way.
xdotool key e key b
xdotool mousemove $((cx - 60)) "$cy" mousedown 1
for step in $(seq -60 6 60); do xdotool mousemove $((cx + step)) "$cy"; done
xdotool mouseup 1

# The program paints as the events arrive; on a busy machine that can take a moment.
inside=0
for _ in $(seq 100); do
  cp "$work/Xvfb_screen0" "$work/after.xwd"
  inside=$("$difference" "$work/before.xwd" "$work/after.xwd" $((cx - 60)) $((cy - 4)) 121 9)
  [ "$inside" -gt 200 ] && break
  sleep 0.1
done
far=$("$difference" "$work/before.xwd" "$work/after.xwd" $((cx - 60)) $((cy + 120)) 121 9)
echo "pixels changed along the stroke: $inside, well below it: $far"
[ "$inside" -gt 200 ] || { echo "no paint arrived along the stroke"; cat "$work/app.log"; exit 1; }
[ "$far" -eq 0 ] || { echo "the view changed away from the stroke"; exit 1; }

# One selection: the Selection tool from the menu (Tools, Painting Tools, Selection), a drag
# over the painted stroke, Ctrl+C, Ctrl+V, a click below it to place the copy, Ctrl+D to
# drop it. The copy carries the stroke, so the screen must change around the click.
cp "$work/after.xwd" "$work/painted.xwd"
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key alt+t
sleep 0.5
xdotool key t
sleep 0.5
xdotool key n
sleep 0.5
xdotool mousemove $((cx - 20)) $((cy - 10)) mousedown 1
for step in $(seq -20 4 20); do xdotool mousemove $((cx + step)) $((cy + step / 2)); done
xdotool mouseup 1
sleep 0.5
xdotool key ctrl+c
sleep 0.5
xdotool key ctrl+v
sleep 0.5
xdotool mousemove "$cx" $((cy + 40)) click 1
sleep 0.5
xdotool key ctrl+d
placed=0
for _ in $(seq 100); do
  cp "$work/Xvfb_screen0" "$work/dropped.xwd"
  placed=$("$difference" "$work/painted.xwd" "$work/dropped.xwd" $((cx - 20)) $((cy + 30)) 41 21)
  [ "$placed" -gt 50 ] && break
  sleep 0.1
done
echo "pixels changed where the copy was dropped: $placed"
[ "$placed" -gt 50 ] || { echo "the dropped copy did not show"; cat "$work/app.log"; exit 1; }

# F1 opens the manual in a help window of the program's own.
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key F1
help=$(find_window '^Gessoria Help$')
echo "help window: $help"
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 0.5

xdotool key alt+f
sleep 1
xdotool key x
# The paint is not saved, so Exit asks first; Discard lets the program end.
question=$(find_window '^Gessoria$')
xdotool windowfocus --sync "$question" 2>/dev/null || true
xdotool key alt+d
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then echo "File > Exit did not end the program"; exit 1; fi
wait "$app_pid"
app_pid=
grep -q 'StillRenderLevel' "$GESSORIA_INI" || { echo "exit wrote no preferences"; exit 1; }
grep -q 'monkey.3ds' "$GESSORIA_INI" || { echo "exit wrote no recent-file list"; exit 1; }
echo "end-to-end run passed"
