#!/usr/bin/env bash
# Sets up the machine, builds the debug preset and runs every test suite
# (the installation test among them), then checks the formatting.
#   --asan     builds and tests the asan preset instead
#   --release  builds the release preset and runs the Debian package test on it
set -euo pipefail
cd "$(dirname "$0")/.."
preset=debug
case ${1:-} in
  "") ;;
  --asan) preset=asan ;;
  --release) preset=release ;;
  *)
    echo "usage: $0 [--asan|--release]" >&2
    exit 2
    ;;
esac
./scripts/setup-debian.sh test
# The run command may have left the release build without its tests.
if [[ $preset == release ]]; then
  cmake --preset release -DOSTREL_BUILD_TESTS=ON -DOSTREL_BUILD_BENCH=ON >/dev/null
else
  cmake --preset "$preset" >/dev/null
fi
cmake --build --preset "$preset"
if [[ $preset == release ]]; then
  ctest --preset release -L package
  exit 0
fi
ctest --preset "$preset"
if [[ $preset == debug ]]; then
  ./scripts/check-format.sh
fi
