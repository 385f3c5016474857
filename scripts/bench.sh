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
    case $bench in
        # The long session is half an hour by itself; shorter here unless asked.
        */bench_session) run "$bench" "$PWD/build/fixtures" "${DVZ_SESSION_MINUTES:-6}" ;;
        *) run "$bench" "$PWD/build/fixtures" ;;
    esac
done
# A slow file system: every directory read takes 2 ms more (strace injects the delay).
echo "== bench_search on a slow file system"
trace=$(mktemp)
run strace -f -qq --seccomp-bpf -e trace=getdents64 -e inject=getdents64:delay_exit=2000 -o "$trace" \
    build/bench/bench_search --slow-file-system
rm -f "$trace"
