#!/usr/bin/env bash
# Sets up the machine, builds the debug preset and runs every test suite
# (the installation test among them), then checks the formatting.
#   --asan     builds and tests the asan preset instead
#   --release  builds the program as the run command does (optimised, without
#              the suites) and makes and checks the Debian package from it
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
if [[ $preset == release ]]; then
  # The debug and asan builds compiled and ran the suites; optimising them a
  # third time would only double this build.
  cmake --preset release -DOSTREL_BUILD_TESTS=OFF -DOSTREL_BUILD_BENCH=OFF >/dev/null
  cmake --build --preset release
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
  exec tests/install/package-check.sh "$PWD" "$PWD/build/release" "$version"
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
if [[ $preset == debug ]]; then
  ./scripts/check-format.sh
fi
