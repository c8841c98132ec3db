#!/usr/bin/env bash
# Runs the installed Ostrel on real tray hosts, one throw-away session each,
# and checks what a user would: one table row per host, a picture of its bar
# and of the open panel. Exits non-zero when a check failed on any host.
#
#   scripts/desktop-matrix.sh [host…]
#
# Hosts: trayer (XEmbed), xfce4-panel, lxqt-panel, mate-panel, cinnamon (X11,
# under Xvfb) and sway (Wayland, headless, with waybar); the default is all
# but cinnamon, which runs when named.
# Ostrel is installed with `cmake --install` from OSTREL_BUILD (default
# build/debug) into a temporary prefix and reads the test doubles of `claude`
# and `codex`, so Refresh Now can be seen to read again. Pictures and logs go
# to MATRIX_OUT (default build/desktop-matrix/<host>/). sway refuses to run as
# root: as root, its session runs as a user made for the run and removed after.
#
# Checks, per host:
#   items    two marks in the bar
#   order    Claude's mark first (leftmost)
#   legible  each mark's glyph and lit cells stand out 3:1 from the bar behind them
#   title    each item is titled with its provider (window name or StatusNotifierItem Title)
#   panel    a click on Claude's item opens the panel near it, wholly on the screen,
#            off the bar, and (on Wayland) not tiled
#   menu     a right click opens the host's menu, and its first entry (Refresh Now)
#            reads the tools again
#   notify   the first start's welcome note reaches the session's notification server
#   single   a second start hands over and leaves one process
#
# MATRIX_KNOWN names a file of checks known to fail ("host check" a line, #
# comments): they print as "known" and do not fail the run, and one that
# passes again is reported so that its line can go.
# Functions here are called through traps and tray_await, which shellcheck cannot follow.
# shellcheck disable=SC2317
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
matrix_lib="$repo/scripts/lib"
build="${OSTREL_BUILD:-$repo/build/debug}"
out="${MATRIX_OUT:-$repo/build/desktop-matrix}"
checks=(items order legible title panel menu notify single)
hosts=("$@")
((${#hosts[@]})) || hosts=(trayer xfce4-panel lxqt-panel mate-panel sway)

# One host, in a subshell of its own: its session ends with it.
run_host() (
  host="$1"
  prefix="$2"
  dir="$out/$host"
  # shellcheck source=scripts/lib/tray-session.sh
  source "$matrix_lib/tray-session.sh"
  # shellcheck source=scripts/lib/desktop-hosts.sh
  source "$matrix_lib/desktop-hosts.sh"
  declare -A result
  for check in "${checks[@]}"; do result[$check]=failed; done
  row() {
    local line="| $host |"
    for check in "${checks[@]}"; do line+=" ${result[$check]} |"; done
    echo "$line" >"$dir/row"
  }
  trap 'row; tray_cleanup' EXIT
  host_start "$host" >"$dir/host.log" 2>&1 || { echo "$host did not start: $(tail -n2 "$dir/host.log")" >&2; exit 1; }

  notes="$tray_work/notifications"
  /usr/bin/python3 "$matrix_lib/desktop_probe.py" notifications --log "$notes" 2>"$tray_work/notes.err" &
  tray_pids+=($!)
  tray_await 50 grep -q '^ready$' "$notes" || { echo "no notification server: $(cat "$tray_work/notes.err")" >&2; exit 1; }

  calls="$tray_work/claude-calls"
  display=(QT_QPA_PLATFORM=xcb)
  # The compositor's socket lives in the session's runtime folder.
  [[ $host_kind == wayland ]] &&
    display=(QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" WAYLAND_DISPLAY="$WAYLAND_DISPLAY")
  tray_run_ostrel "$prefix/bin/ostrel" PATH="$prefix/tools:$PATH" FAKE_CLAUDE_LOG="$calls" \
    "${display[@]}" XDG_CURRENT_DESKTOP="${host_desktop:-}" --
  two_marks() { (($(grep -c '^item ' "$tray_work/marks" 2>/dev/null) == 2)); }
  marks_now() {
    [[ $host_kind == wayland || -n "${bar_fixed:-}" ]] || x11_find_bar
    host_shot "$tray_work/bar.ppm" && /usr/bin/python3 "$matrix_lib/desktop_probe.py" marks "$tray_work/bar.ppm" \
      "$bar_left" "$bar_top" "$bar_width" "$bar_height" >"$tray_work/marks"
    two_marks
  }
  # Readings arrive and the host lays the items out; then they stay put.
  marks_now_settled() { marks_now && sleep 1 && marks_now; }
  tray_await 30 marks_now_settled || true
  pnmtopng "$tray_work/bar.ppm" >"$dir/screen.png"
  pnmcut -left "$bar_left" -top "$bar_top" -width "$bar_width" -height "$bar_height" "$tray_work/bar.ppm" | pnmtopng >"$dir/bar.png"
  cp "$tray_work/marks" "$dir/marks.txt"
  two_marks && result[items]=passed

  mapfile -t items <"$tray_work/marks"
  field() { sed -nE "s/.* $1=([0-9,]+).*/\1/p" <<<"$2"; }
  if two_marks; then
    (($(field claude "${items[0]}") > 4 && $(field claude "${items[1]}") <= 4)) && result[order]=passed
    legible=passed
    for item in "${items[@]}"; do
      (($(field glyph "$item") >= 6 && $(field lit "$item") >= 4)) || legible=failed
    done
    result[legible]=$legible
  fi

  # Titles, as the host reads them.
  if [[ $host == trayer || $host == cinnamon ]]; then
    # Under cinnamon the items are found from the root, among Ostrel's other windows.
    titles="$(tray_items | sed -nE 's/^ *0x[0-9a-f]+ "(Ostrel — [^"]*)".*/\1/p' | sort | paste -sd,)"
  else
    titles="$(tray_sni_items | while read -r item; do
      dbus-send --session --print-reply --dest="${item%%/*}" "/${item#*/}" org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierItem string:Title | sed -nE 's/.*string "(.*)"$/\1/p'
    done | sort | paste -sd,)"
  fi
  echo "$titles" >"$dir/titles.txt"
  [[ "$titles" == "Ostrel — Claude,Ostrel — OpenAI" ]] && result[title]=passed

  if two_marks; then
    read -r _ _ _ x y _ <<<"${items[0]}"
    host_click "$x" "$y" 1
    tray_await 50 test -n "$(host_panel)" || true
    sleep 1
    read -r kind px py pw ph <<<"$(host_panel)"
    echo "${kind:-none} $px $py $pw $ph; item at $x,$y; bar $bar_top+$bar_height" >"$dir/panel.txt"
    host_shot "$tray_work/panel.ppm"
    pnmtopng "$tray_work/panel.ppm" >"$dir/panel.png"
    if [[ -n "${kind:-}" && $kind != tiled ]] &&
      ((px >= 0 && py >= 0 && px + pw <= screen_width && py + ph <= screen_height)) &&
      ((py >= bar_top + bar_height || py + ph <= bar_top)) &&
      ((x >= px - 40 && x <= px + pw + 40)) &&
      ((py - (bar_top + bar_height) <= 40 && bar_top - (py + ph) <= 40)); then
      result[panel]=passed
    fi
    host_dismiss
    sleep 1

    # The host's own menu: whatever appears off the bar after a right click.
    host_shot "$tray_work/before.ppm"
    host_click "$x" "$y" 3
    sleep 1.5
    host_shot "$tray_work/menu.ppm"
    read -r mx my _ _ <<<"$(/usr/bin/python3 "$matrix_lib/desktop_probe.py" changed "$tray_work/before.ppm" \
      "$tray_work/menu.ppm" "$bar_top" "$bar_height")"
    pnmtopng "$tray_work/menu.ppm" >"$dir/menu.png"
    if [[ -n "${mx:-}" ]]; then
      before=$(wc -l <"$calls" 2>/dev/null || echo 0)
      host_choose_first "$mx" "$my"
      refreshed() { (($(wc -l <"$calls") > before)); }
      tray_await 50 refreshed && result[menu]=passed
    fi
    host_dismiss
  fi

  grep -q '^notify ' "$notes" && result[notify]=passed
  tray_ostrel_again "$prefix/bin/ostrel" || true
  sleep 1
  count=0
  for exe in /proc/[0-9]*/exe; do
    [[ "$(readlink "$exe" 2>/dev/null)" == "$prefix/libexec/ostrel/ostrel-app" ]] && count=$((count + 1))
  done
  ((count == 1)) && kill -0 "$tray_ostrel_pid" 2>/dev/null && result[single]=passed
  cp "$tray_work"/*.log "$dir/" 2>/dev/null || true
)

# The unprivileged side of a run as root: one host, as the user made for it.
if [[ "${1:-}" == --one ]]; then
  run_host "$2" "$3"
  exit
fi

work="$(mktemp -d /tmp/ostrel-matrix.XXXXXX)"
user=""
cleanup() {
  [[ -n "$user" ]] && userdel -r "$user" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" || { cat "$work/install.log" >&2; exit 1; }
cp -r "$repo/tests/fixtures/bin" "$work/prefix/tools"
chmod -R a+rX "$work"

header="| host |"
rule="|---|"
for check in "${checks[@]}"; do
  header+=" $check |"
  rule+="---|"
done
echo "$header"
echo "$rule"
known=()
[[ -n "${MATRIX_KNOWN:-}" ]] && mapfile -t known < <(sed -e 's/#.*//' -e '/^ *$/d' "$MATRIX_KNOWN")
is_known() { printf '%s\n' "${known[@]}" | grep -qx "$1 $2"; }
failed=0
for host in "${hosts[@]}"; do
  rm -rf "${out:?}/$host"
  mkdir -p "$out/$host"
  if [[ $host == sway && $(id -u) == 0 ]]; then
    user="ostrel-matrix-$$"
    useradd --create-home --shell /bin/bash "$user"
    chown "$user" "$out/$host"
    runuser -u "$user" -- env PATH="$PATH" OSTREL_BUILD="$build" MATRIX_OUT="$out" \
      bash "$0" --one sway "$work/prefix" || true
    userdel -r "$user" 2>/dev/null
    user=""
  else
    run_host "$host" "$work/prefix" || true
  fi
  if [[ -s "$out/$host/row" ]]; then
    read -ra cells <<<"$(tr -d '|' <"$out/$host/row")"
    line="| $host |"
    for i in "${!checks[@]}"; do
      cell="${cells[i + 1]}"
      if is_known "$host" "${checks[i]}"; then
        [[ $cell == passed ]] && echo "$host ${checks[i]} passes now: take it off $MATRIX_KNOWN" >&2
        [[ $cell == failed ]] && cell=known
      fi
      [[ $cell == failed ]] && failed=1
      line+=" $cell |"
    done
    echo "$line"
  else
    echo "| $host | did not start |"
    failed=1
  fi
done
exit "$failed"
