#!/bin/bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each on its seeds
# and then for a short random run: FUZZ_SECONDS each (default 5). Inputs
# found to fail are left as fuzz/crash-*; add them to fuzz/corpus/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang++ > /dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends clang
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=None "-DCMAKE_CXX_FLAGS=-O1 -g" -DDVZ_FUZZ=ON > /dev/null
cmake --build build-fuzz --target fuzz_targets -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
seconds=${FUZZ_SECONDS:-5}
for target in fuzz_bmp fuzz_png fuzz_ram fuzz_mounts fuzz_settings fuzz_recent fuzz_resume fuzz_names; do
    seeds=fuzz/corpus/${target#fuzz_}
    found=$(mktemp -d)
    echo "== $target: $(ls "$seeds" | wc -l) seeds, then ${seconds} s"
    # New inputs go to a scratch folder: the seeds in the repository stay as they are.
    log=$(mktemp)
    status=0
    build-fuzz/fuzz/$target "$found" "$seeds" -max_total_time="$seconds" -max_len=65536 \
        -rss_limit_mb=2048 -malloc_limit_mb=1200 -artifact_prefix=fuzz/crash-$target- -print_final_stats=1 \
        > "$log" 2>&1 || status=$?
    grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY|broken:)|(DONE|INITED) +cov" "$log" || true
    rm -rf "$found" "$log"
    [ "$status" -eq 0 ] || { echo "$target failed: see fuzz/crash-$target-*"; exit 1; }
done
