#!/usr/bin/env bash
# Runs a command inside a private headless Wayland session: sway 1.7 (pixman renderer, no GPU)
# with two outputs, HEADLESS-1 1920x1080 at scale 1 (at 0,0) and HEADLESS-2 1280x720 at scale 2 (640x360 logical)
# (at 1920,0), XWayland, a D-Bus session, pipewire and the XDG desktop portal's Screenshot
# interface (the -wlr backend plus an Access-only gtk backend, which the portal needs).
#
#   session.sh [--bg-left PNG] [--bg-right PNG] -- COMMAND [ARGS...]
#
# sway refuses to run as root, so the session and COMMAND run as the unprivileged user
# $WL_USER (default "wltest", created when missing). COMMAND gets WAYLAND_DISPLAY, DISPLAY
# (XWayland), SWAYSOCK, DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR, and WL_WORK (a work folder it
# may write to) holding two helpers built here: `vpd` (a virtual pointer: reads lines
# "abs X Y 2560 1080", "down 272", "up 272", "sleep MS", "quit" on stdin; X Y are layout
# coordinates) and `vkd` (a virtual keyboard with a standard us keymap: "combo 29 46" is Ctrl+C,
# "combo 1" Escape; codes are Linux evdev codes). Do not use wtype: it uploads its own keymap,
# which renumbers XWayland's key codes. `grim -g "X,Y WxH" file.png` reads what the compositor
# shows, at device pixels. SHOW_PICTURE is show-picture.py, a native window. Exit status: COMMAND's.
#
# VELLUMBOX_BINARY, when set, is copied into the work folder and passed on as that copy (the
# unprivileged user may not reach the build tree), and so is COMMAND when it is a file.
#
# Note: swaybg draws the scale-2 output's background at 1x (sway enlarges it); on the scale-1
# output a background PNG of 1920x1080 is shown pixel for pixel.
set -u
bg_left= bg_right=
while [ $# -gt 0 ]; do
  case $1 in
    --bg-left) bg_left=$(readlink -f "$2"); shift 2 ;;
    --bg-right) bg_right=$(readlink -f "$2"); shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: session.sh [--bg-left PNG] [--bg-right PNG] -- COMMAND [ARGS...]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
pkgs=(sway xwayland xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk grim pipewire
      dbus dbus-bin wl-clipboard libwayland-dev libwayland-bin libxkbcommon-dev gcc)
miss=()
for p in "${pkgs[@]}"; do dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || miss+=("$p"); done
if [ ${#miss[@]} -gt 0 ]; then
  sudo=(); [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${miss[@]}" >/dev/null ||
    { echo "session.sh: could not install ${miss[*]}" >&2; exit 2; }
fi
. "$here/common.sh"
session_user session.sh
work=$(mktemp -d /tmp/wlsession.XXXXXX)
chmod 755 "$work"; mkdir -m 700 "$work/rt"; mkdir "$work/portals"
printf '[portal]\nDBusName=org.freedesktop.impl.portal.desktop.gtk\nInterfaces=org.freedesktop.impl.portal.Access;\nUseIn=sway;\n' >"$work/portals/gtk-access.portal"
printf '[portal]\nDBusName=org.freedesktop.impl.portal.desktop.wlr\nInterfaces=org.freedesktop.impl.portal.Screenshot;org.freedesktop.impl.portal.ScreenCast;\nUseIn=wlroots;sway;\n' >"$work/portals/wlr.portal"
if ! ( cd "$work" &&
  wayland-scanner client-header "$here/wlr-virtual-pointer-unstable-v1.xml" vp-proto.h &&
  wayland-scanner private-code "$here/wlr-virtual-pointer-unstable-v1.xml" vp-proto.c &&
  gcc -O1 -o vpd "$here/vpd.c" vp-proto.c -I. -lwayland-client &&
  wayland-scanner client-header "$here/vk.xml" vk-proto.h && wayland-scanner private-code "$here/vk.xml" vk-proto.c &&
  gcc -O1 -o vkd "$here/vkd.c" vk-proto.c -I. -lwayland-client -lxkbcommon ) >"$work/helpers-build.log" 2>&1; then
  echo "session.sh: could not build the virtual pointer and keyboard (see $work/helpers-build.log)" >&2; exit 2
fi
{
  echo "xwayland enable"
  echo "output HEADLESS-1 resolution 1920x1080 position 0 0 scale 1${bg_left:+ bg $bg_left stretch}"
  echo "output HEADLESS-2 resolution 1280x720 position 1920 0 scale 2${bg_right:+ bg $bg_right stretch}"
  echo "exec dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY SWAYSOCK XDG_CURRENT_DESKTOP XDG_SESSION_TYPE XDG_DESKTOP_PORTAL_DIR"
  echo "exec sh -c 'env | grep -E \"^(WAYLAND_DISPLAY|DISPLAY|SWAYSOCK|DBUS_SESSION_BUS_ADDRESS)=\" > $work/rt/env.tmp && mv $work/rt/env.tmp $work/rt/session.env'"
  echo "exec pipewire"
  echo "exec swaymsg create_output"
} >"$work/sway.conf"
pass_program
cp "$here/show-picture.py" "$work/show-picture.py"
pass+=(SHOW_PICTURE="$work/show-picture.py")
if [ -f "$1" ]; then
  cp "$1" "$work/command" && chmod 755 "$work/command"; shift; set -- "$work/command" "$@"
fi
[ ${#as_user[@]} -eq 0 ] || chown -R "$user" "$work"
base_env=(env -i HOME="$(getent passwd "${as_user:+$user}" 2>/dev/null | cut -d: -f6 || echo "$HOME")" PATH=/usr/local/bin:/usr/bin:/bin
          XDG_RUNTIME_DIR="$work/rt" XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland XDG_DESKTOP_PORTAL_DIR="$work/portals")
"${as_user[@]}" "${base_env[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  setsid dbus-run-session -- sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
session=$!
trap stop_session EXIT
run_in_session session.sh "$work/sway.log" "$@"
