#!/usr/bin/env bash
# Installs what building and running need, builds the release preset, installs
# Ostrel into ~/.local (bin, menu entry, icon) and starts the installed
# ~/.local/bin/ostrel with any arguments given (for example --demo). Running it
# again upgrades the installation in place; scripts/uninstall.sh removes it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh run
prefix=${OSTREL_PREFIX:-$HOME/.local}
# Only the program: the test suites and benchmarks need the test packages.
cmake --preset release -DOSTREL_BUILD_TESTS=OFF -DOSTREL_BUILD_BENCH=OFF \
  "-DCMAKE_INSTALL_PREFIX=$prefix" >/dev/null
cmake --build --preset release
cmake --install build/release >/dev/null
exec "$prefix/bin/ostrel" "$@"
