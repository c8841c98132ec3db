#!/usr/bin/env bash
# Runs Ostrel for real on a virtual X screen with a tray host (trayer), waits
# until its tray items are embedded, photographs the tray and prints the path
# of the picture. It stops only the processes it started, by their ids.
#
#   scripts/tray-screenshot.sh [--demo | --fake | --real] [--hover] [-- extra ostrel arguments]
#
# --demo (default): the demonstration data (`ostrel --demo`).
# --fake: the test doubles of `claude` and `codex` on PATH, so both items show
#         live readings; FAKE_CLAUDE_USAGE, FAKE_CLAUDE_STATUS and
#         FAKE_CODEX_SCENARIO pick other answers.
# --real: the installed official tools from ~/.cache/ostrel-clis (signed out,
#         so the items show the sign-in state).
# --hover: also rests the pointer on the first item and photographs the whole
#         screen with the tooltip (tray-hover.png next to the tray picture).
# Every run has a throw-away home of its own.
# OSTREL_BIN picks the binary (default build/debug/Ostrel/ostrel); TRAY_HEIGHT
# the tray's height in pixels (default 26, trayer's own default);
# TRAY_SCALE the enlargement of the second, magnified picture (default 8).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

source=demo
hover=false
extra=()
while (($#)); do
  case "$1" in
    --demo | --fake | --real) source="${1#--}" ;;
    --hover) hover=true ;;
    --) shift; extra=("$@"); break ;;
    *) echo "usage: $0 [--demo | --fake | --real] [--hover] [-- ostrel arguments]" >&2; exit 2 ;;
  esac
  shift
done

ostrel="${OSTREL_BIN:-$repo/build/debug/Ostrel/ostrel}"
height="${TRAY_HEIGHT:-26}"
scale="${TRAY_SCALE:-8}"
for tool in Xvfb trayer xwd xwininfo xwdtopnm pnmtopng pamenlarge dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup-debian.sh" >&2; exit 1; }
done
[[ -x "$ostrel" ]] || { echo "no ostrel binary at $ostrel: build it first" >&2; exit 1; }

work="$(mktemp -d /tmp/ostrel-tray.XXXXXX)"
pids=()
cleanup() {
  local pid
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid="${pids[i]}"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT

# waits up to $1 tenths of a second for the command after it to succeed
await() {
  local tries="$1"
  shift
  until "$@" >/dev/null 2>&1; do
    ((tries-- > 0)) || return 1
    sleep 0.1
  done
}

# The X server picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 480x120x24 -nolisten tcp -auth /dev/null 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
await 50 test -s "$work/display" || { echo "Xvfb did not start; see $work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# A session bus of its own, so nothing talks to the caller's desktop; it has no
# StatusNotifierItem host, so Qt embeds its items in the XEmbed tray.
dbus-daemon --session --nofork --nopidfile --print-address=4 4>"$work/bus" 2>"$work/dbus.log" &
pids+=($!)
await 50 test -s "$work/bus" || { echo "dbus-daemon did not start; see $work/dbus.log" >&2; exit 1; }
DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$work/bus")"
export DBUS_SESSION_BUS_ADDRESS

trayer --edge top --align left --widthtype request --height "$height" --transparent false \
  --SetDockType false --expand true >"$work/trayer.log" 2>&1 &
pids+=($!)
trayer_window() {
  xwininfo -root -tree | awk '/"panel"/ && /trayer/ { print $1; exit }'
}
has_panel() { [[ -n "$(trayer_window)" ]]; }
await 50 has_panel || { echo "trayer did not map its panel; see $work/trayer.log" >&2; exit 1; }
panel="$(trayer_window)"

home="$work/home"
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"
run_env=(HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
  XDG_CACHE_HOME="$home/.cache" XDG_STATE_HOME="$home/.local/state" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=xcb)
arguments=("${extra[@]}")
case "$source" in
  fake) run_env+=(PATH="$repo/tests/fixtures/bin:$PATH") ;;
  demo) arguments=(--demo "${extra[@]}") ;;
  real)
    clis="$HOME/.cache/ostrel-clis/node_modules/.bin"
    [[ -d "$clis" ]] || { echo "no tools in $clis: run scripts/install-provider-clis.sh" >&2; exit 1; }
    run_env+=(PATH="$clis:$PATH") ;;
esac
env "${run_env[@]}" "$ostrel" "${arguments[@]}" >"$work/ostrel.log" 2>&1 &
pids+=($!)

# Embedded items are the ostrel windows that the panel has taken as children.
embedded() {
  xwininfo -tree -id "$panel" | grep -c '("ostrel" ' || true
}
has_item() { (($(embedded) >= 1)); }
await 100 has_item || { echo "no tray item was embedded; see $work/ostrel.log" >&2; exit 1; }
# Readings arrive and the items settle; then every item should be in.
sleep "${TRAY_SETTLE:-3}"

xwininfo -tree -id "$panel" | grep '("ostrel" ' | sed 's/^ */slot: /' >"$work/slots.txt"
xwd -silent -id "$panel" >"$work/tray.xwd"
xwdtopnm "$work/tray.xwd" 2>/dev/null | pnmtopng >"$work/tray.png"
xwdtopnm "$work/tray.xwd" 2>/dev/null | pamenlarge "$scale" | pnmtopng >"$work/tray-x$scale.png"
if $hover; then
  command -v xdotool >/dev/null || { echo "missing xdotool: run scripts/setup-debian.sh" >&2; exit 1; }
  # The first item's absolute position and size, from its xwininfo line.
  read -r x y w h < <(head -n1 "$work/slots.txt" |
    sed -E 's/.* ([0-9]+)x([0-9]+)[+-][0-9]+[+-][0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\3 \4 \1 \2/')
  # A move into the item and a nudge inside it: the tooltip waits for the pointer to rest.
  xdotool mousemove $((x + w / 2)) $((y + h / 2))
  sleep 0.2
  xdotool mousemove $((x + w / 2 + 1)) $((y + h / 2))
  sleep 1.5
  xwd -silent -root | xwdtopnm 2>/dev/null | pnmtopng >"$work/tray-hover.png"
fi
cat "$work/slots.txt" >&2
echo "$work/tray.png"
