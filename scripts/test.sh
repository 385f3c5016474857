#!/bin/bash
# Runs every test under a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    ctest --test-dir build --output-on-failure --timeout 600 "$@"
