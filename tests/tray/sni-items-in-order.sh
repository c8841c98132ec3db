#!/usr/bin/env bash
# Two StatusNotifierItems on a real host: Ostrel with demonstration data and the
# Colourful tray icons on a virtual X screen beside xfce4-panel, whose systray
# hosts StatusNotifierItems. Both items register, and the panel shows Claude's
# mark (its orange spark) left of OpenAI's (its green knot).
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

# xwdtopnm writes 16-bit samples for some visuals, so the picture is brought to 8 bits.
xwd -silent -root | xwdtopnm 2>/dev/null | pnmdepth 255 >"$tray_work/panel.pnm"
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
echo PASS
