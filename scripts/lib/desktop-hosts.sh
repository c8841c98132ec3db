# shellcheck shell=bash disable=SC2034,SC2154
# (the caller and tray-session.sh set and read these variables)
# Sourced by scripts/desktop-matrix.sh after scripts/lib/tray-session.sh: one
# function per tray host to start it in the session's throw-away home, and
# the ways each kind of display is photographed and clicked. Every process
# started goes into tray_pids, which tray-session.sh ends on exit.
#
#   host_start <host>        starts the display, bus and bar; sets bar_top, bar_height
#   host_shot <file.ppm>     the whole screen
#   host_click <x> <y> <button>
#   host_panel               prints "placed|floating|tiled x y w h" of the open panel, or nothing
#   host_choose_first <x> <y>  the first entry of the menu shown from x y
#   host_dismiss             closes a popup menu or the panel

screen_width=1024
screen_height=768

# The bar: the widest window along the top or bottom edge of the X screen
# (trayer's grows with its items); sets bar_left, bar_top, bar_width, bar_height.
x11_find_bar() {
  local geometry
  geometry="$(xwininfo -root -children | sed -nE 's/.* ([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+) .*/\1 \2 \3 \4/p' |
    awk -v h="$screen_height" '$2 >= 16 && $2 <= 64 && ($4 == 0 || $4 + $2 == h) { print $3, $4, $1, $2 }' |
    sort -k3,3nr | head -n1)"
  [[ -n "$geometry" ]] || return 1
  read -r bar_left bar_top bar_width bar_height <<<"$geometry"
}

x11_start() {
  TRAY_SCREEN="${screen_width}x${screen_height}" TRAY_HOST="$1" tray_session_start
}

start_lxqt_panel() {
  local config="$tray_work/host/.config/lxqt"
  mkdir -p "$config"
  # The default panel and theme, holding only the StatusNotifierItem host.
  printf '[General]\n__userfile__=true\npanels=panel1\n\n[panel1]\nplugins=statusnotifier\nposition=Bottom\n\n[statusnotifier]\ntype=statusnotifier\n' \
    >"$config/panel.conf"
  HOME="$tray_work/host" XDG_CONFIG_HOME="$tray_work/host/.config" XDG_CURRENT_DESKTOP=LXQt \
    lxqt-panel >"$tray_work/panel.log" 2>&1 &
  tray_pids+=($!)
  tray_await 150 tray_has_watcher
}

start_mate_panel() {
  local home="$tray_work/host"
  # The default top panel with only its notification area (which hosts
  # StatusNotifierItems too), kept in dconf on the session's own bus.
  local settings=(env HOME="$home" XDG_CONFIG_HOME="$home/.config" GSETTINGS_BACKEND=dconf gsettings)
  local object="org.mate.panel.object:/org/mate/panel/objects/tray/"
  "${settings[@]}" set org.mate.panel toplevel-id-list "['top']"
  "${settings[@]}" set org.mate.panel.toplevel:/org/mate/panel/toplevels/top/ orientation top
  "${settings[@]}" set org.mate.panel.toplevel:/org/mate/panel/toplevels/top/ expand true
  "${settings[@]}" set "$object" object-type applet
  "${settings[@]}" set "$object" applet-iid 'NotificationAreaAppletFactory::NotificationArea'
  "${settings[@]}" set "$object" toplevel-id top
  "${settings[@]}" set org.mate.panel object-id-list "['tray']"
  HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CURRENT_DESKTOP=MATE \
    mate-panel >"$tray_work/panel.log" 2>&1 &
  tray_pids+=($!)
  tray_await 150 tray_has_watcher
}

# Cinnamon, the shell and its window manager in one, with its default panel
# holding only the tray applet (an XEmbed tray: the StatusNotifierItem watcher
# is a daemon of its session, not started here). The panel is drawn inside the
# shell's own scene, not as a window of its own, so its place is fixed: the
# default 40 px along the bottom.
start_cinnamon() {
  local home="$tray_work/host"
  env HOME="$home" XDG_CONFIG_HOME="$home/.config" GSETTINGS_BACKEND=dconf \
    gsettings set org.cinnamon enabled-applets "['panel1:right:0:systray@cinnamon.org:0']"
  HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CURRENT_DESKTOP=X-Cinnamon \
    cinnamon --replace >"$tray_work/panel.log" 2>&1 &
  tray_pids+=($!)
  tray_await 150 grep -q 'Cinnamon took' "$tray_work/panel.log" || return 1
  tray_panel="$(xwininfo -root | sed -nE 's/.*Window id: (0x[0-9a-f]+).*/\1/p')"
  bar_fixed=1
  bar_left=0
  bar_top=$((screen_height - 40))
  bar_width=$screen_width
  bar_height=40
}

# sway, headless, with waybar's default look and only its tray.
start_sway() {
  local runtime="$tray_work/runtime"
  mkdir -p "$runtime" "$tray_work/host/.config"
  chmod 700 "$runtime"
  export XDG_RUNTIME_DIR="$runtime"
  unset DISPLAY WAYLAND_DISPLAY
  tray_start_bus || return 1
  cat >"$tray_work/sway.conf" <<CONF
output HEADLESS-1 resolution ${screen_width}x${screen_height}
default_border none
CONF
  cat >"$tray_work/waybar.json" <<JSON
{ "layer": "top", "position": "top", "height": 26, "modules-right": ["tray"], "tray": { "spacing": 10 } }
JSON
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 HOME="$tray_work/host" \
    sway -c "$tray_work/sway.conf" >"$tray_work/sway.log" 2>&1 &
  tray_pids+=($!)
  tray_await 100 compgen -G "$runtime/wayland-*" || { echo "sway did not start; see $tray_work/sway.log" >&2; return 1; }
  WAYLAND_DISPLAY="$(basename "$(compgen -G "$runtime/wayland-?" | head -n1)")"
  SWAYSOCK="$(compgen -G "$runtime/sway-ipc.*" | head -n1)"
  export WAYLAND_DISPLAY SWAYSOCK
  HOME="$tray_work/host" waybar -c "$tray_work/waybar.json" -s /etc/xdg/waybar/style.css \
    >"$tray_work/waybar.log" 2>&1 &
  tray_pids+=($!)
  tray_await 100 tray_has_watcher || { echo "waybar hosts no items; see $tray_work/waybar.log" >&2; return 1; }
  bar_left=0
  bar_top=0
  bar_width=$screen_width
  bar_height=26
}

host_start() {
  host_kind=x11
  local -A desktops=([xfce4-panel]=XFCE [lxqt-panel]=LXQt [mate-panel]=MATE [cinnamon]=X-Cinnamon [sway]=sway)
  host_desktop="${desktops[$1]:-}"
  case "$1" in
    trayer | xfce4-panel) x11_start "$1" || return 1 ;;
    lxqt-panel) { x11_start none && start_lxqt_panel; } || return 1 ;;
    mate-panel) { x11_start none && start_mate_panel; } || return 1 ;;
    cinnamon)
      { x11_start none && start_cinnamon; } || return 1
      return
      ;;
    sway)
      host_kind=wayland
      start_sway
      return
      ;;
    *)
      echo "unknown host $1" >&2
      return 1
      ;;
  esac
  tray_await 100 x11_find_bar || { echo "no bar along an edge of the screen" >&2; return 1; }
}

host_shot() {
  if [[ $host_kind == wayland ]]; then
    grim -t ppm "$1"
  else
    # xwdtopnm writes 16-bit samples for some visuals, so the picture is brought to 8 bits.
    xwd -silent -root | xwdtopnm 2>/dev/null | pnmdepth 255 >"$1"
  fi
}

host_click() {
  local button="$3"
  if [[ $host_kind == wayland ]]; then
    /usr/bin/python3 "$matrix_lib/desktop_probe.py" wayland-click "$1" "$2" "$button" "$screen_width" "$screen_height"
  else
    xdotool mousemove "$1" "$2" click "$button"
  fi
}

host_panel() {
  if [[ $host_kind == wayland ]]; then
    swaymsg -t get_tree >"$tray_work/tree.json"
    /usr/bin/python3 "$matrix_lib/desktop_probe.py" sway-window "$tray_work/tree.json"
    return
  fi
  local window
  window="$(xdotool search --onlyvisible --name '^Ostrel$' 2>/dev/null | head -n1)"
  [[ -n "$window" ]] || return 0
  eval "$(xdotool getwindowgeometry --shell "$window")"
  echo "placed $X $Y $WIDTH $HEIGHT"
}

# The first entry of an open menu whose picture starts at x y: by the keyboard
# on X11 (a menu may cover the bar, so its top is not known), by a click on Wayland.
host_choose_first() {
  if [[ $host_kind == wayland ]]; then
    host_click $(($1 + 30)) $(($2 + 12)) 1
  else
    xdotool key Down Return
  fi
}

host_dismiss() {
  if [[ $host_kind == wayland ]]; then
    host_click $((screen_width / 2)) $((screen_height - 10)) 1
  else
    xdotool key Escape
  fi
}
