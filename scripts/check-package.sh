#!/bin/bash
# Builds the Debian package and checks it as a user's machine would meet
# it: installed with its dependencies into a clean Debian 12 root (from
# Debian's archive), started there on a folder of a clip and a picture under
# a virtual display, then purged without a trace. Needs root and the
# archive; takes a few minutes. Usage: bash scripts/check-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
command -v mmdebstrap >/dev/null ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends mmdebstrap

work=$(mktemp -d /tmp/dvz-package.XXXXXX)
trap 'umount -R "$work/root/proc" 2>/dev/null || true; rm -rf "$work"' EXIT
(cd build && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/duvavazoruzevaz_*.deb)
lintian --fail-on error,warning "$deb"

# A root with only what Debian installs by default, the virtual display and
# a file to play; Recommends are installed as apt would.
mmdebstrap --quiet --variant=important --include=xvfb,xauth,xdotool,ffmpeg bookworm "$work/root"
cp "$deb" "$work/root/tmp/"
inside() { chroot "$work/root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"; }
mount -t proc proc "$work/root/proc"
inside apt-get update -qq
inside apt-get install -y -qq "/tmp/$(basename "$deb")" >/dev/null
inside test -f /usr/share/doc/duvavazoruzevaz/copyright
inside duvavazoruzevaz --version

# Started on a folder of a clip and a picture, it shows its windows and plays.
inside mkdir -p /tmp/media
inside ffmpeg -loglevel error -f lavfi -i testsrc=size=320x240:rate=25 -t 5 /tmp/media/clip.mpg
inside ffmpeg -loglevel error -f lavfi -i testsrc=size=320x240 -frames:v 1 /tmp/media/picture.jpg
inside xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh -c '
    duvavazoruzevaz /tmp/media & program=$!
    for i in $(seq 1 100); do
        xdotool search --name "^clip.mpg$" >/dev/null 2>&1 && break
        sleep 0.1
    done
    windows=$(xdotool search --name "." getwindowname %@ 2>/dev/null | sort -u | tr "\n" "|")
    kill $program; wait $program || true
    echo "windows: $windows"
    case "$windows" in *DuvavazorUzevaz*clip.mpg*|*clip.mpg*DuvavazorUzevaz*) ;; *) exit 1 ;; esac'

inside apt-get purge -y -qq duvavazoruzevaz >/dev/null
left=$(inside sh -c 'ls -d /usr/bin/duvavazoruzevaz /usr/share/duvavazoruzevaz /usr/share/doc/duvavazoruzevaz \
    /usr/share/applications/org.duvavazoruzevaz.Player.desktop 2>/dev/null || true')
[ -z "$left" ] || { echo "left after purge: $left"; exit 1; }
echo "package checked: lintian clean, installed, ran, purged"
