#!/usr/bin/env bash
# Times the program from process start to its Main window painted with its list filled, in
# one run beside two yardsticks that take turns with it (bench/startup/interleave.py): a
# program that paints one empty window, and the text floor (a plain Qt window with the same
# kind of text). Prints the medians and the program's ratio to each. Without a display it runs
# on Xvfb.
#   bench/startup/run.sh [build-dir]     (default build/default; build/release for figures)
# ARLO_EXIT_WHEN_SHOWN=1 times the first paint without waiting for the list.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/default}
cmake --build "$build" --target arlo_program startup_baseline startup_text_floor >/dev/null
export ARLO_EXIT_WHEN_SHOWN=${ARLO_EXIT_WHEN_SHOWN:-filled}
# The program writes its Settings file; keep the user's own out of the measurement.
export HOME=${BENCH_HOME:-$(mktemp -d)}
results=$(mktemp)
trap 'rm -f "$results"' EXIT
run=(python3 bench/startup/interleave.py --warmup 3 --runs "${BENCH_RUNS:-30}" --json "$results"
  "empty window=$build/bench/startup/startup_baseline"
  "text floor=$build/bench/startup/startup_text_floor"
  "Arlo迷=$build/src/app/Arlo迷")
if [[ -z ${DISPLAY:-} ]]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}"
else
  "${run[@]}"
fi
python3 - "$results" <<'EOF'
import json, statistics, sys
runs = {r["command"]: statistics.median(r["times"]) * 1000
        for r in json.load(open(sys.argv[1]))["results"]}
program = runs["Arlo迷"]
for name in ("empty window", "text floor", "Arlo迷"):
    print(f"{name:>12}: {runs[name]:7.1f} ms (median)")
print(f"Arlo迷 / text floor:   {program / runs['text floor']:.2f}x (target <= 1.25x)")
print(f"Arlo迷 / empty window: {program / runs['empty window']:.2f}x")
EOF
