#!/usr/bin/env bash
# convertImage against ImageMagick's convert, one process each, on the same 1600 x 900 sprite
# sheet from the stand-in: JPEG to 24-bit BMP. The second run converts a 1 x 1 picture, which
# is mostly each program's start-up: subtract it to compare the conversions alone.
#   bench/preview_load/convert_vs_imagemagick.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build/default}
work=$(mktemp -d)
trap 'kill "${standin_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

"$build/tools/standin/arlo-standin" >"$work/port" 2>/dev/null &
standin_pid=$!
for _ in $(seq 50); do [[ -s $work/port ]] && break; sleep 0.1; done
port=$(head -1 "$work/port")
id=$(curl -s -H 'Host: www.pptvshows.invalid' "http://127.0.0.1:$port/show/test-1380.html" |
  sed -n 's/.*{"id":\([^,]*\),.*/\1/p')
curl -s -H 'Host: s1.pptvpictures.invalid' -o "$work/sheet.jpg" \
  "http://127.0.0.1:$port/0/${id}_6_10x10_0_720.jpg"

convert -size 1x1 xc:gray "$work/tiny.jpg"
for picture in sheet tiny; do
  hyperfine --warmup 3 --min-runs 30 -N \
    -n "convertImage $picture" \
    "$build/bench/preview_load/arlo-convert-image $work/$picture.jpg $work/a.bmp 1" \
    -n "imagemagick $picture" "convert $work/$picture.jpg BMP3:$work/b.bmp"
done
