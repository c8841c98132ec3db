#!/usr/bin/env bash
# No tray at the start: Ostrel says so once through the session's notification
# service and keeps running; trayer (XEmbed, no watcher on the bus) started
# afterwards gets both items without a restart, and no second notice follows.
# (The notice's text: the AppDelegate bus suite.)
#
#   tests/tray/tray-comes-later.sh <ostrel binary> <repository>
set -euo pipefail
ostrel="$1"
repo="$2"
TRAY_HOST=none
# shellcheck source=scripts/lib/tray-session.sh
source "$repo/scripts/lib/tray-session.sh"
tray_session_start

log="$tray_work/desktop.log"
/usr/bin/python3 "$repo/tests/fixtures/desktop_services.py" --log "$log" --notifications 2>"$tray_work/services.log" &
tray_pids+=($!)
tray_await 50 grep -q '^ready$' "$log" || { echo "the notification service did not start" >&2; exit 1; }

notices() { grep -c '^notify ' "$log" || true; }
has_notice() { (($(notices) > 0)); }
item_count() { tray_items | wc -l; }
has_two_items() { (($(item_count) == 2)); }

tray_run_ostrel "$ostrel" -- --demo
tray_await 100 has_notice || { echo "FAIL: no notification without a tray" >&2; exit 1; }
kill -0 "$tray_ostrel_pid" || { echo "FAIL: Ostrel ended without a tray" >&2; exit 1; }

tray_start_trayer
tray_await 100 has_two_items || { echo "FAIL: the tray got $(item_count) items" >&2; exit 1; }
sleep 4
(($(notices) == 1)) || { echo "FAIL: $(notices) notices" >&2; exit 1; }
echo PASS
