#!/usr/bin/env bash
# One Ostrel per session, run for real on a virtual X screen beside trayer: a
# later launch hands its switches to the running one and ends with status 0,
# which keeps its two tray items; "--preview" handed over opens the preview
# window in the running one; of two launches at once one stays; without a
# session bus the lock file in the runtime folder keeps a second run out.
#
#   tests/tray/one-instance.sh <ostrel binary> <repository>
set -euo pipefail
ostrel="$1"
repo="$2"
command -v xdotool >/dev/null || { echo "missing xdotool: run scripts/setup-debian.sh" >&2; exit 1; }
TRAY_SCREEN=1024x700
# shellcheck source=scripts/lib/tray-session.sh
source "$repo/scripts/lib/tray-session.sh"
tray_session_start

# The provider tools are the suite's stand-ins, so live runs read nothing real.
tools="$tray_work/tools"
mkdir -p "$tools"
for tool in claude codex secret-tool; do ln -s "$repo/tests/fixtures/bin/$tool" "$tools/$tool"; done
live=(PATH="$tools:/usr/bin:/bin" SHELL=/bin/sh)

fail() {
  echo "FAIL: $*" >&2
  tail -n 20 "$tray_work"/*.log >&2 || true
  exit 1
}
running() { kill -0 "$1" 2>/dev/null; }
ended() { ! running "$1"; }
item_count() { tray_items | wc -l; }
has_items() { (($(item_count) == $1)); }

# start <log name> [VAR=value ...] [--] [switches]: a launch in the background; its pid in $started
start() {
  local log="$1"
  shift
  TRAY_LOG="$log.log" tray_run_ostrel "$ostrel" "${live[@]}" "$@"
  started="$tray_ostrel_pid"
}
# later <log name> [VAR=value ...] [--] [switches]: a launch that must end by itself with status 0
later() {
  start "$@"
  local pid="$started" status=0
  tray_await 150 ended "$pid" || fail "the launch $1 did not end"
  wait "$pid" || status=$?
  ((status == 0)) || fail "the launch $1 ended with status $status"
}

start first --
first="$started"
tray_await 150 has_items 2 || fail "the first run showed $(item_count) items"

later second --
running "$first" || fail "the first run ended"
sleep 1
has_items 2 || fail "a second launch left $(item_count) items"

later preview -- --preview
preview_shown() { [[ -n "$(xdotool search --onlyvisible --name '^Ostrel Preview$' 2>/dev/null)" ]]; }
tray_await 50 preview_shown || fail "the handed-over --preview opened no preview window"

later settings -- --settings
running "$first" || fail "the first run ended after --settings"
has_items 2 || fail "--settings left $(item_count) items"
echo "one run, two items, three launches handed over"

# Two launches at once: exactly one becomes the run, the other hands over.
kill "$first"
wait "$first" || true
tray_await 50 has_items 0 || fail "the items outlived their run"
start racer-a --
a="$started"
start racer-b --
b="$started"
both_settled() { ended "$a" || ended "$b"; }
tray_await 150 both_settled || fail "both racing launches kept running"
sleep 2
if running "$a"; then stayed="$a" gone="$b"; else stayed="$b" gone="$a"; fi
running "$stayed" || fail "neither racing launch kept running"
status=0
wait "$gone" || status=$?
((status == 0)) || fail "the racing launch that yielded ended with status $status"
tray_await 100 has_items 2 || fail "the race left $(item_count) items"
echo "of two launches at once one stayed"
kill "$stayed"
wait "$stayed" || true

# No session bus: the runtime folder's lock file is the guard.
no_bus=(DBUS_SESSION_BUS_ADDRESS="unix:path=$tray_work/no-bus")
start lone "${no_bus[@]}" --
lone="$started"
sleep 2
running "$lone" || fail "the run without a bus ended"
later lone-second "${no_bus[@]}" --
grep -q "already running" "$tray_work/lone-second.log" || fail "the second run without a bus said nothing"
running "$lone" || fail "the run without a bus ended"
echo PASS
