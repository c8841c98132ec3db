#!/usr/bin/env bash
# Fails when a source file differs from what clang-format-16 would write.
set -euo pipefail
cd "$(dirname "$0")/.."
find core Ostrel tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format-16 --dry-run --Werror
