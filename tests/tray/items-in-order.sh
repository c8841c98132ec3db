#!/usr/bin/env bash
# Two providers, two tray items on a real tray: Ostrel runs with demonstration
# data on a virtual X screen beside trayer (an XEmbed tray). Each item must be
# its own titled window, Claude's left of OpenAI's, and resting the pointer on
# each must bring up a tooltip of its own.
#
#   tests/tray/items-in-order.sh <ostrel binary> <repository>
set -euo pipefail
ostrel="$1"
repo="$2"
command -v xdotool >/dev/null || { echo "missing xdotool: run scripts/setup-debian.sh" >&2; exit 1; }
TRAY_SCREEN=640x400
# shellcheck source=scripts/lib/tray-session.sh
source "$repo/scripts/lib/tray-session.sh"
tray_session_start
tray_run_ostrel "$ostrel" -- --demo
two_items() { (($(tray_items | wc -l) == 2)); }
tray_await 150 two_items || { echo "FAIL: two items were not embedded" >&2; tray_items >&2; cat "$tray_work/ostrel.log" >&2; exit 1; }
# The titles follow the first tooltip; give the items a moment to settle.
titled() { tray_items | grep -q 'OpenAI'; }
tray_await 50 titled || true
tray_items >"$tray_work/items.txt"
cat "$tray_work/items.txt"

# Left to right by their absolute x.
order="$(while read -r line; do
  read -r x _ < <(tray_centre <<<"$line")
  # The window's name ends in its provider's name ("Ostrel — Claude").
  name="$(sed -nE 's/^ *0x[0-9a-f]+ "Ostrel[^"]* ([A-Za-z]+)".*/\1/p' <<<"$line")"
  echo "$x ${name:-untitled}"
done <"$tray_work/items.txt" | sort -n | cut -d' ' -f2-)"
expected=$'Claude\nOpenAI'
[[ "$order" == "$expected" ]] || { printf 'FAIL: items left to right are:\n%s\n' "$order" >&2; exit 1; }

# The tooltip is the one mapped top-level window of Ostrel's besides the items.
tooltip_window() {
  xwininfo -root -children | awk '/\("ostrel" / { print $1 }' | while read -r id; do
    xwininfo -id "$id" | grep -q 'Map State: IsViewable' && echo "$id"
  done | head -n1
}
has_tooltip() { [[ -n "$(tooltip_window)" ]]; }
no_tooltip() { [[ -z "$(tooltip_window)" ]]; }

picture_tooltip() {  # <xwininfo line of the item> <picture>
  local x y
  read -r x y < <(tray_centre <<<"$1")
  xdotool mousemove 5 300
  tray_await 30 no_tooltip || true
  xdotool mousemove "$x" "$y"
  sleep 0.2
  xdotool mousemove $((x + 1)) "$y"
  tray_await 50 has_tooltip || { echo "FAIL: no tooltip over the item at $x,$y" >&2; return 1; }
  sleep 0.3
  xwd -silent -id "$(tooltip_window)" | xwdtopnm 2>/dev/null | pnmtopng >"$2"
}
picture_tooltip "$(sed -n 1p "$tray_work/items.txt")" "$tray_work/tooltip-1.png"
picture_tooltip "$(sed -n 2p "$tray_work/items.txt")" "$tray_work/tooltip-2.png"
if cmp -s "$tray_work/tooltip-1.png" "$tray_work/tooltip-2.png"; then
  echo "FAIL: both items show the same tooltip" >&2
  exit 1
fi
xwd -silent -root | xwdtopnm 2>/dev/null | pnmtopng >"$tray_work/screen.png"
echo "pictures: $tray_work/tooltip-1.png $tray_work/tooltip-2.png $tray_work/screen.png"
echo PASS
