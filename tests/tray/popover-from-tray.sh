#!/usr/bin/env bash
# A real click on a real tray item: Ostrel runs with demonstration data on a
# virtual X screen beside trayer (an XEmbed tray); a left click on its first
# item must map the panel next to the item, Escape must close it, and a click
# on the item while the panel is open must close it too.
#
#   tests/tray/popover-from-tray.sh <ostrel binary> <repository>
set -euo pipefail
ostrel="$1"
repo="$2"
command -v xdotool >/dev/null || { echo "missing xdotool: run scripts/setup-debian.sh" >&2; exit 1; }
TRAY_SCREEN=1024x700
# shellcheck source=scripts/lib/tray-session.sh
source "$repo/scripts/lib/tray-session.sh"
tray_session_start
tray_run_ostrel "$ostrel" -- --demo
tray_await 150 tray_has_item || { echo "no tray item was embedded" >&2; cat "$tray_work/ostrel.log" >&2; exit 1; }
sleep 1

# The panel is the visible top-level window titled "Ostrel".
panel_window() { xdotool search --onlyvisible --name '^Ostrel$' 2>/dev/null | head -n1; }
panel_shown() { [[ -n "$(panel_window)" ]]; }
panel_hidden() { [[ -z "$(panel_window)" ]]; }

read -r x y < <(tray_items | head -n1 | tray_centre)
click_item() {
  xdotool mousemove "$x" "$y" click 1
}

click_item
tray_await 50 panel_shown || { echo "FAIL: the click mapped no panel" >&2; exit 1; }
# Placed by the item: the panel's top edge is just below the tray, its width 384.
eval "$(xdotool getwindowgeometry --shell "$(panel_window)")"
echo "panel at ${X},${Y} size ${WIDTH}x${HEIGHT}; item centre ${x},${y}"
((WIDTH == 384)) || { echo "FAIL: the panel is ${WIDTH} wide" >&2; exit 1; }
((Y > y && Y < y + 40)) || { echo "FAIL: the panel is not below the item" >&2; exit 1; }
xwd -silent -root | xwdtopnm 2>/dev/null | pnmtopng >"$tray_work/panel-open.png"

xdotool key Escape
tray_await 30 panel_hidden || { echo "FAIL: Escape left the panel open" >&2; exit 1; }

sleep 0.5
click_item
tray_await 50 panel_shown || { echo "FAIL: a second click mapped no panel" >&2; exit 1; }
sleep 0.5
click_item
tray_await 30 panel_hidden || { echo "FAIL: a click on the item left the panel open" >&2; exit 1; }
sleep 0.6
panel_hidden || { echo "FAIL: the closing click opened the panel again" >&2; exit 1; }
echo "picture: $tray_work/panel-open.png"
echo PASS
