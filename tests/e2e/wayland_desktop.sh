#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside tools/wayland/gnome-session.sh or kde-session.sh (one 1920x1080 monitor, the
# desktop's own portal). Input goes through XWayland (xdotool), which is what reaches Vellumbox's
# X11 windows.
#   wayland_desktop.sh granted   (GNOME's store says yes; KDE never asks): a region over Wayland
#       content (GNOME's background, a native window on KDE), copied with Ctrl+C, equals the
#       portal's own picture of it.
#   wayland_desktop.sh refused   (GNOME's store says no): the first-run window shows access
#       missing, and a capture shows the permission alert instead of a picture.
#   wayland_desktop.sh shortcut  (GNOME 43, which has no shortcut portal): the first-run window
#       adds Ctrl+Shift+9 running `vellumbox --capture` to GNOME's own shortcuts.
#   wayland_desktop.sh hotkey    (KDE): Ctrl+Shift+9 pressed while a native window has the focus
#       starts a selection, through the desktop's shortcut service.
#   wayland_desktop.sh granted METHOD [LOG]   the screen read through METHOD (as the log names
#       it; default: the desktop portal), and LOG a line expected once the capture is done
#       (!LOG: a line that must not be there).
# The session passes portal-shot.py in $PORTAL_SHOT and show-picture.py in $SHOW_PICTURE.
set -u
mode=$1 method=${2:-the desktop portal} expected=${3:-}
cd "$WL_WORK" || exit 2
export XDG_CONFIG_HOME="$WL_WORK/config"
mkdir -p "$XDG_CONFIG_HOME/Vellumbox"
settings="$XDG_CONFIG_HOME/Vellumbox/Vellumbox.conf"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
waitfor() { # seconds, command...
  n=$(($1 * 10)); shift
  while [ $n -gt 0 ]; do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; n=$((n - 1)); done
  return 1
}
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1; }
shown() { [ -n "$(window "$1")" ]; }
picture() { import -window "$1" "$2"; } # an X11 window's own pixels
die() { echo "FAIL: $*"; cat app.log; exit 1; }
start() {
  : >app.log
  "$VELLUMBOX_BINARY" >>app.log 2>&1 &
  app=$!
  waitfor 20 grep -q "ready" app.log || { cat app.log; echo "FAIL: Vellumbox did not start"; exit 1; }
}
stop() {
  kill "$app"
  waitfor 5 sh -c "! kill -0 $app" || { kill -KILL "$app"; fail "Vellumbox did not end on SIGTERM"; }
  wait "$app" 2>/dev/null
}
done_first_run() { printf '[General]\nhasCompletedOnboarding=true\nhasShownLoginItemPrompt=true\n' >"$settings"; }

if [ "$mode" = granted ]; then
  convert -size 1920x1080 gradient:green-navy -fill orange -draw "circle 500,400 500,250" bg.png
  if [ "$XDG_CURRENT_DESKTOP" = GNOME ]; then
    gsettings set org.gnome.desktop.background picture-uri "file://$PWD/bg.png"
    gsettings set org.gnome.desktop.background picture-options stretched
  else
    GDK_BACKEND=wayland "$SHOW_PICTURE" bg.png >picture.log 2>&1 &
    waitfor 10 grep -q shown picture.log || die "no native window"
  fi
  sleep 1
  done_first_run
  start
  grep -q "read through $method" app.log || fail "not read through $method"
  "$VELLUMBOX_BINARY" --capture
  waitfor 5 shown "Vellumbox Selection" || die "no selection"
  sleep 0.5
  xdotool mousemove 350 250 mousedown 1 sleep 0.1 mousemove 500 400 sleep 0.1 mousemove 650 450 \
    sleep 0.1 mouseup 1
  waitfor 15 shown "Vellumbox Screenshot" || die "no screenshot"
  shot=$(window "Vellumbox Screenshot")
  eval "$(xdotool getwindowgeometry --shell "$shot")"
  [ "$X,$Y,$WIDTH,$HEIGHT" = "350,250,300,200" ] || fail "the screenshot floats at $X,$Y ${WIDTH}x$HEIGHT"
  # A long press (a short one closes it) gives it the keyboard.
  xdotool mousemove $((X + 150)) $((Y + 100)) mousedown 1 sleep 1 mouseup 1 sleep 0.3 key ctrl+c
  waitfor 5 sh -c 'xclip -selection clipboard -t image/png -o >copy.png && [ -s copy.png ]' ||
    fail "nothing on the clipboard"
  xdotool key ctrl+w
  waitfor 5 sh -c '! xdotool search --name "^Vellumbox Screenshot\$"' || fail "ctrl+w kept it"
  # KDE's pictures hold the pointer.
  xdotool mousemove 1900 1060
  sleep 0.5
  "$PORTAL_SHOT" truth.png || fail "the portal gave the test no picture"
  convert truth.png -crop 300x200+350+250 +repage truth-region.png
  # The desktop really shows the picture there: the orange circle's centre.
  centre=$(convert truth.png -format "%[fx:int(255*p{500,400}.r)],%[fx:int(255*p{500,400}.g)],%[fx:int(255*p{500,400}.b)]" info:)
  [ "$centre" = "255,165,0" ] || fail "the desktop shows $centre where the picture is orange"
  differ=$(compare -metric AE copy.png truth-region.png null: 2>&1)
  [ "$differ" = 0 ] || fail "$differ pixels differ from the portal's own picture"
  case $expected in
    "") ;;
    !*) ! grep -q "${expected#!}" app.log || fail "the log says: ${expected#!}" ;;
    *) grep -q "$expected" app.log || fail "the log does not say: $expected" ;;
  esac
  stop
elif [ "$mode" = shortcut ]; then
  start # the first run
  waitfor 10 shown "Welcome to Vellumbox" || die "no first-run window"
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$(window "Welcome to Vellumbox")")"
  [ "$HEIGHT" -gt 420 ] || fail "the first-run window offers no shortcut (${WIDTH}x$HEIGHT)"
  waitfor 5 sh -c '[ "$(xdotool getwindowfocus getwindowname)" = "Welcome to Vellumbox" ]' ||
    fail "the first-run window has no keyboard"
  # Clicks through XWayland do not reach GNOME's managed windows; keys reach the focused one.
  # The shortcut button follows "Get Started" in the focus chain.
  xdotool key Tab sleep 0.2 key space
  own=/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/vellumbox/
  schema=org.gnome.settings-daemon.plugins.media-keys.custom-keybinding:$own
  # GNOME's settings live in the session's own configuration folder, not the test's.
  gsettings() { env -u XDG_CONFIG_HOME gsettings "$@"; }
  waitfor 5 sh -c "env -u XDG_CONFIG_HOME gsettings get $schema binding | grep -q '<Control><Shift>9'" ||
    fail "GNOME's shortcuts hold: $(gsettings get "$schema" binding)"
  gsettings get "$schema" command | grep -q -- "--capture" || fail "the shortcut runs: $(gsettings get "$schema" command)"
  gsettings get org.gnome.settings-daemon.plugins.media-keys custom-keybindings | grep -q "$own" ||
    fail "GNOME does not list the shortcut"
  stop
elif [ "$mode" = hotkey ]; then
  convert -size 1920x1080 xc:teal bg.png
  GDK_BACKEND=wayland "$SHOW_PICTURE" bg.png >picture.log 2>&1 &
  waitfor 10 grep -q shown picture.log || die "no native window"
  done_first_run
  start
  grep -q "shortcut service binds CTRL+" app.log || fail "the shortcut service does not bind the hot key"
  # The native window takes the focus: an X11 grab no longer sees the keys.
  "$FAKE_INPUT" click 960 540
  sleep 0.5
  "$FAKE_INPUT" combo 29 42 10
  waitfor 5 shown "Vellumbox Selection" || fail "Ctrl+Shift+9 over a native window started nothing"
  stop
else
  start # the first run
  waitfor 10 shown "Welcome to Vellumbox" || die "no first-run window"
  sleep 1
  picture "$(window "Welcome to Vellumbox")" welcome.png
  # The status row's symbol and label: red for missing access, never green.
  red=$(convert welcome.png -fill black +opaque "rgb(255,59,48)" -fill white -opaque "rgb(255,59,48)" \
    -format "%[fx:int(mean*w*h)]" info:)
  green=$(convert welcome.png -fill black +opaque "rgb(40,167,69)" -fill white -opaque "rgb(40,167,69)" \
    -format "%[fx:int(mean*w*h)]" info:)
  [ "$red" -gt 20 ] && [ "$green" -eq 0 ] || fail "first-run window: $red red and $green green pixels"
  stop
  done_first_run
  start
  "$VELLUMBOX_BINARY" --capture
  waitfor 10 shown "Vellumbox" || die "no alert"
  sleep 0.5
  shown "Vellumbox Selection" && fail "a selection opened without access"
  picture "$(window "Vellumbox")" alert.png
  tesseract alert.png - 2>/dev/null | tr '\n' ' ' >alert.txt
  grep -q "Permission Required" alert.txt || fail "the alert reads: $(cat alert.txt)"
  stop
fi
if [ $failures -gt 0 ]; then cat app.log; exit 1; fi
echo "ok: $XDG_CURRENT_DESKTOP $mode"
