#!/usr/bin/env bash
# Runs clang-tidy-16 with the root .clang-tidy over the project's own sources
# (core, Ostrel, tests and bench; never the moc and autogen output under the
# build folder), two files at a time, and fails on any finding. The compile
# commands come from a configured build folder (default build/debug, which
# scripts/test.sh configures and builds).
#   scripts/lint.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/debug}
if [[ ! -f $build/compile_commands.json ]]; then
  echo "lint: $build/compile_commands.json is missing: configure that build first" >&2
  exit 2
fi
command -v run-clang-tidy-16 >/dev/null || {
  echo "lint: run-clang-tidy-16 is missing: run scripts/setup-debian.sh test" >&2
  exit 1
}
# Anchored at the source root: build/debug/Ostrel/ostrel_app_autogen/ also holds "/Ostrel/".
# clang-tidy's count of warnings in system headers it hides is noise.
run-clang-tidy-16 -p "$build" -j 2 -quiet "^$PWD/(core|Ostrel|tests|bench)/" 2>&1 |
  { grep -Ev '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter=|^Use -system-headers' || true; }
