#!/usr/bin/env bash
# Runs a command inside a private headless KDE Plasma session: KWin 5.27 (virtual backend, one
# output of 1920x1080, OpenGL on llvmpipe, which its screenshots need), XWayland, a D-Bus
# session, pipewire and the KDE portal backend, then ends it.
#
#   kde-session.sh [--desktop-entry] -- COMMAND [ARGS...]
#
# --desktop-entry installs Vellumbox's desktop entry for the copied binary, as a package would:
# KWin then grants it its own screenshot interface.
#
# Like session.sh, the session runs as the unprivileged user $WL_USER (default "wltest").
# COMMAND gets WAYLAND_DISPLAY, DISPLAY, XAUTHORITY, DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR,
# WL_WORK, PORTAL_SHOT and SHOW_PICTURE (portal-shot.py, show-picture.py), and FAKE_INPUT (fi:
# keys and clicks through KWin's fake-input protocol, which KWin offers it through its desktop
# entry). VELLUMBOX_BINARY and COMMAND are copied into the work folder. Exit status: COMMAND's.
set -u
entry=
while [ $# -gt 0 ]; do
  case $1 in
    --desktop-entry) entry=1; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: kde-session.sh [--desktop-entry] -- COMMAND [ARGS...]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
session_user kde-session.sh
# The portal's screenshot object loads two QML modules that only the (large) Plasma workspace
# package ships: taken from its archive once.
qml=${XDG_CACHE_HOME:-$HOME/.cache}/vellumbox-tests/kde-qml
if [ ! -d "$qml/org/kde/plasma/workspace/dialogs" ]; then
  ( tmp=$(mktemp -d) && cd "$tmp" && apt-get download plasma-workspace >/dev/null 2>&1 &&
    dpkg-deb -x plasma-workspace_*.deb pw && mkdir -p "$qml/org/kde/plasma/workspace" &&
    cp -r pw/usr/lib/x86_64-linux-gnu/qt5/qml/org/kde/plasma/workspace/dialogs "$qml/org/kde/plasma/workspace/" &&
    cp -r pw/usr/lib/x86_64-linux-gnu/qt5/qml/org/kde/plasma/lookandfeel "$qml/org/kde/plasma/"; rm -rf "$tmp" ) ||
    { echo "kde-session.sh: could not take the QML modules from plasma-workspace" >&2; exit 2; }
fi
work=$(mktemp -d /tmp/kdesession.XXXXXX)
chmod 755 "$work"; mkdir -m 700 "$work/rt"; mkdir -p "$work/portals" "$work/home/Pictures"
cp -r "$qml" "$work/qml"
proto=/usr/share/plasma-wayland-protocols/fake-input.xml
if ! ( cd "$work" && wayland-scanner client-header "$proto" fake-input-client.h &&
  wayland-scanner private-code "$proto" fake-input.c &&
  gcc -O1 -I. -o fi "$here/fi.c" fake-input.c -lwayland-client ) >"$work/fi-build.log" 2>&1; then
  echo "kde-session.sh: could not build the fake-input client (see $work/fi-build.log)" >&2; exit 2
fi
mkdir -p "$work/home/.local/share/applications"
printf '[Desktop Entry]\nType=Application\nName=Test input\nExec=%s/fi\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n' \
  "$work" >"$work/home/.local/share/applications/vellumbox-test-input.desktop"
# kwin_wayland carries a file capability this machine's bounding set refuses; a copy has none.
cp /usr/bin/kwin_wayland "$work/kwin_wayland"
# Only KDE's backend: another desktop's installed backend would answer too.
printf '[portal]\nDBusName=org.freedesktop.impl.portal.desktop.kde\nInterfaces=org.freedesktop.impl.portal.Access;org.freedesktop.impl.portal.Screenshot;org.freedesktop.impl.portal.ScreenCast;org.freedesktop.impl.portal.Settings;org.freedesktop.impl.portal.GlobalShortcuts\nUseIn=KDE\n' >"$work/portals/kde.portal"
# Started by KWin once Wayland and XWayland are up: publish the session, then run pipewire.
cat >"$work/post.sh" <<'POST'
#!/bin/sh
dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XAUTHORITY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE KDE_FULL_SESSION KDE_SESSION_VERSION XDG_RUNTIME_DIR XDG_DESKTOP_PORTAL_DIR QML2_IMPORT_PATH
env | grep -E "^(WAYLAND_DISPLAY|DISPLAY|XAUTHORITY|DBUS_SESSION_BUS_ADDRESS)=" >"$XDG_RUNTIME_DIR/env.tmp" &&
  mv "$XDG_RUNTIME_DIR/env.tmp" "$XDG_RUNTIME_DIR/session.env"
exec pipewire
POST
chmod 755 "$work/post.sh"
pass_program
if [ -n "${VELLUMBOX_BINARY:-}" ] && [ -n "$entry" ]; then
  sed "s|^Exec=vellumbox|Exec=$work/vellumbox|" "$here/../../data/org.vellumbox.Vellumbox.desktop" \
    >"$work/home/.local/share/applications/org.vellumbox.Vellumbox.desktop"
fi
for helper in portal-shot show-picture; do cp "$here/$helper.py" "$work/$helper.py"; done
pass+=(PORTAL_SHOT="$work/portal-shot.py" SHOW_PICTURE="$work/show-picture.py" FAKE_INPUT="$work/fi")
if [ -f "$1" ]; then
  cp "$1" "$work/command" && chmod 755 "$work/command"; shift; set -- "$work/command" "$@"
fi
[ ${#as_user[@]} -eq 0 ] || chown -R "$user" "$work"
base_env=(env -i HOME="$work/home" PATH=/usr/local/bin:/usr/bin:/bin XDG_RUNTIME_DIR="$work/rt"
          XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=wayland XDG_SESSION_DESKTOP=KDE KDE_FULL_SESSION=true
          KDE_SESSION_VERSION=5 XDG_DESKTOP_PORTAL_DIR="$work/portals" QML2_IMPORT_PATH="$work/qml"
          KWIN_COMPOSE=O2)
"${as_user[@]}" "${base_env[@]}" setsid dbus-run-session -- "$work/kwin_wayland" --virtual --width 1920 \
  --height 1080 --xwayland --no-lockscreen -s wayland-kde "$work/post.sh" >"$work/kwin.log" 2>&1 &
session=$!
trap stop_session EXIT
run_in_session kde-session.sh "$work/kwin.log" "$@"
