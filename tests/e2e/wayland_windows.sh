#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside tools/wayland/session.sh (sway: HEADLESS-1 at scale 1, HEADLESS-2 at scale 2). A
# floating screenshot on sway: exactly where the region was on both outputs, answering Ctrl+W
# and Ctrl+C after a press, above a floating native window that takes the focus, still there on
# another workspace, moved by a drag, closed by a click.
set -u
cd "$WL_WORK" || exit 2
export XDG_CONFIG_HOME="$WL_WORK/config"
mkdir -p "$XDG_CONFIG_HOME/Vellumbox"
printf '[General]\nhasCompletedOnboarding=true\nhasShownLoginItemPrompt=true\n' \
  >"$XDG_CONFIG_HOME/Vellumbox/Vellumbox.conf"
convert -size 1920x1080 gradient:red-blue -fill yellow -draw "rectangle 100,100 400,300" left.png &&
  convert -size 1280x720 -seed 9 plasma:fractal right.png &&
  convert -size 800x600 xc:green -fill white -draw "circle 400,300 400,100" native.png &&
  swaymsg output HEADLESS-1 bg "$PWD/left.png" stretch >/dev/null &&
  swaymsg output HEADLESS-2 bg "$PWD/right.png" stretch >/dev/null || { echo "FAIL: no pictures"; exit 1; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
waitfor() { # seconds, command...
  n=$(($1 * 10)); shift
  while [ $n -gt 0 ]; do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; n=$((n - 1)); done
  return 1
}
pointer() { printf '%s\nquit\n' "$*" | ./vpd >/dev/null; }
at() { echo "abs $1 $2 2560 1080"; }
# A new virtual keyboard's keymap reaches XWayland with its first key: that key is lost
# unless the keymap has arrived first.
keys() { printf 'sleep 500\ncombo %s\nsleep 100\nquit\n' "$*" | ./vkd >/dev/null; }
shown() { xdotool search --onlyvisible --name "$1"; }
geometry() { eval "$(xdotool getwindowgeometry --shell "$1")"; echo "$X,$Y ${WIDTH}x$HEIGHT"; }
# What the compositor shows over a region equals a picture: nothing covers the screenshot. On
# the scale-2 output sway enlarges XWayland's windows, smoothing them: near, not equal.
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
near() {
  error=$(compare -metric RMSE "$1" "$2" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
  awk "BEGIN { exit !($error < 0.05) }"
}
# A long press (a short one closes it) gives the screenshot the keyboard.
hold() { pointer "$(at "$1" "$2")
sleep 100
down 272
sleep 1000
up 272
sleep 300"; }

"$VELLUMBOX_BINARY" >app.log 2>&1 &
app=$!
GDK_BACKEND=wayland python3 "$SHOW_PICTURE" native.png >picture.log 2>&1 &
native=$!
waitfor 20 grep -q "ready" app.log || { cat app.log; echo "FAIL: Vellumbox did not start"; exit 1; }
waitfor 10 grep -q shown picture.log || { echo "FAIL: no native window"; exit 1; }
swaymsg '[title="picture"] floating enable, resize set 800 600, move position 1000 500' >/dev/null

# region: name x y w h, in layout pixels
take() {
  grim -g "$2,$3 $4x$5" "truth-$1.png"
  "$VELLUMBOX_BINARY" --capture
  waitfor 5 shown "Vellumbox Selection" || { fail "$1: no selection"; return 1; }
  sleep 0.5
  pointer "$(at "$2" "$3")
sleep 100
down 272
sleep 50
$(at $(($2 + $4 / 2)) $(($3 + $5 / 2)))
sleep 50
$(at $(($2 + $4)) $(($3 + $5)))
sleep 100
up 272
sleep 100"
  waitfor 5 shown "Vellumbox Screenshot" || { fail "$1: no screenshot"; return 1; }
  shot=$(shown "Vellumbox Screenshot" | tail -n 1)
  # As a person would: a moment passes before the screenshot is pressed.
  sleep 1.5
  [ "$(geometry "$shot")" = "$2,$3 $4x$5" ] || fail "$1: shown at $(geometry "$shot"), taken at $2,$3 $4x$5"
  grim -g "$2,$3 $4x$5" "shown-$1.png"
  near "shown-$1.png" "truth-$1.png" || fail "$1: the screenshot does not show the region's pixels"
}

if take right 2000 40 200 150; then
  hold 2100 100
  keys "29 17"
  waitfor 3 sh -c '! xdotool search --onlyvisible --name "Vellumbox Screenshot"' || fail "Ctrl+W did not close it"
fi
take left 1100 550 300 200 || { kill "$app" "$native"; cat app.log; exit 1; }
hold 1300 650
keys "29 46"
waitfor 5 sh -c "xclip -selection clipboard -t image/png -o >copy.png && [ -s copy.png ]" &&
  same copy.png truth-left.png || fail "Ctrl+C did not copy the screenshot"
# The native window over the same place takes the focus: the screenshot stays above it.
swaymsg '[title="picture"] focus' >/dev/null
sleep 0.5
grim -g "1100,550 300x200" focused.png
same focused.png truth-left.png || fail "a focused native window covers the screenshot"
swaymsg workspace 2 >/dev/null
sleep 0.5
grim -g "1100,550 300x200" workspace.png
same workspace.png truth-left.png || fail "the screenshot is gone on another workspace"
swaymsg workspace 1 >/dev/null
pointer "$(at 1200 600)
sleep 100
down 272
sleep 50
$(at 1220 610)
sleep 50
$(at 1240 620)
sleep 100
up 272
sleep 200"
[ "$(geometry "$shot")" = "1140,570 300x200" ] || fail "dragged by (40,20) to $(geometry "$shot")"
pointer "$(at 1300 650)
sleep 50
down 272
sleep 50
up 272
sleep 100"
waitfor 3 sh -c '! xdotool search --onlyvisible --name "Vellumbox Screenshot"' || fail "a click did not close it"

kill "$app" "$native"; wait "$app"
if [ $failures -gt 0 ]; then cat app.log; exit 1; fi
echo "ok: sway window rules"
