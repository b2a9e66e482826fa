#!/usr/bin/env bash
# with-test-env.sh CMD...
# Runs CMD inside a private, headless desktop: an Xvfb display with openbox, a private session bus,
# an unlocked gnome-keyring and temporary HOME and XDG folders. Every process started here is
# stopped again on exit, and the exit status is CMD's.
set -euo pipefail

if [ -z "${QUOR_TEST_ENV_BUS:-}" ]; then
  export QUOR_TEST_ENV_BUS=1
  exec dbus-run-session -- "$0" "$@"
fi

root=$(mktemp -d /tmp/quor-test-env.XXXXXX)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export HOME=$root/home XDG_RUNTIME_DIR=$root/run
export XDG_DATA_HOME=$root/home/.local/share XDG_CONFIG_HOME=$root/home/.config
export XDG_CACHE_HOME=$root/home/.cache XDG_STATE_HOME=$root/home/.local/state
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY SESSION_MANAGER

# Xvfb picks a free display number and writes it to the descriptor we hand it.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1920x1080x24 -nolisten tcp -noreset >"$root/xvfb.log" 2>&1 &
pids+=($!)
display=""
for _ in $(seq 1 100); do
  read -r -t 0.1 -u "$displayfd" display || true
  [ -n "$display" ] && break
done
exec {displayfd}<&-
if [ -z "$display" ]; then
  echo "with-test-env: Xvfb did not start" >&2
  cat "$root/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$display"

openbox --sm-disable >"$root/openbox.log" 2>&1 &
pids+=($!)
# Tests that bound a latency across the desktop discount the time these waited for a CPU.
export QUOR_TEST_DESKTOP_PIDS="${pids[*]}"
for _ in $(seq 1 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.05
done

# Without --unlock the daemon would spawn a password prompter and hang.
printf 'pass' | gnome-keyring-daemon --foreground --unlock --components=secrets \
  >"$root/keyring.env" 2>"$root/keyring.log" &
pids+=($!)
for _ in $(seq 1 100); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.freedesktop.secrets 2>/dev/null | grep -q 'boolean true' && break
  sleep 0.05
done

set +e
"$@"
status=$?
set -e
exit $status
