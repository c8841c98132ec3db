#!/usr/bin/env bash
# Sets up the machine, builds the release preset and starts Ostrel with any
# arguments given (for example --demo).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup-debian.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec ./build/release/Ostrel/ostrel "$@"
