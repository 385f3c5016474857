#!/bin/bash
# Builds with AddressSanitizer + UndefinedBehaviorSanitizer into
# build-asan/ and runs the unit suites and the corpus test under them.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=None "-DCMAKE_CXX_FLAGS=-O1 -g1" -DDVZ_SANITIZE=ON -DDVZ_BENCH=OFF > /dev/null
cmake --build build-asan -j"$(nproc)"
# Leaks are not looked for: the libraries the program loads keep caches for
# the process's lifetime.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export DVZ_MEMORY_FACTOR=3 # the corpus test's memory bound, for the sanitizers' own use
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    ctest --test-dir build-asan --output-on-failure --timeout 600 -E "soak|tst_blackbox" "$@"
