# Sourced by the scripts that run Ostrel for real on a virtual X screen with a
# tray host: a private X server, session bus and trayer panel, a throw-away
# home, and helpers to wait for things. Everything started is stopped on exit,
# by its own process id, and nothing else.
#
# Callers set TRAY_SCREEN (default 480x120), TRAY_HEIGHT (default 26),
# TRAY_HOST=none to start without trayer, and call
#   tray_session_start            # X, bus and trayer; exports DISPLAY and the bus
#   tray_start_trayer             # trayer, when the session started without it
#   tray_run_ostrel <binary> [env assignments --] [arguments]
#   tray_await <tenths> <command...>
#   tray_items                    # xwininfo lines of the embedded ostrel items

tray_work="$(mktemp -d /tmp/ostrel-tray.XXXXXX)"
tray_pids=()

tray_cleanup() {
  local pid
  for ((i = ${#tray_pids[@]} - 1; i >= 0; i--)); do
    pid="${tray_pids[i]}"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
trap tray_cleanup EXIT

# waits up to $1 tenths of a second for the command after it to succeed
tray_await() {
  local tries="$1"
  shift
  until "$@" >/dev/null 2>&1; do
    ((tries-- > 0)) || return 1
    sleep 0.1
  done
}

tray_session_start() {
  local tool
  for tool in Xvfb trayer xwd xwininfo xwdtopnm pnmtopng dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup-debian.sh" >&2; return 1; }
  done
  # The X server picks a free display itself and writes its number to fd 3.
  Xvfb -displayfd 3 -screen 0 "${TRAY_SCREEN:-480x120}x24" -nolisten tcp -auth /dev/null \
    3>"$tray_work/display" 2>"$tray_work/xvfb.log" &
  tray_pids+=($!)
  tray_await 50 test -s "$tray_work/display" || { echo "Xvfb did not start; see $tray_work/xvfb.log" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$tray_work/display")"

  # A session bus of its own, so nothing talks to the caller's desktop; it has no
  # StatusNotifierItem host, so Qt embeds its items in the XEmbed tray.
  dbus-daemon --session --nofork --nopidfile --print-address=4 4>"$tray_work/bus" 2>"$tray_work/dbus.log" &
  tray_pids+=($!)
  tray_await 50 test -s "$tray_work/bus" || { echo "dbus-daemon did not start; see $tray_work/dbus.log" >&2; return 1; }
  DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$tray_work/bus")"
  export DBUS_SESSION_BUS_ADDRESS

  [[ "${TRAY_HOST:-trayer}" == none ]] || tray_start_trayer
}

tray_start_trayer() {
  trayer --edge top --align left --widthtype request --height "${TRAY_HEIGHT:-26}" --transparent false \
    --SetDockType false --expand true >"$tray_work/trayer.log" 2>&1 &
  tray_pids+=($!)
  tray_await 50 tray_has_panel || { echo "trayer did not map its panel; see $tray_work/trayer.log" >&2; return 1; }
  tray_panel="$(tray_panel_window)"
}

tray_panel_window() {
  xwininfo -root -tree | awk '/"panel"/ && /trayer/ { print $1; exit }'
}
tray_has_panel() { [[ -n "$(tray_panel_window)" ]]; }

# Embedded items are the ostrel windows that the panel has taken as children.
tray_items() {
  xwininfo -tree -id "$tray_panel" | grep '("ostrel" ' || true
}
tray_has_item() { [[ -n "$(tray_items)" ]]; }

# tray_run_ostrel <binary> [VAR=value ...] [--] [ostrel arguments]: starts it in
# a throw-away home, logs to $tray_work/ostrel.log (or $tray_work/$TRAY_LOG),
# and records its pid in tray_ostrel_pid.
tray_run_ostrel() {
  local binary="$1"
  shift
  local home="$tray_work/home"
  mkdir -p "$home/runtime"
  chmod 700 "$home/runtime"
  local run_env=(HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
    XDG_CACHE_HOME="$home/.cache" XDG_STATE_HOME="$home/.local/state" XDG_RUNTIME_DIR="$home/runtime"
    QT_QPA_PLATFORM=xcb)
  while (($#)) && [[ "$1" == *=* ]]; do
    run_env+=("$1")
    shift
  done
  [[ "${1:-}" == -- ]] && shift
  env "${run_env[@]}" "$binary" "$@" >"$tray_work/${TRAY_LOG:-ostrel.log}" 2>&1 &
  tray_ostrel_pid=$!
  tray_pids+=("$tray_ostrel_pid")
}

# The absolute centre of an xwininfo line's window: "x y".
tray_centre() {
  sed -E 's/.* ([0-9]+)x([0-9]+)[+-][0-9]+[+-][0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\3 \4 \1 \2/' |
    awk '{ print int($1 + $3 / 2), int($2 + $4 / 2) }'
}
