#!/usr/bin/env bash
# Times the program from process start to its Main window painted against a program that
# paints one empty window, with hyperfine, in one run. Without a display it runs on Xvfb.
#   bench/startup/run.sh [build-dir]     (default build/default)
# ARLO_EXIT_WHEN_SHOWN=filled makes the program wait for its first list as well.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/default}
cmake --build "$build" --target arlo_program startup_baseline >/dev/null
export ARLO_EXIT_WHEN_SHOWN=${ARLO_EXIT_WHEN_SHOWN:-1}
# The program writes its Settings file; keep the user's own out of the measurement.
export HOME=${BENCH_HOME:-$(mktemp -d)}
run=(hyperfine -N --warmup 3 --runs "${BENCH_RUNS:-30}"
  -n "empty window" "$build/bench/startup/startup_baseline"
  -n "Arlo迷" "$build/src/app/Arlo迷")
if [[ -z ${DISPLAY:-} ]]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}"
fi
exec "${run[@]}"
