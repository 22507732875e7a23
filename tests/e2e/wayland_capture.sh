#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside tools/wayland/session.sh (sway: HEADLESS-1 1920x1080 at scale 1, HEADLESS-2
# 1280x720 at scale 2 beside it). Starts Vellumbox with one capture method forced, takes a region
# on each output through `vellumbox --capture` and a real pointer drag, copies the floating
# screenshot with Ctrl+C and compares what another application pastes with the compositor's
# own pixels (grim).
#   wayland_capture.sh screencopy|portal
set -u
method=$1
cd "$WL_WORK" || exit 2
export XDG_CONFIG_HOME="$WL_WORK/config"
mkdir -p "$XDG_CONFIG_HOME/Vellumbox"
printf '[General]\nhasCompletedOnboarding=true\nhasShownLoginItemPrompt=true\n' \
  >"$XDG_CONFIG_HOME/Vellumbox/Vellumbox.conf"
# Wayland content on both outputs: the compositor's own background pictures.
convert -size 1920x1080 gradient:red-blue -fill yellow -draw "rectangle 100,100 400,300" left.png &&
  convert -size 1280x720 -seed 9 plasma:fractal -fill white -draw "rectangle 100,100 300,200" right.png &&
  swaymsg output HEADLESS-1 bg "$PWD/left.png" stretch >/dev/null &&
  swaymsg output HEADLESS-2 bg "$PWD/right.png" stretch >/dev/null || { echo "FAIL: no background"; exit 1; }
sleep 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
waitfor() { # seconds, command...
  n=$(($1 * 10)); shift
  while [ $n -gt 0 ]; do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; n=$((n - 1)); done
  return 1
}
pointer() { printf '%s\nquit\n' "$*" | ./vpd >/dev/null; }
# A new virtual keyboard's keymap reaches XWayland with its first key: that key is lost
# unless the keymap has arrived first.
keys() { printf 'sleep 500\ncombo %s\nsleep 100\nquit\n' "$*" | ./vkd >/dev/null; }

VELLUMBOX_CAPTURE=$method "$VELLUMBOX_BINARY" >app.log 2>&1 &
app=$!
waitfor 20 grep -q "ready" app.log || { cat app.log; echo "FAIL: Vellumbox did not start"; exit 1; }
grep -q "The screen is read through" app.log || fail "the capture method is not logged"

# region: x y w h in layout pixels; scale: the output's
check() {
  name=$1 x=$2 y=$3 w=$4 h=$5 scale=$6 exact=$7
  grim -g "$x,$y ${w}x$h" "truth-$name.png"
  "$VELLUMBOX_BINARY" --capture
  waitfor 5 xdotool search --name "Vellumbox Selection" || { fail "$name: no selection"; return; }
  sleep 0.5
  pointer "abs $x $y 2560 1080
sleep 100
down 272
sleep 50
abs $((x + w / 2)) $((y + h / 2)) 2560 1080
sleep 50
abs $((x + w)) $((y + h)) 2560 1080
sleep 100
up 272
sleep 100"
  # The portal may start cold, and the machine be busy: within its own 10 s limit.
  waitfor 15 xdotool search --name "Vellumbox Screenshot" || { fail "$name: no screenshot"; return; }
  shot=$(xdotool search --name "Vellumbox Screenshot" | tail -n 1)
  eval "$(xdotool getwindowgeometry --shell "$shot")"
  # A long press (a short one closes it) gives the screenshot the keyboard; Ctrl+C copies it.
  pointer "abs $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) 2560 1080
sleep 100
down 272
sleep 1000
up 272
sleep 300"
  keys "29 46"
  if ! waitfor 5 sh -c "xclip -selection clipboard -t image/png -o >copy-$name.png && [ -s copy-$name.png ]"; then
    fail "$name: nothing on the clipboard"; return
  fi
  size=$(identify -format '%wx%h' "copy-$name.png")
  [ "$size" = "$((w * scale))x$((h * scale))" ] || fail "$name: copy is $size, wanted $((w * scale))x$((h * scale))"
  if [ "$exact" = exact ]; then
    differ=$(compare -metric AE "copy-$name.png" "truth-$name.png" null: 2>&1)
    [ "$differ" = 0 ] || fail "$name: $differ pixels differ from the compositor's"
  else
    # Enlarged by the desktop with smoothing: close to the compositor's pixels, not equal.
    convert "truth-$name.png" -resize "${size}!" "truth-$name-big.png"
    error=$(compare -metric RMSE "copy-$name.png" "truth-$name-big.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
    awk "BEGIN { exit !($error < 0.03) }" || fail "$name: differs from the compositor's by $error"
  fi
  echo "ok: $name $size"
  keys "29 17" # Ctrl+W closes it
}

# The portal's picture holds the whole layout at the largest scale: the scale-1 output enlarged.
if [ "$method" = portal ]; then check left 150 120 300 200 2 near; else check left 150 120 300 200 1 exact; fi
check right 2000 40 200 150 2 exact
if [ "$method" = screencopy ]; then
  # The line the first-run window offers on sway: the compositor runs it, whatever has the focus.
  swaymsg "bindsym Ctrl+Shift+9 exec $VELLUMBOX_BINARY --capture" >/dev/null
  keys "29 42 10"
  waitfor 5 xdotool search --onlyvisible --name "Vellumbox Selection" ||
    fail "sway's binding started no selection"
  # As a person would: once the selection is up, not in the same instant.
  sleep 1
  keys 1
  waitfor 5 sh -c '! xdotool search --onlyvisible --name "Vellumbox Selection"' ||
    fail "Escape left the selection open"
fi
kill "$app"; wait "$app"
if [ $failures -gt 0 ]; then cat app.log; exit 1; fi
