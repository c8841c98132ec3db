# Sourced by the scripts that run Ostrel for real on a virtual X screen with a
# tray host: a private X server, session bus and trayer panel, a throw-away
# home, and helpers to wait for things. Everything started is stopped on exit,
# by its own process id, and nothing else.
#
# Callers set TRAY_SCREEN (default 480x120), TRAY_HEIGHT (default 26),
# TRAY_HOST (trayer, the default, an XEmbed tray; xfce4-panel, whose systray
# hosts StatusNotifierItems; or none, to start without a tray) and call
#   tray_session_start            # X, bus and the tray host; exports DISPLAY and the bus
#   tray_start_trayer             # trayer, when the session started without a tray
#   tray_start_bus                # only a private session bus (for runs without X)
#   tray_run_ostrel <binary> [env assignments --] [arguments]
#   tray_ostrel_again <binary> [arguments]   # a second launch, handed to the first
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
  # Displays :150 to :159 are kept for these sessions; each takes the first
  # free one (an X server that finds its display taken exits at once).
  local number pid display=""
  for number in {150..159}; do
    [[ -e "/tmp/.X$number-lock" ]] && continue
    Xvfb ":$number" -screen 0 "${TRAY_SCREEN:-480x120}x24" -nolisten tcp -auth /dev/null 2>"$tray_work/xvfb.log" &
    pid=$!
    tray_await 50 test -S "/tmp/.X11-unix/X$number" -o ! -e "/proc/$pid"
    sleep 0.2
    if kill -0 "$pid" 2>/dev/null && [[ -S "/tmp/.X11-unix/X$number" ]]; then
      tray_pids+=("$pid")
      display=":$number"
      break
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  [[ -n "$display" ]] || { echo "Xvfb did not start on :150 to :159; see $tray_work/xvfb.log" >&2; return 1; }
  export DISPLAY="$display"

  # A session bus of its own, so nothing talks to the caller's desktop; it has no
  # StatusNotifierItem host, so Qt embeds its items in the XEmbed tray.
  tray_start_bus || return 1

  local host_home="$tray_work/host"
  case "${TRAY_HOST:-trayer}" in
    none) return 0 ;;
    xfce4-panel)
      tray_start_xfce4_panel "$host_home" || return 1
      return 0
      ;;
  esac
  tray_start_trayer
}

# A private session bus; exports DBUS_SESSION_BUS_ADDRESS. Services the bus
# starts (xfce4-panel's settings daemon) read the throw-away home.
tray_start_bus() {
  local host_home="$tray_work/host"
  mkdir -p "$host_home/.config"
  HOME="$host_home" XDG_CONFIG_HOME="$host_home/.config" \
    dbus-daemon --session --nofork --nopidfile --print-address=4 4>"$tray_work/bus" 2>"$tray_work/dbus.log" &
  tray_pids+=($!)
  tray_await 50 test -s "$tray_work/bus" || { echo "dbus-daemon did not start; see $tray_work/dbus.log" >&2; return 1; }
  DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$tray_work/bus")"
  export DBUS_SESSION_BUS_ADDRESS
}

tray_start_trayer() {
  trayer --edge top --align left --widthtype request --height "${TRAY_HEIGHT:-26}" --transparent false \
    --SetDockType false --expand true >"$tray_work/trayer.log" 2>&1 &
  tray_pids+=($!)
  tray_await 50 tray_has_panel || { echo "trayer did not map its panel; see $tray_work/trayer.log" >&2; return 1; }
  tray_panel="$(tray_panel_window)"
}

# One panel along the top holding only the systray, which hosts StatusNotifierItems
# (it owns org.kde.StatusNotifierWatcher) and needs no window manager.
tray_start_xfce4_panel() {
  local home="$1"
  command -v xfce4-panel >/dev/null || { echo "missing xfce4-panel: run scripts/setup-debian.sh" >&2; return 1; }
  local channel="$home/.config/xfce4/xfconf/xfce-perchannel-xml"
  mkdir -p "$channel"
  cat >"$channel/xfce4-panel.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="${TRAY_HEIGHT:-26}"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray">
      <property name="square-icons" type="bool" value="true"/>
    </property>
  </property>
</channel>
XML
  HOME="$home" XDG_CONFIG_HOME="$home/.config" xfce4-panel --disable-wm-check >"$tray_work/panel.log" 2>&1 &
  tray_pids+=($!)
  tray_await 100 tray_has_watcher || { echo "xfce4-panel hosts no items; see $tray_work/panel.log" >&2; return 1; }
  tray_panel="$(xwininfo -root -tree | awk '/"xfce4-panel"/ && / [0-9]+x[0-9]+\+0\+0 / { print $1; exit }')"
}

tray_has_watcher() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.ListNames | grep -q '"org.kde.StatusNotifierWatcher"'
}

# The bus names and paths ("name/path") of the items the watcher knows, in the order they came.
tray_sni_items() {
  dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:RegisteredStatusNotifierItems | sed -n 's/^ *string "\(.*\)"$/\1/p'
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
  tray_ostrel_env=("${run_env[@]}")
}

# tray_ostrel_again <binary> [arguments]: a second launch in the same home,
# which hands its switches to the running Ostrel and exits.
tray_ostrel_again() {
  local binary="$1"
  shift
  env "${tray_ostrel_env[@]}" "$binary" "$@" >>"$tray_work/second-launch.log" 2>&1
}

# The absolute centre of an xwininfo line's window: "x y".
tray_centre() {
  sed -E 's/.* ([0-9]+)x([0-9]+)[+-][0-9]+[+-][0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\3 \4 \1 \2/' |
    awk '{ print int($1 + $3 / 2), int($2 + $4 / 2) }'
}
