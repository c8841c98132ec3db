#!/usr/bin/env bash
# Builds the Debian package of Ostrel from the release build (configured and
# built first if needed) and prints the package's path. Dependencies come from
# the binary's shared libraries; lintian, when installed, must find no error.
# Usage: packaging/build-deb.sh [release build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
if [[ ! -f $build/CPackConfig.cmake ]]; then
  cmake --preset release >/dev/null
fi
cmake --build "$build" >&2
out=$build/package
rm -rf "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >&2
deb=$(find "$out" -maxdepth 1 -name 'ostrel_*.deb' -print -quit)
[[ -n $deb ]] || {
  echo "build-deb: cpack made no package" >&2
  exit 1
}
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >&2
fi
echo "$deb"
