#!/usr/bin/env bash
# Runs clang-tidy-16 with the root .clang-tidy over the project's own sources
# and fails on any finding. By default that is the program (core and Ostrel);
# --all adds the suites and benchmarks (tests and bench, with
# tests/.clang-tidy on top). Never the moc and autogen output under the build
# folder. The compile commands come from a configured build folder (default
# build/debug, which `scripts/test.sh --debug` builds; CI uses build/asan).
#   scripts/lint.sh [--all] [-j N] [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
folders="core|Ostrel"
jobs=2
while (($#)); do
  case $1 in
    --all) folders="core|Ostrel|tests|bench" ;;
    -j) jobs=${2:?-j needs a number}; shift ;;
    -*)
      echo "usage: $0 [--all] [-j N] [build folder]" >&2
      exit 2
      ;;
    *) break ;;
  esac
  shift
done
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
run-clang-tidy-16 -p "$build" -j "$jobs" -quiet "^$PWD/($folders)/" 2>&1 |
  { grep -Ev '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter=|^Use -system-headers' || true; }
