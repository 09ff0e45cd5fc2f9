#!/usr/bin/env bash
# Times our image operations and their peers (OpenCV, Pillow, libvips,
# ImageMagick from Debian's packages) on the same 3840 x 2160 24-bit picture
# in one run, one thread each, and prints one table of ratios: ours divided
# by the fastest peer, with outputs reused and with fresh allocations.
#
#   bench/peers/compare.sh [build-dir]     (default build/native)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build/native}"
python=/usr/bin/python3   # Debian's, which sees python3-opencv and python3-pil

need=()
"$python" -c 'import cv2' 2>/dev/null || need+=(python3-opencv)
"$python" -c 'import PIL' 2>/dev/null || need+=(python3-pil)
pkg-config --exists vips || need+=(libvips-dev)
pkg-config --exists MagickWand || need+=(libmagickwand-dev)
command -v convert >/dev/null || need+=(imagemagick)
command -v vips >/dev/null || need+=(libvips-tools)
if ((${#need[@]})); then
  echo "installing ${need[*]}" >&2
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >&2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
fi
ninja -C "$build" bench_imageops >&2
g++ -O2 -std=c++17 "$here/vips_peers.cpp" -o "$work/vips_peers" $(pkg-config --cflags --libs vips)
gcc -O2 -w "$here/magick_peers.c" -o "$work/magick_peers" $(pkg-config --cflags --libs MagickWand)

echo "timing ours" >&2
"$build/bench/bench_imageops" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.2 --benchmark_format=json > "$work/ours.json"
echo "timing OpenCV and Pillow" >&2
OMP_NUM_THREADS=1 "$python" "$here/python_peers.py" > "$work/python.txt"
echo "timing libvips" >&2
VIPS_CONCURRENCY=1 "$work/vips_peers" | sed 's/^/libvips fresh /' > "$work/vips.txt"
echo "timing ImageMagick" >&2
"$work/magick_peers" | sed 's/^/imagemagick fresh /' > "$work/magick.txt"

"$python" "$here/table.py" "$work/ours.json" "$work/python.txt" "$work/vips.txt" "$work/magick.txt"
