#!/usr/bin/env bash
# How the album editor keeps up with a large album: an album of PICTURES
# pictures of 4000x3000 (DISTINCT of them built by pictora-cli, the others
# hard links to their files under new names, as a real album lists them),
# opened from the book editor on an X server of its own. From the program's
# main-loop meter (PICTORA_LOOP_LOG): the time until the rows near the view
# are built and until their thumbnails are in, the longest main-loop stall
# while they come and while the list is scrolled from top to bottom, the
# time of Apply on the unchanged album, how many picture files that Apply
# rewrote, and the program's peak memory.
#
#   bench/album_editor.sh [BUILD_DIR]            (default: build-bench)
#
# Environment: PICTURES (1000), DISTINCT (12), RUNS (3), SCALE (1; 2 for a
# HiDPI display), BENCH_CACHE (~/.cache/pictora-bench).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-bench}
pictures=${PICTURES:-1000}
distinct=${DISTINCT:-12}
runs=${RUNS:-3}
cache=${BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pictora-bench}

for tool in Xvfb xdotool dbus-run-session; do
  command -v $tool >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done
cmake -S "$top" -B "$build" -G Ninja -DPICTORA_BENCH=ON >/dev/null
cmake --build "$build" --target pictora pictora-cli make_corpus -j2 >/dev/null

screen=2560x1440
# shellcheck source=bench/window_session.sh
. "$top/bench/window_session.sh"
export GDK_SCALE=${SCALE:-1}

# The album, kept between runs: DISTINCT pictures built, the rest linked.
album=$cache/album-$pictures-$distinct
if [[ ! -d $album/book ]]; then
  rm -rf "$album" && mkdir -p "$album/camera"
  "$build/bench/make_corpus" "$album/camera" "$distinct" 0
  "$build/cli/pictora-cli" --quiet make-album "$album/camera" "$album/book/Day" --title "A long day"
  for dir in "$album/book/Day"/{original,size*,thumb}; do
    for ((i = distinct + 1; i <= pictures; i++)); do
      ln "$dir/$(printf 'P%04u.JPG' $(((i - 1) % distinct + 1)))" "$dir/$(printf 'P%04u.JPG' "$i")"
    done
  done
fi

printf 'album=%s\r\n' "$album/book" >"$work/config/pictora/pictora.ini"

printf '%s; an album of %d pictures of 4000x3000 (%d distinct), scale %s; load average %s\n' \
  "$(uname -srm)" "$pictures" "$distinct" "${SCALE:-1}" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-4s %8s %14s %13s %13s %9s %10s %9s\n' run 'rows ms' 'thumbnails ms' 'stall ms' 'scroll ms' 'apply s' 'rewritten' 'peak MiB'
for ((run = 1; run <= runs; run++)); do
  log=$work/loop-$run.log
  touch "$work/before"
  sleep 1
  dbus-run-session -- /usr/bin/python3 "$top/bench/album_editor.py" "$build/app/pictora" "$album/book" Day "$log" \
    >/dev/null 2>"$work/drive.err" || { cat "$work/drive.err" >&2; exit 1; }
  asked=$(ms "picture list asked")
  rows=$(ms "picture rows built") thumbs=$(ms "picture thumbnails done")
  started=$(ms "album update started") ended=$(ms "album update ended")
  rewritten=$(find "$album/book/Day"/{size*,thumb} -type f -newer "$work/before" | wc -l)
  printf '%-4s %8.0f %14.0f %13s %13s %9.1f %10d %9d\n' "$run" "$(awk -v a="$asked" -v b="$rows" 'BEGIN { print b - a }')" \
    "$(awk -v a="$asked" -v b="$thumbs" 'BEGIN { print b - a }')" "$(stall "$asked" "$thumbs")" \
    "$(stall "$thumbs" "$started")" "$(awk -v a="$started" -v b="$ended" 'BEGIN { print (b - a) / 1000 }')" "$rewritten" \
    $(($(<"$log.peak") / 1024))
done
