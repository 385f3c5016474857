#!/bin/bash
# Fails when the parts under src/ include each other in a circle: each
# folder may use the folders below it only (tsort reports the loop).
set -euo pipefail
cd "$(dirname "$0")/../src"
for dir in */; do
    part=${dir%/}
    { grep -rhoE '#include "[a-z]+/' "$part" || true; } | sed -E 's/#include "([a-z]+)\//\1/' | sort -u |
        { grep -vx "$part" || true; } | sed "s/^/$part /"
done | tsort >/dev/null
