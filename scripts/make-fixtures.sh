#!/bin/bash
# Makes the small clips and pictures the tests play and show.
# Usage: make-fixtures.sh DIR
set -euo pipefail
out=$(realpath -m "${1:?usage: make-fixtures.sh DIR}")
stamp="$out/.made-by-$(sha1sum "$0" | cut -c1-12)"
[ -e "$stamp" ] && exit 0
rm -rf "$out"
mkdir -p "$out"
cd "$out"

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
video="testsrc=size=640x480:rate=25"
tone="sine=frequency=440:sample_rate=44100"

ff -f lavfi -i "$video:duration=1" -f lavfi -i "$tone:duration=1" -c:v mpeg1video -b:v 1M -c:a mp2 -f mpeg clip.mpg
cp clip.mpg clip.mpeg
cp clip.mpg clip.dat # a Video CD's .dat is an MPEG-1 program stream
ff -f lavfi -i "$video:duration=1" -f lavfi -i "$tone:duration=1" -c:v mjpeg -q:v 5 -c:a pcm_s16le clip.avi
ff -f lavfi -i "$video:duration=1" -f lavfi -i "$tone:duration=1" -c:v mpeg4 -c:a aac -f mov clip.mov
cp clip.mov clip.qt
ff -f lavfi -i "$tone:duration=1" -c:a libmp3lame -b:a 64k song.mp3
ff -f lavfi -i "$tone:duration=1" -c:a pcm_s16le -f wav sound.wave
ff -f lavfi -i "$tone:duration=0.5" -c:a pcm_s16le -f wav short.wave
ff -f lavfi -i "testsrc=size=320x240:rate=25:duration=1" -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=1" \
   -c:v rv10 -c:a ac3 -f rm clip.rm
ff -f lavfi -i "sine=frequency=440:sample_rate=8000:duration=1" -c:a real_144 -ac 1 -f rm sound.ra
ff -f lavfi -i "$video:duration=60" -c:v mpeg1video -b:v 200k -an -f mpeg long.mpg
ff -f lavfi -i "$video:duration=1" -c:v mpeg1video -b:v 200k -an -f mpeg silent.mpg
ff -f lavfi -i "$tone:duration=0.3" -c:a pcm_s16le -f wav tick.wave
printf '# a RealMedia playlist\n\nclip.mpg\n' > list.ram
# Today's formats (the dialogs' "その他の形式").
ff -f lavfi -i "testsrc=size=320x240:rate=25:duration=1" -f lavfi -i "$tone:duration=1" -c:v libx264 -pix_fmt yuv420p -c:a aac clip.mp4
cp clip.mp4 clip.m4v
ff -f lavfi -i "testsrc=size=320x240:rate=25:duration=1" -f lavfi -i "$tone:duration=1" -c:v libx264 -pix_fmt yuv420p -c:a libvorbis clip.mkv
ff -f lavfi -i "testsrc=size=320x240:rate=25:duration=1" -f lavfi -i "$tone:duration=1" -c:v libvpx -b:v 200k -c:a libopus clip.webm
ff -f lavfi -i "$tone:duration=1" -c:a pcm_s16le sound.wav
ff -f lavfi -i "$tone:duration=1" -c:a flac sound.flac
ff -f lavfi -i "$tone:duration=1" -c:a libvorbis sound.ogg
ff -f lavfi -i "$tone:duration=1" -c:a libopus sound.opus
ff -f lavfi -i "$tone:duration=1" -c:a aac sound.m4a
# Opens, then fails: a valid header followed by garbage.
{ head -c 4000 clip.avi; printf 'garbage\n%.0s' {1..7500}; } > broken.avi
printf 'this is not media\n' > notes.mpg
: > empty.mp3

# Pictures: plain, portrait, and one stored sideways with an EXIF turn.
convert -size 640x480 gradient:red-blue landscape.jpg
convert -size 300x600 gradient:green-yellow portrait.bmp
convert -size 100x100 xc:orange square.gif
cp landscape.jpg landscape.jpeg
convert -size 200x100 gradient:white-purple wide.png
convert -size 100x200 gradient:white-teal tall.webp
# Real, but past Qt's own 128 MB limit once decoded.
ff -f lavfi -i color=navy:s=8000x6000 -frames:v 1 big.gif
convert -size 64x32 gradient:white-black -strip stored.jpg
# An EXIF block saying "turn 90° clockwise to show" (orientation 6).
{ head -c 2 stored.jpg
  printf '\xff\xe1\x00\x22Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08\x00\x01'
  printf '\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00\x00\x00\x00\x00'
  tail -c +3 stored.jpg; } > sideways.jpg
rm stored.jpg
touch "$stamp"
