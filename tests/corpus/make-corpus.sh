#!/bin/bash
# Builds a folder of broken and hostile files of the kinds found in
# downloads and old archives, beside a few good ones.
# Usage: make-corpus.sh DIR PORT FIXTURES
#   PORT: a local port the tests listen on; files that would fetch or
#         stream name it.
set -euo pipefail
out=${1:?usage: make-corpus.sh DIR PORT FIXTURES}
port=${2:?}
fixtures=$(realpath "${3:?}")
url="http://127.0.0.1:$port"
mkdir -p "$out"
cd "$out"

# Good clips and pictures, some with odd names: the loop must reach them all.
cp "$fixtures/clip.mpg" good-clip.mpg
cp "$fixtures/short.wave" good-short.wave
cp "$fixtures/song.mp3" "曲 テスト.mp3"
cp "$fixtures/clip.avi" "$(printf 'sjis-\x8b\xc8.avi')"
cp "$fixtures/short.wave" "  spaced  .wave"
cp "$fixtures/landscape.jpg" good.jpg
cp "$fixtures/square.gif" "$(printf 'bad\xff.gif')"
cp "$fixtures/big.gif" big.gif

# Playlists, references and streams inside media files.
printf '#EXTM3U\n%s/a.mp3\n' "$url" > m3u.avi
printf '[playlist]\nFile1=%s/b.mp3\nNumberOfEntries=1\n' "$url" > pls.mpg
printf '# mpv EDL v0\n%s/c.mp3,0,5\n' "$url" > edl.mpeg
printf '#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n%s/d.ts\n#EXT-X-ENDLIST\n' "$url" > hls.mp3
printf 'v=0\no=- 0 0 IN IP4 127.0.0.1\ns=x\nc=IN IP4 127.0.0.1\nt=0 0\nm=audio %s RTP/AVP 0\n' "$port" > sdp.mov
printf '%s/e.rm\nrtsp://127.0.0.1:%s/f.rm\n' "$url" "$port" > net.ram
printf 'self.ram\n' > self.ram
printf 'self.ram\nnet.ram\n' > nested.ram
printf '%s/e.rm\ngood-short.wave\n' "$url" > mixed.ram
head -c 60000 /dev/zero | tr '\0' 'x' > longline.ram
head -c 100000 /dev/zero | tr '\0' '\n' > huge.ram
for i in $(seq 1001); do echo "good-short.wave"; done > many.ram

# Things that are not files. Device nodes of the corpus's own (the zero,
# random and null devices' numbers), never links to the system's: a fault
# that wrote through one would only harm this folder.
if [ "$(id -u)" -eq 0 ]; then
    mknod zero.ram c 1 5
    mknod urandom.ram c 1 9
    mknod null.avi c 1 3
    mknod zero.jpg c 1 5
fi
mkfifo pipe.ram pipe.mpg pipe.jpg
ln -s missing-target dangling.avi
mkdir folder.avi folder.jpg

# Broken media and pictures.
: > empty.mp3
: > empty.gif
printf 'this is not media\n' > text.mov
printf 'this is not a picture\n' > text.bmp
head -c 2048 "$fixtures/clip.avi" > truncated.avi
head -c 3000 "$fixtures/landscape.jpg" > truncated.jpg
head -c 100000 /dev/urandom > random.mpg
truncate -s 10G sparse.avi
# A GIF header claiming 60000 × 60000 pixels.
printf 'GIF89a\x60\xea\x60\xea\xf0\x00\x00\x00\x00\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x60\xea\x60\xea\x00\x02\x02\x44\x01\x00\x3b' > bomb.gif

# Folders: a loop, and a deep chain with a clip at the bottom.
mkdir -p loop && ln -s .. loop/up
deep=deep
for i in $(seq 300); do deep="$deep/d"; done
mkdir -p "$deep"
cp "$fixtures/short.wave" "$deep/deep.wave"
