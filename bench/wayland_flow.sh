#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside tools/wayland/session.sh (sway), gnome-session.sh or kde-session.sh: mouse release
# to floating screenshot mapped, for each way of reading the screen the desktop offers, on each
# output (sway: scale 1 and 2). On sway the release goes through a virtual pointer that is
# already connected, elsewhere through XWayland; the window is watched through XWayland.
# Figures are printed, never asserted.
set -u
cd "$WL_WORK" || exit 2
export XDG_CONFIG_HOME="$WL_WORK/config"
mkdir -p "$XDG_CONFIG_HOME/Vellumbox"
printf '[General]\nhasCompletedOnboarding=true\nhasShownLoginItemPrompt=true\n' \
  >"$XDG_CONFIG_HOME/Vellumbox/Vellumbox.conf"
rounds=${ROUNDS:-7}
if [ -x ./vpd ]; then # sway
  mkfifo pointer
  ./vpd <pointer >/dev/null &
  exec 3>pointer
  methods="screencopy portal" outputs="200,200 2000,50" desktop=sway
  drag() { printf 'abs %d %d 2560 1080\ndown 272\nsleep 50\nabs %d %d 2560 1080\nsleep 100\n' "$@" >&3; }
  release() { printf 'up 272\n' >&3; }
else
  methods=default outputs="200,200" desktop=$XDG_CURRENT_DESKTOP
  drag() { xdotool mousemove "$1" "$2" mousedown 1 sleep 0.05 mousemove "$3" "$4" sleep 0.1; }
  release() { xdotool mouseup 1; }
fi
now() { date +%s%N; }
present() { xdotool search --name "Vellumbox $1" >/dev/null 2>&1; }
count() { xdotool search --name "Vellumbox Screenshot" 2>/dev/null | wc -l; }

for method in $methods; do
  : >"app-$method.log"
  [ "$method" = default ] && forced= || forced=$method
  VELLUMBOX_CAPTURE=$forced "$VELLUMBOX_BINARY" >>"app-$method.log" 2>&1 &
  app=$!
  n=0; until grep -q ready "app-$method.log" || [ $n -gt 100 ]; do sleep 0.1; n=$((n + 1)); done
  label=$method
  [ "$method" = default ] && label=$(sed -n 's/.*The screen is read through //p' "app-$method.log" | head -n 1)
  for output in $outputs; do
    set -- $(echo "$output" | tr , ' ')
    times=
    i=0
    while [ $i -lt "$rounds" ]; do
      "$VELLUMBOX_BINARY" --capture
      n=0; until present Selection || [ $n -gt 50 ]; do sleep 0.1; n=$((n + 1)); done
      sleep 0.3
      drag "$1" "$2" $(($1 + 300)) $(($2 + 200))
      sleep 0.3
      before=$(count)
      start=$(now)
      release
      n=0; until [ "$(count)" -gt "$before" ] || [ $n -gt 1000 ]; do sleep 0.01; n=$((n + 1)); done
      times="$times $((($(now) - start) / 100000))"
      sleep 0.3
      i=$((i + 1))
    done
    scale=$([ "$1" -lt 1920 ] && echo 1 || echo 2)
    echo "$times" | tr ' ' '\n' | grep . | sort -n | awk -v label="release to screenshot mapped, $desktop, $label, scale $scale" '
      { v[NR] = $1 / 10 } END { if (NR == 0) { printf "%-52s no measurement\n", label; exit }
        printf "%-52s median %8.1f ms  (min %.1f, max %.1f, n %d)\n", label,
          (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[1], v[NR], NR }'
  done
  kill "$app"; wait "$app" 2>/dev/null
  grep -o "portal answered in [0-9]* ms.*read in [0-9]* ms" "app-$method.log" | awk '{ s += $4; r += $(NF - 1); n++ }
    END { if (n) printf "%-52s mean %8.1f ms, its file read %.1f ms (n %d)\n",
                        "  of which the portal answering", s / n, r / n, n }'
done
if [ -x ./vpd ]; then echo quit >&3; fi
