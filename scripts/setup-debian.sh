#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running Ostrel
# needs. Idempotent: apt-get runs only when a package is missing.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config git
  # core libraries
  nlohmann-json3-dev libicu-dev libcurl4-openssl-dev
  # desktop
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-qpa-plugins libgl-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev openssl python3 python3-jsonschema dbus dbus-x11
  xvfb xauth trayer x11-apps x11-utils netpbm xdotool procps
  # runtime helpers: keyring lookup, a fallback icon theme, UI fonts
  libsecret-tools adwaita-icon-theme hicolor-icon-theme fonts-inter fonts-noto-color-emoji
  # lint
  clang-format-16 clang-tidy-16
  # fuzzing: clang with its libFuzzer and sanitizer runtimes
  clang-16 libclang-rt-16-dev
)

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
