#!/usr/bin/env bash
# Measures the album build, an update with nothing to do and the lossless
# turn against yardsticks measured in the same run, each command pinned to
# one core.
#
#   bench/run.sh [BUILD_DIR]            (default: build-bench)
#
# Environment: RUNS (3; the fastest run counts, the largest memory peak),
# QUALITY (90; the jpeg_compress setting, given to every encoder), SMALL and
# LARGE (24 and 4 pictures of 4000x3000 and 6000x4000), BENCH_CACHE (where
# the generated pictures are kept between runs; ~/.cache/pictora-bench).
#
# Yardsticks: bench/baseline_levels (decode once, halve, encode; nothing
# else), vipsthumbnail and ImageMagick making the same sizes where they are
# installed, and jpegtran for the turn.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-bench}
runs=${RUNS:-3}
quality=${QUALITY:-90}
small=${SMALL:-24}
large=${LARGE:-4}
box=1024
cache=${BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pictora-bench}

command -v taskset >/dev/null || { echo "taskset (util-linux) is needed" >&2; exit 1; }
cmake -S "$top" -B "$build" -G Ninja -DPICTORA_BENCH=ON >/dev/null
cmake --build "$build" --target pictora-cli make_corpus baseline_levels measure -j2 >/dev/null
cli=$build/cli/pictora-cli
measure=$build/bench/measure

corpus=$cache/corpus-$small-$large
if [[ ! -d $corpus ]]; then
  echo "generating $small + $large pictures into $corpus" >&2
  mkdir -p "$cache"
  rm -rf "$corpus.part" && mkdir "$corpus.part"
  "$build/bench/make_corpus" "$corpus.part" "$small" "$large"
  mv "$corpus.part" "$corpus"
fi
pictures=("$corpus"/*.JPG)

load_before=$(cut -d" " -f1-3 /proc/loadavg)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
settings=(--quiet --set "shrink_size=$box,$box" --set "jpeg_compress=$quality")

# run NAME PREPARE COMMAND...: runs PREPARE (a shell snippet, e.g. clearing
# the output) then COMMAND under measure, $runs times; keeps the least
# seconds and the largest peak in seconds[NAME], rss[NAME], faults[NAME].
declare -A seconds rss faults
run() {
  local name=$1 prepare=$2
  shift 2
  local i line s k f
  for ((i = 0; i < runs; i++)); do
    eval "$prepare"
    "$measure" taskset -c 0 "$@" >/dev/null 2>"$work/measure.log" ||
      { cat "$work/measure.log" >&2; echo "$name failed" >&2; exit 1; }
    line=$(tail -n 1 "$work/measure.log")
    s=$(sed 's/.*seconds=\([0-9.]*\).*/\1/' <<<"$line")
    k=$(sed 's/.*max_rss_kib=\([0-9]*\).*/\1/' <<<"$line")
    f=$(sed 's/.*minor_faults=\([0-9]*\).*/\1/' <<<"$line")
    if [[ -z ${seconds[$name]:-} ]] || awk -v a="$s" -v b="${seconds[$name]}" 'BEGIN { exit !(a < b) }'; then
      seconds[$name]=$s
      faults[$name]=$f
    fi
    if ((k > ${rss[$name]:-0})); then rss[$name]=$k; fi
  done
}

# Level sizes: halved until the picture fits the box, and one level more.
levels_of() {
  local w=$1 h=$2 n=0
  while ((w > box || h > box)); do w=$((w / 2)); h=$((h / 2)); n=$((n + 1)); done
  echo $((n + 1))
}

run make-album 'rm -rf "$work/book"; mkdir -p "$work/book"' \
  "$cli" "${settings[@]}" make-album "$corpus" "$work/book/album" --title bench
run update ':' "$cli" "${settings[@]}" update "$work/book"
run baseline 'rm -rf "$work/baseline"' \
  "$build/bench/baseline_levels" "$quality" "$box" "$box" "$work/baseline" "${pictures[@]}"

# The other tools make size1 .. size<levels> of every picture; they get
# "LEVELS:WIDTH:PATH" for each (the corpus lists the small pictures first).
jobs=()
for ((i = 0; i < ${#pictures[@]}; i++)); do
  if ((i < small)); then w=4000 h=3000; else w=6000 h=4000; fi
  jobs+=("$(levels_of $w $h):$w:${pictures[i]}")
done
# vipsthumbnail decodes once per level, with its shrink-on-load.
if command -v vipsthumbnail >/dev/null; then
  cat >"$work/vips.sh" <<'VIPS'
out=$1 quality=$2; shift 2
for job; do
  n=${job%%:*} rest=${job#*:}; w=${rest%%:*} p=${rest#*:}
  for ((k = 1; k <= n; k++)); do
    mkdir -p "$out/size$k"
    vipsthumbnail "$p" --size "$((w >> k))x" -o "$out/size$k/%s.JPG[Q=$quality]"
  done
done
VIPS
  run vipsthumbnail 'rm -rf "$work/vips"' bash "$work/vips.sh" "$work/vips" "$quality" "${jobs[@]}"
fi
# ImageMagick decodes once and box-halves level after level (-scale 50%).
magick=
for tool in magick convert; do
  if command -v $tool >/dev/null && $tool -version 2>/dev/null | grep -q '^Version: ImageMagick'; then
    magick=$tool
    break
  fi
done
if [[ -n $magick ]]; then
  cat >"$work/magick.sh" <<'MAGICK'
tool=$1 out=$2 quality=$3; shift 3
for job; do
  n=${job%%:*} p=${job#*:*:}
  args=()
  for ((k = 1; k <= n; k++)); do
    mkdir -p "$out/size$k"
    args+=(-scale 50% -write "$out/size$k/${p##*/}")
  done
  "$tool" "$p" -quality "$quality" "${args[@]}" null:
done
MAGICK
  run imagemagick 'rm -rf "$work/magick"' bash "$work/magick.sh" "$magick" "$work/magick" "$quality" "${jobs[@]}"
fi

cat >"$work/turn.sh" <<'TURN'
tool=$1 out=$2; shift 2
mkdir -p "$out"
for p; do
  if [[ $tool == jpegtran ]]; then
    jpegtran -rotate 90 -copy none -outfile "$out/${p##*/}" "$p"
  else
    "$tool" jpeg rotate 1 "$p" "$out/${p##*/}"
  fi
done
TURN
run rotate 'rm -rf "$work/turned"' bash "$work/turn.sh" "$cli" "$work/turned" "${pictures[@]}"
if command -v jpegtran >/dev/null; then
  run jpegtran 'rm -rf "$work/turned"' bash "$work/turn.sh" jpegtran "$work/turned" "${pictures[@]}"
fi

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
# One decoded picture of the largest size, 3 bytes a pixel.
largest_kib=$(( (large > 0 ? 6000 * 4000 : 4000 * 3000) * 3 / 1024 ))
budget_kib=$(awk -v d="$largest_kib" 'BEGIN { printf "%d", 2.5 * d + 64 * 1024 }')

printf '%s; %d x 4000x3000 + %d x 6000x4000, quality %d, box %dx%d, best of %d\n' \
  "$(uname -srm)" "$small" "$large" "$quality" "$box" "$box" "$runs"
printf 'load average before: %s\n' "$load_before"
printf '%-16s %9s %10s %13s\n' command seconds 'peak MiB' 'minor faults'
for name in make-album baseline vipsthumbnail imagemagick update rotate jpegtran; do
  [[ -n ${seconds[$name]:-} ]] || { printf '%-16s %9s\n' "$name" 'not installed'; continue; }
  printf '%-16s %9.2f %10s %13s\n' "$name" "${seconds[$name]}" "$(mib "${rss[$name]}")" "${faults[$name]}"
done
printf 'load average after:  %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
echo
printf 'make-album / baseline   %s  (target <= 1.15)\n' "$(ratio "${seconds[make-album]}" "${seconds[baseline]}")"
printf 'make-album peak memory  %s MiB against 2.5 x %s MiB + 64 MiB = %s MiB\n' \
  "$(mib "${rss[make-album]}")" "$(mib "$largest_kib")" "$(mib "$budget_kib")"
printf 'update / make-album     %s  (target < 0.05)\n' "$(ratio "${seconds[update]}" "${seconds[make-album]}")"
if [[ -n ${seconds[jpegtran]:-} ]]; then
  printf 'rotate / jpegtran       %s  (target <= 1.1)\n' "$(ratio "${seconds[rotate]}" "${seconds[jpegtran]}")"
fi
