#!/usr/bin/env bash
# Sets up the machine, builds the debug preset and runs every test suite, then
# checks the formatting. Pass --asan to build and test the asan preset instead.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=debug
if [[ ${1:-} == --asan ]]; then
  preset=asan
fi
./scripts/setup-debian.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
if [[ $preset == debug ]]; then
  ./scripts/check-format.sh
fi
