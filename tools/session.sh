#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A private virtual X desktop (two monitors, window manager, tray host, optional compositor)
# for ./dev run on a machine without a display, the benchmarks and the tests,
# around one command; everything started here is torn down on every exit path.
set -u

usage() {
    echo "usage: $0 [--compositor] [--single WxH] [--timeout SECONDS] -- COMMAND [ARGS...]" >&2
    exit 2
}

compositor=0
single=""
limit=""
while [ $# -gt 0 ]; do
    case "$1" in
    --compositor) compositor=1 ;;
    --single) [ $# -ge 2 ] || usage; single="$2"; shift ;;
    --timeout) [ $# -ge 2 ] || usage; limit="$2"; shift ;;
    --) shift; break ;;
    *) usage ;;
    esac
    shift
done
[ $# -gt 0 ] || usage
[[ "$single" =~ ^([0-9]+x[0-9]+)?$ && "$limit" =~ ^[0-9]*$ ]] || usage

for tool in Xvfb xdpyinfo xrandr openbox dbus-launch perl; do
    command -v "$tool" >/dev/null || { echo "session.sh: $tool is missing" >&2; exit 2; }
done

tmp=$(mktemp -d -t vellumbox-e2e.XXXXXX) || exit 2
logs="$tmp/logs"
mkdir -p "$logs"
helper_pids=()
xvfb_pid=""
cmd_pid=""
dbus_pid=""
status=""

stop_pid() {
    local pid="$1" i
    kill -TERM "$pid" 2>/dev/null || return 0
    for i in $(seq 30); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
}

teardown() {
    local rc=$?
    [ -n "$status" ] || status=$rc
    trap - EXIT INT TERM HUP
    [ -n "$cmd_pid" ] && stop_pid "$cmd_pid"
    local i
    for ((i = ${#helper_pids[@]} - 1; i >= 0; i--)); do
        stop_pid "${helper_pids[i]}"
    done
    [ -n "$dbus_pid" ] && stop_pid "$dbus_pid"
    [ -n "$xvfb_pid" ] && stop_pid "$xvfb_pid"
    wait 2>/dev/null
    rm -rf "$tmp"
    exit "$status"
}
trap teardown EXIT
trap 'status=130; exit' INT
trap 'status=143; exit' TERM
trap 'status=129; exit' HUP

fail() {
    echo "session.sh: $*" >&2
    local f
    for f in "$logs"/*.log; do
        [ -s "$f" ] && { echo "--- $(basename "$f")" >&2; tail -n 20 "$f" >&2; }
    done
    status=2
    exit
}

# Waits until selection $1 has an owner (up to $2 seconds); speaks the X protocol itself
# because no installed tool prints selection owners.
wait_for_selection_owner() {
    perl -MIO::Socket::UNIX -e '
        my ($disp, $name, $secs) = @ARGV;
        my $s = IO::Socket::UNIX->new(Type => SOCK_STREAM(), Peer => "/tmp/.X11-unix/X$disp")
            or exit 2;
        sub rd { my $n = shift; my $b = ""; while (length $b < $n) {
            my $got = sysread($s, $b, $n - length $b, length $b); exit 2 unless $got; } $b }
        syswrite($s, pack("Cxvvvvxx", 0x6c, 11, 0, 0, 0));
        my ($ok, $extra) = unpack("Cx5v", rd(8));
        rd($extra * 4);
        exit 2 unless $ok == 1;
        my $pad = (4 - length($name) % 4) % 4;
        syswrite($s, pack("CCvvxx", 16, 0, 2 + (length($name) + $pad) / 4, length $name)
                     . $name . ("\0" x $pad));
        my ($type, $atom) = unpack("Cx7V", rd(32));
        exit 2 unless $type == 1;
        my $deadline = time + $secs;
        while (1) {
            syswrite($s, pack("CxvV", 23, 2, $atom));
            my ($t, $owner) = unpack("Cx7V", rd(32));
            exit 0 if $t == 1 && $owner;
            exit 1 if time > $deadline;
            select(undef, undef, undef, 0.05);
        }' "$display_number" "$1" "$2"
}

# Environment first, so that every helper below already writes into the private folders.
export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime"
export XDG_CACHE_HOME="$tmp/cache" XDG_DATA_HOME="$tmp/data"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY SESSION_MANAGER
export XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb VELLUMBOX_E2E_COMPOSITOR=$compositor

screen_size=${single:-3200x1080}

# The lock file names the server's pid: only then is the answering server ours, even when
# several sessions race for the same number.
display_number=""
for n in $(seq 90 190); do
    # A lock whose server is gone is stale: the server removes it itself.
    if [ -e "/tmp/.X$n-lock" ]; then
        kill -0 "$(tr -d ' ' <"/tmp/.X$n-lock" 2>/dev/null)" 2>/dev/null && continue
    elif [ -e "/tmp/.X11-unix/X$n" ]; then
        continue
    fi
    Xvfb ":$n" -noreset -nolisten tcp +extension MIT-SHM -screen 0 "${screen_size}x24" \
        >"$logs/xvfb.log" 2>&1 &
    pid=$!
    for i in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        if [ "$(cat "/tmp/.X$n-lock" 2>/dev/null | tr -d ' ')" = "$pid" ] &&
            DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
            display_number=$n
            break
        fi
        sleep 0.1
    done
    if [ -n "$display_number" ]; then
        xvfb_pid=$pid
        break
    fi
    stop_pid "$pid"
    wait "$pid" 2>/dev/null
done
[ -n "$display_number" ] || fail "no X server could be started"
export DISPLAY=":$display_number"

if [ -z "$single" ]; then
    xrandr --setmonitor L 1920/508x1080/286+0+0 none || fail "xrandr --setmonitor L failed"
    xrandr --setmonitor R 1280/338x1024/270+1920+0 none || fail "xrandr --setmonitor R failed"
    # Turning the output off makes Qt use the monitors; the server answers BadValue anyway.
    xrandr --output screen --off >/dev/null 2>&1
    export QT_SCREEN_SCALE_FACTORS="L=1;R=2"
else
    unset QT_SCREEN_SCALE_FACTORS
fi
unset QT_SCALE_FACTOR QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING

# The bus ends with the X server even if this script is killed outright; dbus-launch records
# the bus under $HOME, so it gets a private one.
mkdir -p "$tmp/home"
eval "$(HOME="$tmp/home" dbus-launch --sh-syntax --exit-with-x11)" || fail "dbus-launch failed"
dbus_pid="${DBUS_SESSION_BUS_PID:-}"
[ -n "$dbus_pid" ] || fail "dbus-launch gave no bus"
export DBUS_SESSION_BUS_ADDRESS

mkdir -p "$XDG_CONFIG_HOME/openbox"
cat >"$XDG_CONFIG_HOME/openbox/rc.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy><center>yes</center><monitor>Primary</monitor></placement>
  <desktops><number>1</number><popupTime>0</popupTime></desktops>
  <margins><top>0</top><bottom>0</bottom><left>0</left><right>0</right></margins>
  <keyboard></keyboard>
  <mouse>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
    <context name="Titlebar">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Left" action="Drag"><action name="Move"/></mousebind>
    </context>
  </mouse>
  <applications></applications>
</openbox_config>
EOF
openbox --sm-disable --config-file "$XDG_CONFIG_HOME/openbox/rc.xml" >"$logs/openbox.log" 2>&1 &
helper_pids+=($!)
wait_for_selection_owner WM_S0 10 || fail "the window manager did not start"

# The tray host is a convenience: tests that need it check for it themselves.
if command -v trayer >/dev/null; then
    trayer --edge top --align right --widthtype request --height 24 --transparent false \
        --SetDockType true --SetPartialStrut false --monitor primary >"$logs/trayer.log" 2>&1 &
    helper_pids+=($!)
    wait_for_selection_owner _NET_SYSTEM_TRAY_S0 5 ||
        echo "session.sh: warning: the tray host did not start" >&2
fi

if [ "$compositor" = 1 ]; then
    command -v picom >/dev/null || fail "picom is missing"
    picom --backend xrender --config /dev/null --no-fading-openclose >"$logs/picom.log" 2>&1 &
    helper_pids+=($!)
    wait_for_selection_owner _NET_WM_CM_S0 10 || fail "the compositor did not start"
fi

echo "session.sh: X display $DISPLAY ready (compositor: $compositor); to look at it:" \
    "DISPLAY=$DISPLAY import -window root shot.png" >&2

# An explicit stdin keeps interactive commands usable although they run in the background,
# which is what lets a signal reach the traps while the command runs. The time limit stops the
# command before a test runner's own timeout kills this script without a teardown.
if [ -n "$limit" ]; then
    timeout -k 5 "$limit" "$@" <&0 &
else
    "$@" <&0 &
fi
cmd_pid=$!
wait "$cmd_pid"
status=$?
cmd_pid=""
[ -n "$limit" ] && [ "$status" = 124 ] && echo "session.sh: stopped after ${limit} s" >&2
exit
