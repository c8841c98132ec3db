#!/usr/bin/env bash
# CPU time an Ostrel process spends at rest: it runs on a virtual X screen
# beside a tray host (trayer) with its panel closed, and the user and system
# time it used over the window is read from /proc.
#
#   bench/idle-cpu.sh <ostrel binary> [seconds (120)] [-- ostrel arguments (--demo)]
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
binary="$1"
seconds="${2:-120}"
shift 2 || shift $#
[[ "${1:-}" == -- ]] && shift
arguments=("$@")
((${#arguments[@]})) || arguments=(--demo)

# shellcheck source=scripts/lib/tray-session.sh
source "$repo/scripts/lib/tray-session.sh"
tray_session_start
tray_run_ostrel "$binary" -- "${arguments[@]}"
tray_await 150 tray_has_item || { echo "no tray item was embedded" >&2; exit 1; }
sleep 5  # start-up and first readings settle

ticks() { awk '{ print $14 + $15 }' "/proc/$tray_ostrel_pid/stat"; }
hz="$(getconf CLK_TCK)"
before="$(ticks)"
sleep "$seconds"
after="$(ticks)"
awk -v t="$((after - before))" -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "cpu at rest: %.2f s over %d s (%.3f %%)\n", t / hz, s, 100 * t / hz / s }'
