#!/usr/bin/env bash
# Two providers, two tray items on a real tray: Ostrel runs with demonstration
# data on a virtual X screen beside trayer (an XEmbed tray). Each item must be
# its own titled window, Claude's left of OpenAI's. (Each item's own tooltip is
# checked by the StatusItemController suite.)
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

xwd -silent -root | xwdtopnm 2>/dev/null | pnmtopng >"$tray_work/screen.png"
echo "picture: $tray_work/screen.png"
echo PASS
