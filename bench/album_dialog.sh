#!/usr/bin/env bash
# How the window program keeps up with a large camera folder: opens the
# album creation dialog over PICTURES pictures of 4000x3000 without EXIF
# thumbnails (so every thumbnail is a reduced decode), on an X server of its
# own, and reads the program's main-loop meter (PICTORA_LOOP_LOG): the time
# from the click on New Album to the dialog on the screen, until every
# button is there and until every thumbnail is in, and the longest stall of
# the main loop meanwhile. With BUILD=1 it then presses OK and measures the
# stalls while the album is built under the progress window.
#
#   bench/album_dialog.sh [BUILD_DIR]            (default: build-bench)
#
# Environment: PICTURES (300), DISTINCT (12: different pictures generated,
# the others hard links to them), BUILD (0), RUNS (3), BENCH_CACHE (where the
# camera folder is kept between runs; ~/.cache/pictora-bench), LOOP_LOGS (a
# folder to keep the meter logs in).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-bench}
pictures=${PICTURES:-300}
distinct=${DISTINCT:-12}
runs=${RUNS:-3}
cache=${BENCH_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pictora-bench}

for tool in Xvfb xdotool dbus-run-session; do
  command -v $tool >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done
cmake -S "$top" -B "$build" -G Ninja -DPICTORA_BENCH=ON >/dev/null
cmake --build "$build" --target pictora make_corpus -j2 >/dev/null

camera=$cache/camera-$pictures-$distinct-nothumb
if [[ ! -d $camera ]]; then
  echo "generating $distinct pictures for $pictures files into $camera" >&2
  rm -rf "$camera.part" && mkdir -p "$camera.part"
  "$build/bench/make_corpus" "$camera.part" "$distinct" 0 --no-thumbnail
  for ((i = distinct + 1; i <= pictures; i++)); do
    ln "$camera.part/$(printf 'P%04u.JPG' $(((i - 1) % distinct + 1)))" "$camera.part/$(printf 'P%04u.JPG' "$i")"
  done
  mv "$camera.part" "$camera"
fi

screen=1920x1080
# shellcheck source=bench/window_session.sh
. "$top/bench/window_session.sh"
unset GDK_SCALE

printf '%s; %d pictures of 4000x3000 without EXIF thumbnails (%d distinct); load average %s\n' \
  "$(uname -srm)" "$pictures" "$distinct" "$(cut -d' ' -f1-3 /proc/loadavg)"
# Stalls as "longest/busiest": the longest gap of the main loop, and the
# most the main thread itself ran within one gap.
printf '%-4s %8s %11s %14s %13s' run 'shown ms' 'buttons ms' 'thumbnails ms' 'stall ms'
[[ ${BUILD:-0} == 1 ]] && printf ' %9s %13s %13s' 'build s' 'stall ms' 'closing ms'
echo
for ((run = 1; run <= runs; run++)); do
  rm -rf "$work/book" && mkdir -p "$work/book"
  printf 'album=%s\r\n' "$work/book" >"$work/config/pictora/pictora.ini"
  log=${LOOP_LOGS:-$work}/loop-$run.log
  args=("$build/app/pictora" "$camera" "$work/book" "$log")
  [[ ${BUILD:-0} == 1 ]] && args+=(build)
  dbus-run-session -- /usr/bin/python3 "$top/bench/album_dialog.py" "${args[@]}" >"$work/drive.log" 2>&1 ||
    { cat "$work/drive.log" >&2; exit 1; }
  asked=$(ms "album dialog asked")
  done_at=$(ms "thumbnails done")
  printf '%-4s %8.0f %11.0f %14.0f %13s' "$run" "$(awk -v a="$asked" -v b="$(ms "album dialog shown")" 'BEGIN { print b - a }')" \
    "$(awk -v a="$asked" -v b="$(ms "buttons built")" 'BEGIN { print b - a }')" \
    "$(awk -v a="$asked" -v b="$done_at" 'BEGIN { print b - a }')" "$(stall "$asked" "$done_at")"
  if [[ ${BUILD:-0} == 1 ]]; then
    started=$(ms "build started") ended=$(ms "build ended")
    # The stalls while the album is built, and of the dialog closing after it.
    printf ' %9.1f %13s %13s' "$(awk -v a="$started" -v b="$ended" 'BEGIN { print (b - a) / 1000 }')" \
      "$(stall "$started" "$ended")" "$(stall "$ended" 1e12)"
  fi
  echo
done
