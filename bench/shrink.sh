#!/usr/bin/env bash
# Measures building an album of large pictures against a baseline measured in
# the same run, and an update with nothing to do against the build.
#
# Baseline: what a per-size tool does, one decode and one encode per level,
# each level decoded from the original (djpeg -scale 1/2^k | cjpeg) at the
# same quality. Pictora decodes each picture once and halves its pixels for
# every smaller level, and an update re-encodes nothing that is current.
#
# Usage: bench/shrink.sh [PICTURES] [BUILD_DIR]   (defaults: 8, build)
# Prints seconds and ratios; smaller ratios are better.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-8}
build=${2:-$top/build}
cli="$build/cli/pictora-cli"
[[ -x "$cli" ]] || { echo "build first: scripts/build.sh $build" >&2; exit 1; }
for tool in ffmpeg djpeg cjpeg; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (scripts/deps.sh --tests)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/camera" "$work/book" "$work/baseline"
for i in $(seq 1 "$count"); do
  ffmpeg -v error -f lavfi -i "mandelbrot=size=4000x3000:start_scale=$i" -frames:v 1 -q:v 2 \
    "$work/camera/P$(printf %04d "$i").JPG"
done

size=1024
quality=90
settings=(--quiet --set "shrink_size=$size,$size" --set "jpeg_compress=$quality")
now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { print b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

# Levels as the album holds them: full size, then halved until the picture
# fits the box, and one level more.
levels=0
width=4000
while ((width > size)); do width=$((width / 2)); levels=$((levels + 1)); done

start=$(now)
for picture in "$work"/camera/*.JPG; do
  name=$(basename "$picture")
  for k in $(seq 0 $((levels + 1))); do
    mkdir -p "$work/baseline/size$k"
    djpeg -scale "1/$((1 << k))" "$picture" | cjpeg -quality "$quality" >"$work/baseline/size$k/$name"
  done
done
baseline=$(seconds "$start" "$(now)")

start=$(now)
"$cli" "${settings[@]}" make-album "$work/camera" "$work/book/album" --title bench >/dev/null
build=$(seconds "$start" "$(now)")

start=$(now)
"$cli" "${settings[@]}" update "$work/book" >/dev/null
update=$(seconds "$start" "$(now)")

printf '%d pictures of 4000x3000, %d levels each\n' "$count" "$((levels + 2))"
printf 'baseline (decode per level)   %8.2f s\n' "$baseline"
printf 'make-album (decode once)      %8.2f s   ratio to baseline %s\n' "$build" "$(ratio "$build" "$baseline")"
printf 'update, nothing to do         %8.2f s   ratio to make-album %s\n' "$update" "$(ratio "$update" "$build")"
