#!/usr/bin/env bash
# CPU time an Ostrel process spends at rest, in the states users leave it in:
# on a virtual X screen beside a tray host, after start-up with the panel never
# opened, after the panel was opened, shown in both tabs and closed with
# Escape, and after the settings window was opened and closed. The user and
# system time it used over the window is read from /proc. Each host and state
# runs in a session of its own.
#
# It reads live, through the test suite's stand-ins for claude and codex,
# since only a live run hands a second launch (which opens the panel or the
# settings) to the running one.
#
#   bench/idle-cpu.sh <ostrel binary> [seconds (120)] [-- ostrel arguments]
#
# IDLE_HOSTS (default "trayer xfce4-panel") and IDLE_STATES (default
# "never-opened panel-closed settings-closed") choose the rows.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
binary="$1"
seconds="${2:-120}"
shift 2 || shift $#
[[ "${1:-}" == -- ]] && shift
arguments=("$@")
command -v xdotool >/dev/null || { echo "missing xdotool: run scripts/setup-debian.sh" >&2; exit 1; }

# The panel and the settings window are the visible top-level windows of these titles.
visible_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
shown() { [[ -n "$(visible_window "$1")" ]]; }
hidden() { [[ -z "$(visible_window "$1")" ]]; }

# Opens the panel as a second launch does, clicks the Activity tab and the
# first tab again (their places in the 384-point panel's header), and closes
# it with Escape.
open_and_close_panel() {
  tray_ostrel_again "$binary" || return 1
  tray_await 50 shown '^Ostrel$' || { echo "the panel did not open" >&2; return 1; }
  sleep 1
  local tab
  for tab in 276 207; do
    xdotool mousemove --window "$(visible_window '^Ostrel$')" "$tab" 26 click 1
    sleep 1
  done
  xdotool key Escape
  tray_await 30 hidden '^Ostrel$' || { echo "Escape left the panel open" >&2; return 1; }
}

open_and_close_settings() {
  tray_ostrel_again "$binary" --settings || return 1
  tray_await 50 shown '^Ostrel Settings$' || { echo "the settings window did not open" >&2; return 1; }
  sleep 1
  xdotool windowfocus --sync "$(visible_window '^Ostrel Settings$')" key Escape
  tray_await 30 hidden '^Ostrel Settings$' || { echo "Escape left the settings window open" >&2; return 1; }
}

tray_has_sni_item() { [[ -n "$(tray_sni_items)" ]]; }

# measure <host> <state>: one line of CPU at rest.
measure() (
  TRAY_HOST="$1"
  TRAY_SCREEN=1024x700
  # shellcheck source=scripts/lib/tray-session.sh
  source "$repo/scripts/lib/tray-session.sh"
  tray_session_start
  local tools="$tray_work/tools" tool
  mkdir -p "$tools"
  for tool in claude codex secret-tool; do ln -s "$repo/tests/fixtures/bin/$tool" "$tools/$tool"; done
  tray_run_ostrel "$binary" PATH="$tools:/usr/bin:/bin" SHELL=/bin/sh -- "${arguments[@]}"
  if [[ $TRAY_HOST == trayer ]]; then
    tray_await 150 tray_has_item || { echo "no tray item was embedded" >&2; exit 1; }
  else
    tray_await 150 tray_has_sni_item || { echo "no item was registered" >&2; exit 1; }
  fi
  sleep 5  # start-up and first readings settle
  case "$2" in
    never-opened) ;;
    panel-closed) open_and_close_panel ;;
    settings-closed) open_and_close_settings ;;
    *) echo "unknown state $2" >&2; exit 2 ;;
  esac
  sleep 2
  # The command execs the application, so the process keeps its id.
  ticks() { awk '{ print $14 + $15 }' "/proc/$tray_ostrel_pid/stat"; }
  local hz before after
  hz="$(getconf CLK_TCK)"
  before="$(ticks)"
  sleep "$seconds"
  after="$(ticks)"
  awk -v host="$1" -v state="$2" -v t="$((after - before))" -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "%-12s %-16s cpu at rest: %.2f s over %d s (%.3f %%)\n", host, state, t / hz, s, 100 * t / hz / s }'
)

for host in ${IDLE_HOSTS:-trayer xfce4-panel}; do
  for state in ${IDLE_STATES:-never-opened panel-closed settings-closed}; do
    measure "$host" "$state"
  done
done
