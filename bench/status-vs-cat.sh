#!/usr/bin/env bash
# Wall time of `ostrel --status` against `cat` of the same readings file: the
# file of an install a year old, read every five minutes, holding the two weeks
# of history that the store keeps and sixty days of account usage. Each command
# runs N times in turn; the medians and their ratio are printed, then the
# median of `ostrel --statusline` given what Claude Code passes a subscriber's
# status line (it also leaves its drop file each time, as it does in use).
#
#   bench/status-vs-cat.sh <ostrel binary> [runs (200)] [format (text)]
set -euo pipefail
binary="$(realpath "$1")"
runs="${2:-200}"
format="${3:-text}"

home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
data="$home/data/Ostrel"
mkdir -p "$data" "$home/config"

python3 - "$data/readings.json" <<'PY'
import json, sys, time
reference = 978307200
now = time.time() - reference
week = 604800
snapshots, history = [], []
for provider, source in (("claude", "usage API"), ("openai", "codex app-server")):
    renews = now + 3 * 86400
    reading = {
        "provider": provider, "fetchedAt": now - 120, "plan": "Max", "kind": "subscription",
        "weekly": {"usedPercent": 41.5, "resetsAt": renews, "duration": week},
        "session": {"usedPercent": 12.0, "resetsAt": now + 7200, "duration": 18000},
        "resetCredits": [{"title": "Reset", "expiresAt": now + 9 * 86400}],
        "source": source,
    }
    if provider == "openai":
        reading["accountUsage"] = {
            "days": [{"date": f"2026-{1 + d // 28:02d}-{1 + d % 28:02d}", "tokens": 1234567 + d} for d in range(60)],
            "lifetimeTokens": 987654321, "peakDailyTokens": 45678901, "currentStreakDays": 42,
        }
    snapshots += [provider, {"lastReading": reading, "lastAttemptAt": now - 120}]
    # Every five minutes for fourteen days.
    points = [{"date": now - 1209600 + i * 300, "usedPercent": (i % 2016) / 20.16,
               "resetsAt": renews - week * ((4031 - i) // 2016)} for i in range(4032)]
    history += [provider, points]
with open(sys.argv[1], "w") as out:
    json.dump({"snapshots": snapshots, "history": history}, out, separators=(",", ":"))
PY

export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config"
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
file="$data/readings.json"
"$binary" --status --format "$format" >/dev/null  # fails here rather than in the loop

median_ms() {
  local -a times=()
  local i start end
  # EPOCHREALTIME needs no process of its own, so only the command is timed.
  for ((i = 0; i < runs; i++)); do
    start=${EPOCHREALTIME/./}
    "$@" >/dev/null
    end=${EPOCHREALTIME/./}
    times+=($((end - start)))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { printf "%.2f", a[int((NR + 1) / 2)] / 1000 }'
}

statusline_ms() {
  local renews=$(($(date +%s) + 200000))
  printf '{"model":{"id":"m"},"rate_limits":{"five_hour":{"used_percentage":23,"resets_at":%d},"seven_day":{"used_percentage":41,"resets_at":%d}}}' \
    $((renews - 190000)) "$renews" >"$home/statusline.json"
  median_ms sh -c 'exec "$0" --statusline <"$1"' "$binary" "$home/statusline.json"
}

ostrel_ms="$(median_ms "$binary" --status --format "$format")"
cat_ms="$(median_ms cat "$file")"
printf 'readings file: %d bytes\n' "$(stat -c %s "$file")"
printf 'ostrel --status --format %s: %s ms (median of %d)\n' "$format" "$ostrel_ms" "$runs"
printf 'cat: %s ms (median of %d)\n' "$cat_ms" "$runs"
awk -v a="$ostrel_ms" -v b="$cat_ms" 'BEGIN { printf "ratio: %.1f\n", a / b }'
sh_ms="$(median_ms sh -c 'exec "$0" --version' /bin/true)"
printf 'ostrel --statusline: %s ms, of which %s ms for the sh that feeds it (median of %d)\n' "$(statusline_ms)" "$sh_ms" "$runs"
