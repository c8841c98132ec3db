#!/usr/bin/env bash
# Ostrel on a real XEmbed tray (trayer on a virtual X screen), with demonstration
# data: two items, Claude's left of OpenAI's, and a click on the first maps the
# panel just below it.
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
titled() { (($(tray_items | grep -c 'Ostrel — ') == 2)); }
tray_await 200 titled || { echo "FAIL: two titled items were not embedded" >&2; tray_items >&2; exit 1; }

# Left to right by their absolute x; a window's name ends in its provider's name.
order="$(tray_items | while read -r line; do
  read -r x _ < <(tray_centre <<<"$line")
  echo "$x $(sed -nE 's/^ *0x[0-9a-f]+ "Ostrel[^"]* ([A-Za-z]+)".*/\1/p' <<<"$line")"
done | sort -n | cut -d' ' -f2 | paste -sd' ')"
[[ "$order" == "Claude OpenAI" ]] || { echo "FAIL: items left to right: $order" >&2; exit 1; }

read -r x y < <(tray_items | head -n1 | tray_centre)
panel_window() { xdotool search --onlyvisible --name '^Ostrel$' 2>/dev/null | head -n1; }
panel_shown() { [[ -n "$(panel_window)" ]]; }
xdotool mousemove "$x" "$y" click 1
tray_await 50 panel_shown || { echo "FAIL: the click mapped no panel" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$(panel_window)")"
((Y > y && Y < y + 40)) || { echo "FAIL: the panel at ${X},${Y} is not below the item at ${x},${y}" >&2; exit 1; }
echo PASS
