#!/usr/bin/env bash
# Installs the official claude and codex command-line tools from the npm
# registry into ~/.cache/ostrel-clis, for the tests labelled real-cli. Idempotent:
# npm runs only when one of the two is missing. Prints the folder of the tools.
set -euo pipefail
prefix="${OSTREL_CLIS_PREFIX:-$HOME/.cache/ostrel-clis}"
bin="$prefix/node_modules/.bin"
if [[ ! -x $bin/claude || ! -x $bin/codex ]]; then
  if ! command -v npm >/dev/null; then
    echo "npm is missing; install the Debian package npm first" >&2
    exit 1
  fi
  mkdir -p "$prefix"
  npm install --prefix "$prefix" --no-audit --no-fund --loglevel=error \
    @anthropic-ai/claude-code @openai/codex >&2
fi
echo "$bin"
