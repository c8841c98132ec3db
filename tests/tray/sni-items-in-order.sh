#!/usr/bin/env bash
# Two providers, two StatusNotifierItems on a real host: Ostrel runs with
# demonstration data and the Colourful tray icons on a virtual X screen beside
# xfce4-panel, whose systray hosts StatusNotifierItems. Both items must
# register, the panel must show Claude's mark (its orange spark) left of
# OpenAI's (its green knot), and a click on Claude's item opens the panel below
# it. (Each item's id, title and tooltip on the bus: the StatusNotifierItem suite.)
#
#   tests/tray/sni-items-in-order.sh <ostrel binary> <repository>
set -euo pipefail
ostrel="$1"
repo="$2"
TRAY_SCREEN=640x720
TRAY_HOST=xfce4-panel
# shellcheck source=scripts/lib/tray-session.sh
source "$repo/scripts/lib/tray-session.sh"
command -v xdotool >/dev/null || { echo "missing xdotool: run scripts/setup-debian.sh" >&2; exit 1; }
tray_session_start
settings="$tray_work/home/.config/Ostrel"
mkdir -p "$settings"
chmod 700 "$tray_work/home/.config" "$settings"
printf '[General]\ntrayIcon=colourful\n' >"$settings/Ostrel.conf"
tray_run_ostrel "$ostrel" QT_QPA_PLATFORM=xcb -- --demo
two_items() { (($(tray_sni_items | wc -l) == 2)); }
tray_await 150 two_items || { echo "FAIL: two items did not register" >&2; tray_sni_items >&2; cat "$tray_work/ostrel.log" >&2; exit 1; }
sleep 2

# One picture for both the eye and the check. xwdtopnm writes 16-bit samples
# for some visuals, so the picture is brought to 8 bits first.
xwd -silent -root | xwdtopnm 2>/dev/null | pnmdepth 255 >"$tray_work/panel.pnm"
pnmtopng <"$tray_work/panel.pnm" >"$tray_work/panel.png"
# The mean column of each accent's pixels along the panel.
columns="$(python3 -c '
import re, sys
data = sys.stdin.buffer.read()
# The header is "P6 width height maxval" and one whitespace byte; the pixels
# follow, and may themselves start with bytes that look like whitespace.
header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
width, height = int(header.group(1)), int(header.group(2))
pixels = data[header.end():]
# The host scales the marks, so hues are matched loosely: the spark is orange
# (not the amber dot, which has almost no blue), the knot teal (not the green steps).
kinds = {
    "claude": lambda r, g, b: r > 150 and 60 < r - g < 140 and 40 < b < g,
    "openai": lambda r, g, b: g - r > 100 and b - r > 80,
}
for name, test in kinds.items():
    xs = [x for y in range(min(height, 40)) for x in range(width)
          if test(*pixels[3 * (y * width + x):3 * (y * width + x) + 3])]
    print(name, sum(xs) // len(xs) if xs else -1)
' <"$tray_work/panel.pnm")"
echo "$columns"
claude="$(awk '/claude/ { print $2 }' <<<"$columns")"
openai="$(awk '/openai/ { print $2 }' <<<"$columns")"
((claude >= 0 && openai >= 0)) || { echo "FAIL: a mark is missing from the panel" >&2; exit 1; }
((claude < openai)) || { echo "FAIL: OpenAI's item is left of Claude's" >&2; exit 1; }
echo "picture: $tray_work/panel.png"

# A click on Claude's item: the host asks the item to activate at the click,
# and Ostrel's panel (the visible top-level window titled "Ostrel") opens below it.
panel_window() { xdotool search --onlyvisible --name '^Ostrel$' 2>/dev/null | head -n1; }
panel_shown() { [[ -n "$(panel_window)" ]]; }
xdotool mousemove "$claude" 12 click 1
tray_await 50 panel_shown || { echo "FAIL: a click on Claude's item mapped no panel" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$(panel_window)")"
echo "panel at ${X},${Y} after a click at ${claude},12"
((Y > 12 && Y < 60)) || { echo "FAIL: the panel is not below the item" >&2; exit 1; }
xwd -silent -root | xwdtopnm 2>/dev/null | pnmdepth 255 | pnmtopng >"$tray_work/panel-open.png"
echo "picture: $tray_work/panel-open.png"
echo PASS
