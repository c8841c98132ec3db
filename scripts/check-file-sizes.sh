#!/usr/bin/env bash
# Warns about C++ source files over 400 lines (the size STYLE.md asks a file to
# stay under), largest first. Only a warning: it always succeeds.
#   scripts/check-file-sizes.sh [limit]
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-400}
over=$(find core Ostrel tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 wc -l |
  awk -v limit="$limit" '$2 != "total" && $1 > limit' | sort -rn)
if [[ -n $over ]]; then
  echo "warning: $(wc -l <<<"$over") source files are over $limit lines:" >&2
  sed 's/^ */  /' <<<"$over" >&2
fi
