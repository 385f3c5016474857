#!/bin/bash
# Builds and runs every benchmark under a virtual X display; prints their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j"$(nproc)" >/dev/null
bash scripts/make-fixtures.sh build/fixtures
run() { xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"; }
for bench in build/bench/bench_*; do
    [ -f "$bench" ] && [ -x "$bench" ] || continue
    echo "== $(basename "$bench")"
    run "$bench" "$PWD/build/fixtures"
done
