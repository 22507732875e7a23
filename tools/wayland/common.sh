# Sourced by the session scripts: the unprivileged user (sway refuses root; KWin and the shell
# are happier without it), the copies handed to COMMAND, the session's end and COMMAND's run.
# Each script sets `work` (its folder), `base_env` and `session` (the session's process).

# Sets `user` and `as_user` (empty when not root).
session_user() {
  user=${WL_USER:-wltest}
  as_user=()
  if [ "$(id -u)" -eq 0 ]; then
    id "$user" >/dev/null 2>&1 || useradd -m "$user" || { echo "$1: cannot create user $user" >&2; exit 2; }
    as_user=(runuser -u "$user" --)
    # An XWayland started first by the test user makes the folder without its sticky bit, which
    # KWin then refuses.
    mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
  fi
}

# VELLUMBOX_BINARY copied into the work folder, passed on as that copy (the user may not reach
# the build tree); fills `pass`.
pass_program() {
  pass=()
  if [ -n "${VELLUMBOX_BINARY:-}" ]; then
    cp "$VELLUMBOX_BINARY" "$work/vellumbox" && pass+=(VELLUMBOX_BINARY="$work/vellumbox")
  fi
}

# runuser's child starts the session's own process group; as root, end everything the test user
# runs (portals and XWayland leave that group).
stop_session() {
  kill -TERM -- "-$session" 2>/dev/null
  [ ${#as_user[@]} -eq 0 ] || pkill -TERM -u "$user"
  sleep 1
  kill -KILL -- "-$session" 2>/dev/null
  [ ${#as_user[@]} -eq 0 ] || pkill -KILL -u "$user"
  rm -rf "$work"
}

# Once the session has published its environment: COMMAND in it, as the user.
run_in_session() { # name, log, COMMAND...
  local name=$1 log=$2
  shift 2
  for _ in $(seq 300); do [ -s "$work/rt/session.env" ] && break; sleep 0.1; done
  [ -s "$work/rt/session.env" ] || { echo "$name: the session did not come up:" >&2; tail -n 30 "$log" >&2; exit 2; }
  sleep 1.5
  "${as_user[@]}" "${base_env[@]}" WL_WORK="$work" "${pass[@]}" \
    sh -c 'set -a; . "$XDG_RUNTIME_DIR/session.env"; set +a; [ -n "${XAUTHORITY:-}" ] || unset XAUTHORITY; exec "$@"' sh "$@"
}
