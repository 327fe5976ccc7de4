#!/usr/bin/env bash
# Measures the album build, an update with nothing to do and the lossless
# turn against yardsticks measured in the same run, each command pinned to
# one core; then the build on every processor against one job, the update
# of an unchanged book of 2,000 pictures and of an unchanged album of 100
# short movies (with the number of programs it starts), and where the time
# of a phone card goes.
#
#   bench/run.sh [BUILD_DIR]            (default: build-bench)
#
# Environment: RUNS (3; the fastest run counts, the largest memory peak),
# QUALITY (90; the jpeg_compress setting, given to every encoder), SMALL and
# LARGE (24 and 4 pictures of 4000x3000 and 6000x4000), BOOK (2000 pictures
# of 640x480 in albums of 500), MOVIES (100 movies of 2 s, 640x360), CARD
# (1: the phone card of 40 pictures of 4000x3000 and 5 movies of a minute
# in 1080p, built once for each measure; 0 leaves it out), BENCH_CACHE
# (where the generated pictures and movies are kept between runs;
# ~/.cache/pictora-bench).
#
# Yardsticks: bench/baseline_levels (decode once, halve, encode; nothing
# else), vipsthumbnail (Debian package libvips-tools) and ImageMagick
# (imagemagick) making the same sizes, installed here when run as root, and
# jpegtran for the turn. Programs started are counted with strace.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-bench}
runs=${RUNS:-3}
quality=${QUALITY:-90}
small=${SMALL:-24}
large=${LARGE:-4}
box=1024
cache=${BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pictora-bench}
movies=${MOVIES:-100}
card=${CARD:-1}

command -v taskset >/dev/null || { echo "taskset (util-linux) is needed" >&2; exit 1; }
for need in vipsthumbnail:libvips-tools convert:imagemagick strace:strace; do
  if ! command -v "${need%%:*}" >/dev/null; then
    if ((EUID == 0)); then
      apt-get install -y -qq "${need#*:}" >/dev/null
    else
      echo "${need%%:*} is not installed: the Debian package ${need#*:} has it" >&2
    fi
  fi
done
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
book_pictures=${BOOK:-2000}
small_corpus=$cache/small-$book_pictures
if [[ ! -d $small_corpus ]]; then
  echo "generating $book_pictures pictures into $small_corpus" >&2
  rm -rf "$small_corpus.part" && mkdir -p "$small_corpus.part"
  "$build/bench/make_corpus" "$small_corpus.part" "$book_pictures" 0 640x480
  mv "$small_corpus.part" "$small_corpus"
fi

# make_movies DIR COUNT SIZE SECONDS RATE: COUNT movies MVI_0001.MOV ... of a
# moving test pattern with a tone, H.264 and AAC at a phone's bit rates.
make_movies() {
  local dir=$1 count=$2 size=$3 length=$4 rate=$5 i
  echo "generating $count movies of ${length}s at $size into $dir" >&2
  rm -rf "$dir.part" && mkdir -p "$dir.part"
  for ((i = 1; i <= count; i++)); do
    ffmpeg -nostdin -loglevel error -f lavfi -i "testsrc2=size=$size:rate=30" \
      -f lavfi -i "sine=frequency=$((220 * i)):sample_rate=48000" -t "$length" \
      -c:v libx264 -preset veryfast -b:v "$rate" -pix_fmt yuv420p -c:a aac -b:a 128k \
      "$dir.part/$(printf 'MVI_%04d.MOV' "$i")"
  done
  mv "$dir.part" "$dir"
}
movie_corpus=$cache/movies-$movies
[[ -d $movie_corpus ]] || make_movies "$movie_corpus" "$movies" 640x360 2 2M
card_corpus=$cache/card-40-5
if ((card)) && [[ ! -d $card_corpus ]]; then
  [[ -d $card_corpus.movies ]] || make_movies "$card_corpus.movies" 5 1920x1080 60 16M
  rm -rf "$card_corpus.part" && mkdir -p "$card_corpus.part"
  "$build/bench/make_corpus" "$card_corpus.part" 40 0
  mv "$card_corpus.movies"/*.MOV "$card_corpus.part/" && rmdir "$card_corpus.movies"
  mv "$card_corpus.part" "$card_corpus"
fi

load_before=$(cut -d" " -f1-3 /proc/loadavg)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
settings=(--quiet --set "shrink_size=$box,$box" --set "jpeg_compress=$quality")

# run NAME PREPARE COMMAND...: runs PREPARE (a shell snippet, e.g. clearing
# the output) then COMMAND under measure, $runs times, pinned to one core
# unless pin is empty; keeps the least seconds (with that run's processor
# seconds and faults) and the largest peak in seconds[NAME], cpu[NAME],
# rss[NAME], faults[NAME].
declare -A seconds cpu rss faults
pin=(taskset -c 0)
run() {
  local name=$1 prepare=$2
  shift 2
  local i line s c k f
  for ((i = 0; i < runs; i++)); do
    eval "$prepare"
    "$measure" "${pin[@]}" "$@" >/dev/null 2>"$work/measure.log" ||
      { cat "$work/measure.log" >&2; echo "$name failed" >&2; exit 1; }
    line=$(tail -n 1 "$work/measure.log")
    s=$(sed 's/^seconds=\([0-9.]*\) .*/\1/' <<<"$line")
    c=$(sed 's/.*cpu_seconds=\([0-9.]*\).*/\1/' <<<"$line")
    k=$(sed 's/.*max_rss_kib=\([0-9]*\).*/\1/' <<<"$line")
    f=$(sed 's/.*minor_faults=\([0-9]*\).*/\1/' <<<"$line")
    if [[ -z ${seconds[$name]:-} ]] || awk -v a="$s" -v b="${seconds[$name]}" 'BEGIN { exit !(a < b) }'; then
      seconds[$name]=$s
      cpu[$name]=$c
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
  "$cli" "${settings[@]}" make-album "$corpus" "$work/book/album" --title bench --jobs 1
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
for tool in magick /usr/bin/convert convert; do
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

# One job against every processor, both free to use any core.
procs=$(nproc)
pin=()
run make-album-jobs-1 'rm -rf "$work/book"; mkdir -p "$work/book"' \
  "$cli" "${settings[@]}" make-album "$corpus" "$work/book/album" --title bench --jobs 1
run make-album-jobs-$procs 'rm -rf "$work/book"; mkdir -p "$work/book"' \
  "$cli" "${settings[@]}" make-album "$corpus" "$work/book/album" --title bench --jobs "$procs"
# A book of camera cards of 500 small pictures, built once, then updated
# with nothing changed on every processor.
small_pictures=("$small_corpus"/*.JPG)
mkdir -p "$work/book2000/txt"
for ((a = 0; a * 500 < ${#small_pictures[@]}; a++)); do
  picks=()
  for p in "${small_pictures[@]:a * 500:500}"; do picks+=(--pick "${p##*/}"); done
  "$cli" "${settings[@]}" make-album "$small_corpus" "$work/book2000/card$a" --title "card $a" "${picks[@]}"
done
run update-$book_pictures ':' "$cli" "${settings[@]}" update "$work/book2000"

# An album of short movies, built once, then updated with nothing changed,
# pinned to one core; and the programs that update starts (execve calls
# besides its own).
mkdir -p "$work/movies/txt"
"$cli" "${settings[@]}" make-album "$movie_corpus" "$work/movies/album" --title movies
pin=(taskset -c 0)
run update-movies ':' "$cli" "${settings[@]}" update "$work/movies/album"
programs_started=$(strace -f -qq -z -e trace=execve -o /dev/stdout "$cli" "${settings[@]}" update \
  "$work/movies/album" 2>/dev/null | grep -c 'execve(')
programs_started=$((programs_started - 1))

# The phone card with two jobs, free on every processor, once each: the
# whole card, its pictures alone, its movies alone, the movies with an
# accelerator this machine lacks, and the card's pages alone (written
# again by an update once removed).
card_names=()
if ((card)); then
  pin=()
  card_picks() { local f picks=(); for f in "$card_corpus"/$1; do picks+=(--pick "${f##*/}"); done; echo "${picks[@]}"; }
  read -ra picture_picks <<<"$(card_picks '*.JPG')"
  read -ra movie_picks <<<"$(card_picks '*.MOV')"
  card_album() { rm -rf "$work/card"; mkdir -p "$work/card/txt"; }
  runs_before=$runs runs=1
  run card 'card_album' "$cli" "${settings[@]}" make-album "$card_corpus" "$work/card/album" --title card --jobs 2
  run card-pages 'rm -rf "$work/card/album/index.html" "$work/card/album/list.html" "$work/card/album/html"' \
    "$cli" "${settings[@]}" update "$work/card/album" --jobs 2
  run card-pictures 'card_album' "$cli" "${settings[@]}" make-album "$card_corpus" "$work/card/album" \
    --title card --jobs 2 "${picture_picks[@]}"
  run card-movies 'card_album' "$cli" "${settings[@]}" make-album "$card_corpus" "$work/card/album" \
    --title card --jobs 2 "${movie_picks[@]}"
  run card-movies-hwaccel 'card_album' "$cli" "${settings[@]}" --set 'hwaccel=-hwaccel vaapi' \
    make-album "$card_corpus" "$work/card/album" --title card --jobs 2 "${movie_picks[@]}"
  runs=$runs_before
  card_names=(card card-pictures card-movies card-movies-hwaccel card-pages)
fi

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
# One decoded picture of the largest size, 3 bytes a pixel.
largest_kib=$(( (large > 0 ? 6000 * 4000 : 4000 * 3000) * 3 / 1024 ))
# One picture's working set: the decoded picture and half as much again for
# its levels' encoder; and a fixed 64 MiB for the program and its pages.
budget_kib() { awk -v n="$1" -v d="$largest_kib" 'BEGIN { printf "%d", n * 1.5 * d + 64 * 1024 }'; }

printf '%s, %s; %d x 4000x3000 + %d x 6000x4000, quality %d, box %dx%d, best of %d\n' \
  "$(date '+%Y-%m-%d %H:%M')" "$(uname -srm)" "$small" "$large" "$quality" "$box" "$box" "$runs"
printf 'load average before: %s\n' "$load_before"
printf '%-18s %9s %9s %10s %13s\n' command seconds 'CPU s' 'peak MiB' 'minor faults'
for name in make-album baseline vipsthumbnail imagemagick update rotate jpegtran \
  make-album-jobs-1 make-album-jobs-$procs update-$book_pictures update-movies "${card_names[@]}"; do
  [[ -n ${seconds[$name]:-} ]] || { printf '%-18s %9s\n' "$name" 'not installed'; continue; }
  printf '%-18s %9.2f %9.2f %10s %13s\n' "$name" "${seconds[$name]}" "${cpu[$name]}" "$(mib "${rss[$name]}")" \
    "${faults[$name]}"
done
printf '(make-album to jpegtran and update-movies pinned to one core, the others free on %d processors;\n' "$procs"
printf ' the card once each)\n'
printf 'load average after:  %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
echo
printf 'make-album / baseline   %s  (target <= 1.15)\n' "$(ratio "${seconds[make-album]}" "${seconds[baseline]}")"
printf 'make-album peak memory  %s MiB against 1.5 x %s MiB + 64 MiB = %s MiB\n' \
  "$(mib "${rss[make-album]}")" "$(mib "$largest_kib")" "$(mib "$(budget_kib 1)")"
printf -- '--jobs %d peak memory   %s MiB against %d x 1.5 x %s MiB + 64 MiB = %s MiB\n' "$procs" \
  "$(mib "${rss[make-album-jobs-$procs]}")" "$procs" "$(mib "$largest_kib")" "$(mib "$(budget_kib "$procs")")"
printf -- '--jobs 1 / --jobs %d     %s  (target >= %s)\n' "$procs" \
  "$(ratio "${seconds[make-album-jobs-1]}" "${seconds[make-album-jobs-$procs]}")" \
  "$(awk -v p="$procs" 'BEGIN { printf "%.1f", 0.8 * p }')"
printf 'update of %d pictures  %.2f s  (target < 0.5)\n' "$book_pictures" "${seconds[update-$book_pictures]}"
for peer in vipsthumbnail imagemagick; do
  [[ -n ${cpu[$peer]:-} ]] || continue
  printf '%-14s CPU / make-album CPU  %s%s\n' "$peer" "$(ratio "${cpu[$peer]}" "${cpu[make-album]}")" \
    "$([[ $peer == vipsthumbnail ]] && echo '  (target >= 3)')"
done
printf 'update / make-album     %s  (target < 0.05)\n' "$(ratio "${seconds[update]}" "${seconds[make-album]}")"
if [[ -n ${seconds[jpegtran]:-} ]]; then
  printf 'rotate / jpegtran       %s, CPU %s  (target <= 1.05)\n' "$(ratio "${seconds[rotate]}" "${seconds[jpegtran]}")" \
    "$(ratio "${cpu[rotate]}" "${cpu[jpegtran]}")"
fi
printf 'update of %d movies    %.2f s, %d programs started  (target < 0.5 s, 0)\n' "$movies" \
  "${seconds[update-movies]}" "$programs_started"
if ((card)); then
  printf 'card of 40 pictures and 5 movies of a minute, --jobs 2: %.1f s; pictures alone %.1f s, movies alone %.1f s,\n' \
    "${seconds[card]}" "${seconds[card-pictures]}" "${seconds[card-movies]}"
  printf '  its pages alone %.2f s; movies with an absent accelerator %.1f s\n' "${seconds[card-pages]}" \
    "${seconds[card-movies-hwaccel]}"
fi
