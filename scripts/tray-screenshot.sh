#!/usr/bin/env bash
# Runs Ostrel for real on a virtual X screen with a tray host (trayer), waits
# until its tray items are embedded, photographs the tray and prints the path
# of the picture. It stops only the processes it started, by their ids.
#
#   scripts/tray-screenshot.sh [--demo | --fake | --real] [--hover] [-- extra ostrel arguments]
#
# --demo (default): the demonstration data (`ostrel --demo`).
# --fake: the test doubles of `claude` and `codex` on PATH, so both items show
#         live readings; FAKE_CLAUDE_USAGE, FAKE_CLAUDE_STATUS and
#         FAKE_CODEX_SCENARIO pick other answers.
# --real: the installed official tools from ~/.cache/ostrel-clis (signed out,
#         so the items show the sign-in state).
# --hover: also rests the pointer on the first item and photographs the whole
#         screen with the tooltip (tray-hover.png next to the tray picture).
# Every run has a throw-away home of its own.
# OSTREL_BIN picks the binary (default build/debug/Ostrel/ostrel); TRAY_HEIGHT
# the tray's height in pixels (default 26, trayer's own default);
# TRAY_SCALE the enlargement of the second, magnified picture (default 8).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

source=demo
hover=false
extra=()
while (($#)); do
  case "$1" in
    --demo | --fake | --real) source="${1#--}" ;;
    --hover) hover=true ;;
    --) shift; extra=("$@"); break ;;
    *) echo "usage: $0 [--demo | --fake | --real] [--hover] [-- ostrel arguments]" >&2; exit 2 ;;
  esac
  shift
done

ostrel="${OSTREL_BIN:-$repo/build/debug/Ostrel/ostrel}"
scale="${TRAY_SCALE:-8}"
command -v pamenlarge >/dev/null || { echo "missing pamenlarge: run scripts/setup-debian.sh" >&2; exit 1; }
[[ -x "$ostrel" ]] || { echo "no ostrel binary at $ostrel: build it first" >&2; exit 1; }

# shellcheck source=scripts/lib/tray-session.sh
source "$repo/scripts/lib/tray-session.sh"
work="$tray_work"
tray_session_start || exit 1

run_env=()
arguments=("${extra[@]}")
case "$source" in
  fake) run_env+=(PATH="$repo/tests/fixtures/bin:$PATH") ;;
  demo) arguments=(--demo "${extra[@]}") ;;
  real)
    clis="$HOME/.cache/ostrel-clis/node_modules/.bin"
    [[ -d "$clis" ]] || { echo "no tools in $clis: run scripts/install-provider-clis.sh" >&2; exit 1; }
    run_env+=(PATH="$clis:$PATH") ;;
esac
tray_run_ostrel "$ostrel" "${run_env[@]}" -- "${arguments[@]}"
tray_await 100 tray_has_item || { echo "no tray item was embedded; see $work/ostrel.log" >&2; exit 1; }
panel="$tray_panel"
# Readings arrive and the items settle; then every item should be in.
sleep "${TRAY_SETTLE:-3}"

tray_items | sed 's/^ */slot: /' >"$work/slots.txt"
xwd -silent -id "$panel" >"$work/tray.xwd"
xwdtopnm "$work/tray.xwd" 2>/dev/null | pnmtopng >"$work/tray.png"
xwdtopnm "$work/tray.xwd" 2>/dev/null | pamenlarge "$scale" | pnmtopng >"$work/tray-x$scale.png"
if $hover; then
  command -v xdotool >/dev/null || { echo "missing xdotool: run scripts/setup-debian.sh" >&2; exit 1; }
  # The first item's absolute position and size, from its xwininfo line.
  read -r x y < <(head -n1 "$work/slots.txt" | tray_centre)
  # A move into the item and a nudge inside it: the tooltip waits for the pointer to rest.
  xdotool mousemove "$x" "$y"
  sleep 0.2
  xdotool mousemove $((x + 1)) "$y"
  sleep 1.5
  xwd -silent -root | xwdtopnm 2>/dev/null | pnmtopng >"$work/tray-hover.png"
fi
cat "$work/slots.txt" >&2
echo "$work/tray.png"
