#!/usr/bin/env bash
# Runs a command inside a private headless GNOME session: gnome-shell 43 (mutter's headless
# backend, one virtual monitor of 1920x1080), XWayland, a D-Bus session, pipewire and the GNOME
# portal backends, then ends it.
#
#   gnome-session.sh [--screenshots yes|no] -- COMMAND [ARGS...]
#
# --screenshots sets the portal permission store's answer for unsandboxed programs before
# COMMAND starts (without it nothing is stored, and the shell asks the user). Like session.sh, the
# session runs as the unprivileged user $WL_USER (default "wltest"); COMMAND gets
# WAYLAND_DISPLAY, DISPLAY, XAUTHORITY, DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR and WL_WORK.
# VELLUMBOX_BINARY and COMMAND are copied into the work folder; PORTAL_SHOT and SHOW_PICTURE
# name copies of portal-shot.py and show-picture.py. Exit status: COMMAND's.
set -u
screenshots=
while [ $# -gt 0 ]; do
  case $1 in
    --screenshots) screenshots=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: gnome-session.sh [--screenshots yes|no] -- COMMAND [ARGS...]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
session_user gnome-session.sh
work=$(mktemp -d /tmp/gnsession.XXXXXX)
chmod 755 "$work"; mkdir -m 700 "$work/rt"; mkdir -p "$work/portals" "$work/home/.local/share/gnome-shell/extensions"
cp -r "$here/gnome" "$work/home/.local/share/gnome-shell/extensions/no-overview@vellumbox.tests"
# Only GNOME's backends: another desktop's installed backend would answer too.
printf '[portal]\nDBusName=org.freedesktop.impl.portal.desktop.gnome\nInterfaces=org.freedesktop.impl.portal.Screenshot;org.freedesktop.impl.portal.ScreenCast;org.freedesktop.impl.portal.RemoteDesktop;org.freedesktop.impl.portal.Settings;\nUseIn=gnome\n' >"$work/portals/gnome.portal"
printf '[portal]\nDBusName=org.gnome.Shell.Portal\nInterfaces=org.freedesktop.impl.portal.Access\nUseIn=gnome\n' >"$work/portals/gnome-shell.portal"
# mutter finds /run/systemd/seats and wants logind on a system bus: give it an empty one.
cat >"$work/system-bus.conf" <<'CONF'
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
# Once the shell answers and XWayland runs: publish the session for COMMAND and for activated
# services, set the stored answer, then run pipewire (the portal's screen cast needs it).
cat >"$work/post.sh" <<POST
#!/bin/sh
for i in \$(seq 150); do
  [ -S "\$XDG_RUNTIME_DIR/wayland-gnome" ] && gdbus call --session -d org.gnome.Shell -o /org/gnome/Shell -m org.freedesktop.DBus.Peer.Ping >/dev/null 2>&1 && break
  sleep 0.2
done
for i in \$(seq 100); do
  X=\$(ps -u "\$(id -u)" -o args= | sed -n 's/^\/usr\/bin\/Xwayland \(:[0-9]*\) .*/\1/p' | head -n 1)
  [ -n "\$X" ] && break; sleep 0.2
done
A=\$(ps -u "\$(id -u)" -o args= | sed -n 's/.*Xwayland :[0-9]* .* -auth \([^ ]*\) .*/\1/p' | head -n 1)
export WAYLAND_DISPLAY=wayland-gnome DISPLAY=\$X XAUTHORITY=\$A
dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XAUTHORITY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE XDG_RUNTIME_DIR DBUS_SYSTEM_BUS_ADDRESS XDG_DESKTOP_PORTAL_DIR
gsettings set org.gnome.desktop.interface enable-hot-corners false
if [ -n "$screenshots" ]; then
  gdbus call --session -d org.freedesktop.impl.portal.PermissionStore -o /org/freedesktop/impl/portal/PermissionStore \
    -m org.freedesktop.impl.portal.PermissionStore.SetPermission screenshot true screenshot '' "['$screenshots']" >/dev/null
fi
env | grep -E "^(WAYLAND_DISPLAY|DISPLAY|XAUTHORITY|DBUS_SESSION_BUS_ADDRESS|DBUS_SYSTEM_BUS_ADDRESS)=" >"\$XDG_RUNTIME_DIR/env.tmp" &&
  mv "\$XDG_RUNTIME_DIR/env.tmp" "\$XDG_RUNTIME_DIR/session.env"
exec pipewire
POST
chmod 755 "$work/post.sh"
pass_program
for helper in portal-shot show-picture; do cp "$here/$helper.py" "$work/$helper.py"; done
pass+=(PORTAL_SHOT="$work/portal-shot.py" SHOW_PICTURE="$work/show-picture.py")
if [ -f "$1" ]; then
  cp "$1" "$work/command" && chmod 755 "$work/command"; shift; set -- "$work/command" "$@"
fi
[ ${#as_user[@]} -eq 0 ] || chown -R "$user" "$work"
base_env=(env -i HOME="$work/home" PATH=/usr/local/bin:/usr/bin:/bin XDG_RUNTIME_DIR="$work/rt"
          XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland XDG_SESSION_DESKTOP=gnome
          XDG_DESKTOP_PORTAL_DIR="$work/portals" DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/rt/system-bus")
cat >"$work/start.sh" <<START
#!/bin/sh
dbus-daemon --config-file="$work/system-bus.conf" --address="\$DBUS_SYSTEM_BUS_ADDRESS" --fork >/dev/null
gsettings set org.gnome.shell enabled-extensions "['no-overview@vellumbox.tests']"
gsettings set org.gnome.desktop.notifications show-banners false
"$work/post.sh" &
exec gnome-shell --headless --wayland --virtual-monitor 1920x1080 --wayland-display wayland-gnome
START
chmod 755 "$work/start.sh"
[ ${#as_user[@]} -eq 0 ] || chown "$user" "$work/start.sh"
"${as_user[@]}" "${base_env[@]}" setsid dbus-run-session -- "$work/start.sh" >"$work/shell.log" 2>&1 &
session=$!
trap stop_session EXIT
run_in_session gnome-session.sh "$work/shell.log" "$@"
