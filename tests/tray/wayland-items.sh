#!/usr/bin/env bash
# Ostrel on a Wayland compositor (weston, headless): it starts on Qt's Wayland
# platform by itself, with no X display at all, and registers both items with
# the StatusNotifierWatcher on the session bus, since a Wayland desktop has no
# XEmbed tray.
#
#   tests/tray/wayland-items.sh <ostrel binary> <repository>
set -euo pipefail
ostrel="$1"
repo="$2"
for tool in weston dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup-debian.sh" >&2; exit 1; }
done
# shellcheck source=scripts/lib/tray-session.sh
source "$repo/scripts/lib/tray-session.sh"
work="$tray_work"
runtime="$work/runtime"
mkdir -p "$runtime" "$work/home"
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
unset DISPLAY QT_QPA_PLATFORM WAYLAND_DISPLAY
tray_start_bus

log="$work/desktop.log"
/usr/bin/python3 "$repo/tests/fixtures/desktop_services.py" --log "$log" 2>"$work/services.log" &
tray_pids+=($!)
tray_await 50 grep -q '^ready$' "$log" || { echo "the watcher did not start" >&2; exit 1; }

weston --backend=headless-backend.so --socket=wayland-ostrel --idle-time=0 >"$work/weston.log" 2>&1 &
tray_pids+=($!)
tray_await 100 test -S "$runtime/wayland-ostrel" || { echo "weston did not start; see $work/weston.log" >&2; exit 1; }

# QT_DEBUG_PLUGINS names the platform plugin that Qt loads.
env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
  XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-ostrel QT_DEBUG_PLUGINS=1 \
  "$ostrel" --demo >"$work/ostrel.log" 2>&1 &
ostrel_pid=$!
tray_pids+=("$ostrel_pid")

items() { grep -c '^item ' "$log" || true; }
has_two_items() { (($(items) == 2)); }
tray_await 150 has_two_items || { echo "FAIL: $(items) items registered" >&2; tail -n 30 "$work/ostrel.log" >&2; exit 1; }
kill -0 "$ostrel_pid" || { echo "FAIL: Ostrel ended" >&2; exit 1; }
grep -q 'libqwayland' "$work/ostrel.log" || { echo "FAIL: not on the Wayland platform" >&2; exit 1; }
echo PASS
