#!/usr/bin/env bash
# Installs the Debian 12 packages Ostrel needs. Idempotent: apt-get runs only
# when a package is missing.
#   setup-debian.sh run    what building, installing and running need (run.sh)
#   setup-debian.sh test   that plus tests, lint, fuzzing and packaging (test.sh; the default)
#   setup-debian.sh desktops  that plus the tray hosts scripts/desktop-matrix.sh runs on demand
set -euo pipefail

run_packages=(
  # build
  g++ cmake ninja-build pkg-config git
  # core libraries
  nlohmann-json3-dev libicu-dev libcurl4-openssl-dev libssl-dev
  # desktop
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins libgl-dev
  # the Wayland platform, for Wayland desktops
  qt6-wayland
  # X11 calls: the bar under the pointer
  libxcb1-dev
  # the icon's fixed sizes are rendered from its SVG at build time
  librsvg2-bin
  # runtime helpers: keyring lookup, a fallback icon theme, UI fonts
  libsecret-tools adwaita-icon-theme hicolor-icon-theme fonts-inter fonts-noto-color-emoji
)

test_packages=(
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev openssl python3 python3-jsonschema dbus dbus-x11
  xvfb xauth trayer xfce4-panel x11-apps x11-utils netpbm xdotool procps
  # locale definitions, compiled by a test that writes numbers under a German locale
  locales
  # a headless Wayland compositor and a stand-in for the desktop's bus services
  weston python3-dbus python3-gi
  # the desktop matrix's cheap hosts: sway (headless) with waybar, photographed by grim
  sway waybar grim
  # lint
  clang-format-16 clang-tidy-16
  # fuzzing: clang with its libFuzzer and sanitizer runtimes
  clang-16 libclang-rt-16-dev
  # installation and Debian package checks
  desktop-file-utils appstream dpkg-dev file lintian
)

case ${1:-test} in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  desktops) packages=("${run_packages[@]}" "${test_packages[@]}" lxqt-panel mate-panel cinnamon) ;;
  *)
    echo "usage: $0 [run|test|desktops]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}" >&2
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
