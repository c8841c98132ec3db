#!/usr/bin/env bash
# Sets up the machine, builds the asan preset (the debug build under
# AddressSanitizer and UBSan) and runs every test suite (the installation test
# among them), then checks the formatting.
#   --debug    builds and tests the plain debug preset instead (quicker to build
#              and to run; the planted-fault sweep and the lint default to it)
#   --release  builds the program as the run command does, optimised, with the
#              benchmarks but not the suites, and makes and checks the Debian
#              package from it
set -euo pipefail
cd "$(dirname "$0")/.."
preset=asan
case ${1:-} in
  "") ;;
  --debug) preset=debug ;;
  --release) preset=release ;;
  *)
    echo "usage: $0 [--debug|--release]" >&2
    exit 2
    ;;
esac
./scripts/setup-debian.sh test
if [[ $preset == release ]]; then
  # The suites were compiled and run under the sanitizers; optimising them
  # again would only double this build. The benchmarks are meant optimised.
  cmake --preset release -DOSTREL_BUILD_TESTS=OFF -DOSTREL_BUILD_BENCH=ON >/dev/null
  cmake --build --preset release
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
  exec tests/install/package-check.sh "$PWD" "$PWD/build/release" "$version"
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
./scripts/check-format.sh
