#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for the given number of
# seconds (default 20) on a copy of its seed corpus, in a temporary folder that
# is removed afterwards; the committed corpus is never changed. Fails when any
# target crashes, leaks or breaks one of its properties; the input that did it
# is copied to build/fuzz/crashes/<target>/ to be kept under
# tests/fixtures/fuzz-regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
if [[ ! $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [seconds per target]" >&2
  exit 2
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d "${TMPDIR:-/tmp}/ostrel-fuzz-XXXXXX")
trap 'rm -rf "$work"' EXIT
crashes=build/fuzz/crashes
failed=()
for binary in build/fuzz/fuzz/fuzz_*; do
  target=${binary##*/fuzz_}
  mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
  cp -R "fuzz/corpus/$target/." "$work/$target/corpus/"
  log=$work/$target/log
  if ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$work/$target/artifacts/" "$work/$target/corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: $runs runs in ${seconds}s, $((runs / seconds)) per second"
  else
    failed+=("$target")
    mkdir -p "$crashes/$target"
    cp "$work/$target/artifacts/"* "$crashes/$target/" 2>/dev/null || true
    echo "$target: FAILED; inputs in $crashes/$target/" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -5 >&2 || tail -20 "$log" >&2
  fi
done

if ((${#failed[@]} > 0)); then
  echo "Fuzz targets that failed: ${failed[*]}" >&2
  exit 1
fi
