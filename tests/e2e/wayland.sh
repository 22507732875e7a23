#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Vellumbox in a Wayland session, input through XWayland (xdotool), which reaches its X11 windows,
# or the compositor's own virtual devices; inside tools/wayland/session.sh (sway: HEADLESS-1
# 1920x1080 at scale 1, HEADLESS-2 1280x720 at scale 2 beside it), gnome-session.sh or
# kde-session.sh (one 1920x1080 monitor, the desktop's portal), which pass the helpers.
#   screencopy|portal (sway, that reader forced): a region on each output, taken by
#       `vellumbox --capture` and a drag, floats exactly there, copied with Ctrl+C equals grim's
#       pixels, closes with Ctrl+W; sway's own binding of Ctrl+Shift+9 opens the selection.
#   windows (sway): a floating screenshot stays where it was taken, above a native window that
#       takes the focus and on another workspace; it moves with a drag, closes with a click;
#       Escape ends a selection started while the native window has the keyboard; swaybar's
#       tray opens the menu, whose Quit ends the program.
#   granted [METHOD [LOG]] (GNOME's store says yes; KDE never asks): a region over Wayland content,
#       copied, equals the portal's own picture, and stays above a focused full-screen native
#       window; read through METHOD (default: the desktop portal); LOG a line the log holds
#       (!LOG: does not).
#   refused (GNOME's store says no): the first run shows access missing; a capture, the alert.
#   shortcut (GNOME 43, no shortcut portal): the first run adds Ctrl+Shift+9 to GNOME's shortcuts.
#   hotkey (KDE): Ctrl+Shift+9 over a focused native window starts a selection, through the
#       desktop's shortcut service, and Escape then ends it.
set -u
mode=$1 method=${2:-the desktop portal} expected=${3:-}
cd "$WL_WORK" || exit 2
export XDG_CONFIG_HOME="$WL_WORK/config"
mkdir -p "$XDG_CONFIG_HOME/Vellumbox"
settings="$XDG_CONFIG_HOME/Vellumbox/Vellumbox.conf"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
die() { echo "FAIL: $*"; cat app.log; exit 1; }
waitfor() { # seconds, command...
  n=$(($1 * 10)); shift
  while [ $n -gt 0 ]; do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; n=$((n - 1)); done
  return 1
}
window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1; }
shown() { [ -n "$(window "$1")" ]; }
done_first_run() { printf '[General]\nhasCompletedOnboarding=true\nhasShownLoginItemPrompt=true\n' >"$settings"; }
start() {
  : >app.log
  "$VELLUMBOX_BINARY" >>app.log 2>&1 &
  app=$!
  waitfor 20 grep -q "ready" app.log || die "Vellumbox did not start"
}
stop() {
  kill "$app"
  waitfor 5 sh -c "! kill -0 $app" || { kill -KILL "$app"; fail "Vellumbox did not end on SIGTERM"; }
  wait "$app" 2>/dev/null
}
# Lines for the compositor's virtual pointer: "abs X Y 2560 1080", "down 272", "sleep MS".
pointer() { printf '%s\n' "$@" quit | ./vpd >/dev/null; }
# One virtual keyboard for the whole run, as a person has: sway hands the keyboard back to the
# focused window whenever a keyboard is added, and a new keyboard's first key is lost to its
# keymap.
if [ "$XDG_CURRENT_DESKTOP" = sway ]; then
  mkfifo keyboard
  ./vkd <keyboard >/dev/null &
  exec 3>keyboard
  echo "sleep 500" >&3
fi
keys() { printf 'combo %s\n' "$*" >&3; sleep 0.3; }
drag() { # x0 y0 x1 y1, a real pointer drag on sway; the pointer settles before it presses, as
  # XWayland may see it jump to a corner when it enters a new window
  pointer "abs $(($1 + 1)) $(($2 + 1)) 2560 1080" "sleep 100" "abs $1 $2 2560 1080" "sleep 50" \
    "down 272" "sleep 50" "abs $((($1 + $3) / 2)) $((($2 + $4) / 2)) 2560 1080" "sleep 50" "abs $3 $4 2560 1080" \
    "sleep 100" "up 272" "sleep 100"
}
press() { pointer "abs $1 $2 2560 1080" "sleep 100" "down 272" "sleep $3" "up 272" "sleep 300"; } # x y ms
# A region x y w h (layout pixels) taken through `vellumbox --capture` and a drag; a long press (a
# short one closes it) gives its screenshot, at X Y WIDTH HEIGHT, the keyboard; Ctrl+C copies it
# into copy.png and Ctrl+W closes it. On sway through the compositor's own virtual devices.
take_region() {
  "$VELLUMBOX_BINARY" --capture
  waitfor 5 shown "Vellumbox Selection" || die "no selection"
  sleep 0.5
  if [ "$XDG_CURRENT_DESKTOP" = sway ]; then
    drag "$1" "$2" $(($1 + $3)) $(($2 + $4))
  else
    xdotool mousemove "$1" "$2" mousedown 1 sleep 0.1 mousemove $(($1 + $3 / 2)) $(($2 + $4 / 2)) \
      sleep 0.1 mousemove $(($1 + $3)) $(($2 + $4)) sleep 0.1 mouseup 1
  fi
  waitfor 15 shown "Vellumbox Screenshot" || die "no screenshot"
  shot=$(window "Vellumbox Screenshot")
  eval "$(xdotool getwindowgeometry --shell "$shot")"
  # As a person would: a moment passes before the screenshot is pressed.
  sleep 1
  if [ "$XDG_CURRENT_DESKTOP" = sway ]; then
    press $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) 1000
    keys "29 46"
  else
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) mousedown 1 sleep 1 mouseup 1 sleep 0.3 key ctrl+c
  fi
  rm -f copy.png
  waitfor 5 sh -c 'xclip -selection clipboard -t image/png -o >copy.png && [ -s copy.png ]' ||
    fail "nothing on the clipboard"
  [ "${5:-}" = keep ] && return
  if [ "$XDG_CURRENT_DESKTOP" = sway ]; then keys "29 17"; else xdotool key ctrl+w; fi
  waitfor 5 sh -c '! xdotool search --onlyvisible --name "^Vellumbox Screenshot\$"' || fail "Ctrl+W kept it"
}

# On sway: a region, the output's scale, and whether the copy must equal the compositor's pixels
# or, enlarged by the portal with smoothing, only come close.
sway_region() {
  name=$1 scale=$6 exact=$7
  grim -g "$2,$3 ${4}x$5" truth.png
  take_region "$2" "$3" "$4" "$5"
  [ "$X,$Y,$WIDTH,$HEIGHT" = "$2,$3,$4,$5" ] || fail "$name: floats at $X,$Y ${WIDTH}x$HEIGHT"
  size=$(identify -format '%wx%h' copy.png)
  [ "$size" = "$(($4 * scale))x$(($5 * scale))" ] || fail "$name: copy is $size, wanted $(($4 * scale))x$(($5 * scale))"
  if [ "$exact" = exact ]; then
    differ=$(compare -metric AE copy.png truth.png null: 2>&1)
    [ "$differ" = 0 ] || fail "$name: $differ pixels differ from the compositor's"
  else
    convert truth.png -resize "${size}!" truth-big.png
    error=$(compare -metric RMSE copy.png truth-big.png null: 2>&1 | sed 's/.*(\(.*\))/\1/')
    awk "BEGIN { exit !($error < 0.03) }" || fail "$name: differs from the compositor's by $error"
  fi
  echo "ok: $name $size"
}

if [ "$mode" = screencopy ] || [ "$mode" = portal ]; then
  # Wayland content on both outputs: the compositor's own background pictures.
  convert -size 1920x1080 gradient:red-blue -fill yellow -draw "rectangle 100,100 400,300" left.png &&
    convert -size 1280x720 -seed 9 plasma:fractal -fill white -draw "rectangle 100,100 300,200" right.png &&
    swaymsg output HEADLESS-1 bg "$PWD/left.png" stretch >/dev/null &&
    swaymsg output HEADLESS-2 bg "$PWD/right.png" stretch >/dev/null || die "no background"
  sleep 1
  done_first_run
  export VELLUMBOX_CAPTURE=$mode
  # This session's portal may take 20 s to answer at first, longer than the program's 5 s probe
  # waits: it is up before the program starts, as at a desktop's login.
  [ "$mode" = screencopy ] || waitfor 60 gdbus call --session --dest org.freedesktop.portal.Desktop \
    --object-path /org/freedesktop/portal/desktop --method org.freedesktop.DBus.Properties.Get \
    org.freedesktop.portal.Screenshot version || die "the portal did not come up"
  start
  [ "$mode" = portal ] || method="wlroots screen copy"
  grep -q "read through $method" app.log || fail "not read through $method"
  # The portal's picture holds the whole layout at the largest scale: the scale-1 output enlarged.
  if [ "$mode" = portal ]; then sway_region left 150 120 300 200 2 near; else sway_region left 150 120 300 200 1 exact; fi
  sway_region right 2000 40 200 150 2 exact
  if [ "$mode" = screencopy ]; then
    # The line the first-run window offers on sway: the compositor runs it, whatever has the focus.
    swaymsg "bindsym Ctrl+Shift+9 exec $VELLUMBOX_BINARY --capture" >/dev/null
    keys "29 42 10"
    waitfor 5 shown "Vellumbox Selection" || fail "sway's binding started no selection"
    # As a person would: once the selection is up, not in the same instant.
    sleep 1
    keys 1
    waitfor 5 sh -c '! xdotool search --onlyvisible --name "Vellumbox Selection"' ||
      fail "Escape left the selection open"
  fi
  stop
elif [ "$mode" = windows ]; then
  convert -size 1920x1080 gradient:red-blue left.png &&
    convert -size 800x600 xc:green -fill white -draw "circle 400,300 400,100" native.png &&
    swaymsg output HEADLESS-1 bg "$PWD/left.png" stretch >/dev/null || die "no pictures"
  GDK_BACKEND=wayland "$SHOW_PICTURE" native.png >picture.log 2>&1 &
  waitfor 10 grep -q shown picture.log || die "no native window"
  swaymsg '[title="picture"] floating enable, resize set 800 600, move position 1000 500' >/dev/null
  swaymsg 'bar panel position top' >/dev/null && sleep 2 # its tray
  done_first_run
  start
  grim -g "1100,550 300x200" truth.png
  take_region 1100 550 300 200 keep
  same() { [ "$(compare -metric AE "$1" truth.png null: 2>&1)" = 0 ]; }
  shows() { grim -g "1100,550 300x200" now.png && same now.png; }
  same copy.png || fail "Ctrl+C copied other pixels"
  # The native window over it takes the focus, another workspace shows: it stays above.
  swaymsg '[title="picture"] focus' >/dev/null && sleep 0.5
  shows || fail "a focused native window covers it"
  swaymsg workspace 2 >/dev/null && sleep 0.5
  shows || fail "it is gone on another workspace"
  swaymsg workspace 1 >/dev/null
  drag 1200 600 1240 620
  eval "$(xdotool getwindowgeometry --shell "$shot")"
  [ "$X,$Y" = "1140,570" ] || fail "dragged by (40,20) to $X,$Y"
  press 1300 650 50
  waitfor 3 sh -c '! xdotool search --onlyvisible --name "^Vellumbox Screenshot\$"' || fail "a click kept it"
  # The native window has the keyboard when a selection starts: Escape still ends it.
  swaymsg '[title="picture"] focus' >/dev/null
  "$VELLUMBOX_BINARY" --capture
  waitfor 5 shown "Vellumbox Selection" || fail "no selection over the native window"
  sleep 1
  keys 1
  waitfor 5 sh -c '! xdotool search --onlyvisible --name "^Vellumbox Selection\$"' ||
    fail "Escape left a selection started over a native window open"
  # swaybar draws no menus: a right click on its tray asks for ours, whose Quit ends the program.
  pointer "abs 1907 10 2560 1080" "sleep 200" "down 273" "sleep 50" "up 273" "sleep 300"
  waitfor 5 xdotool search --onlyvisible --pid "$app" || fail "no menu from swaybar's tray"
  eval "$(xdotool getwindowgeometry --shell "$(xdotool search --onlyvisible --pid "$app" | tail -n 1)")"
  press $((X + 20)) $((Y + HEIGHT - 8)) 50
  waitfor 5 sh -c "! kill -0 $app" || { fail "the tray menu's Quit left it running"; stop; }
elif [ "$mode" = granted ]; then
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
  take_region 350 250 300 200 keep
  [ "$X,$Y,$WIDTH,$HEIGHT" = "350,250,300,200" ] || fail "the screenshot floats at $X,$Y ${WIDTH}x$HEIGHT"
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
  # A full-screen native window that takes the focus stays below it.
  convert -size 1920x1080 xc:teal teal.png && sed 's/maximize()/fullscreen()/' "$SHOW_PICTURE" >full.py
  GDK_BACKEND=wayland python3 full.py teal.png >full.log 2>&1 & sleep 2
  "$PORTAL_SHOT" over.png && convert over.png -crop 200x100+400+300 +repage over-region.png
  convert copy.png -crop 200x100+50+50 +repage copy-centre.png
  [ "$(compare -metric AE over-region.png copy-centre.png null: 2>&1)" = 0 ] || fail "a full-screen window covers it"
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
  sleep 1 && "$FAKE_INPUT" key 1
  waitfor 5 sh -c '! xdotool search --onlyvisible --name "^Vellumbox Selection\$"' || fail "Escape left it open"
  stop
else
  start # the first run
  waitfor 10 shown "Welcome to Vellumbox" || die "no first-run window"
  sleep 1
  import -window "$(window "Welcome to Vellumbox")" welcome.png
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
  import -window "$(window "Vellumbox")" alert.png
  tesseract alert.png - 2>/dev/null | tr '\n' ' ' >alert.txt
  grep -q "Permission Required" alert.txt || fail "the alert reads: $(cat alert.txt)"
  stop
fi
if [ $failures -gt 0 ]; then cat app.log; exit 1; fi
echo "ok: $XDG_CURRENT_DESKTOP $mode"
