#!/bin/bash
# Runs the whole suite several times in a row (default 3) with four busy
# loops on the machine's cores, as a loaded desktop would: every check must
# wait on conditions, not on time. Build first (scripts/setup.sh).
# Usage: bash scripts/stress.sh [runs]
set -uo pipefail
cd "$(dirname "$0")/.."
for i in 1 2 3 4; do ( while :; do :; done ) & done
trap 'kill $(jobs -p) 2>/dev/null' EXIT
failed=0
for run in $(seq 1 "${1:-3}"); do
    start=$(date +%s)
    if bash scripts/test.sh > "build/stress-run$run.log" 2>&1; then result=passed; else result=FAILED; failed=1; fi
    echo "run $run: $result in $(( $(date +%s) - start )) s, load $(cut -d' ' -f1 /proc/loadavg) (build/stress-run$run.log)"
done
exit $failed
