#!/usr/bin/env bash
# One Ostrel per session, run for real on a virtual X screen beside trayer: a
# later "--preview" hands over, ends with status 0 and opens the preview window
# in the running one, which keeps its two tray items; of two launches at once
# one stays. (The hand-over itself and the lock file without a bus are checked
# by the SingleInstance suite.)
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

fail() {
  echo "FAIL: $*" >&2
  tail -n 20 "$tray_work"/*.log >&2 || true
  exit 1
}
running() { kill -0 "$1" 2>/dev/null; }
ended() { ! running "$1"; }
item_count() { tray_items | wc -l; }
has_items() { (($(item_count) == $1)); }
# start <log name> [switches]: a launch in the background; its pid in $started
start() {
  TRAY_LOG="$1.log" tray_run_ostrel "$ostrel" PATH="$tools:/usr/bin:/bin" SHELL=/bin/sh -- "${@:2}"
  started="$tray_ostrel_pid"
}

start first
first="$started"
tray_await 150 has_items 2 || fail "the first run showed $(item_count) items"
start preview --preview
tray_await 150 ended "$started" || fail "the handed-over launch did not end"
wait "$started" || fail "the handed-over launch ended with status $?"
preview_shown() { [[ -n "$(xdotool search --onlyvisible --name '^Ostrel Preview$' 2>/dev/null)" ]]; }
tray_await 50 preview_shown || fail "the handed-over --preview opened no preview window"
running "$first" || fail "the first run ended"
has_items 2 || fail "a second launch left $(item_count) items"

# Two launches at once: exactly one becomes the run, the other hands over.
kill "$first"
wait "$first" || true
tray_await 50 has_items 0 || fail "the items outlived their run"
start racer-a
a="$started"
start racer-b
b="$started"
both_settled() { ended "$a" || ended "$b"; }
tray_await 150 both_settled || fail "both racing launches kept running"
sleep 2
if running "$a"; then stayed="$a" gone="$b"; else stayed="$b" gone="$a"; fi
running "$stayed" || fail "neither racing launch kept running"
wait "$gone" || fail "the racing launch that yielded ended with status $?"
tray_await 100 has_items 2 || fail "the race left $(item_count) items"
kill "$stayed"
wait "$stayed" || true
echo PASS
