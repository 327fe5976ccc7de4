#!/usr/bin/env bash
# Makes the sample of the main job in DIR: a camera folder (sample-camera.sh)
# and, built from it with pictora-cli, the book DIR/book holding the album
# "2026-05-01 Walk" with a few picks, its index page and its "_Best" and
# "_BestBook" collections. The end-to-end test of the window program uses it
# as its album base.
# Usage: sample-book.sh DIR PICTORA-CLI
set -euo pipefail
sample=${1:?usage: sample-book.sh DIR PICTORA-CLI}
cli=${2:?usage: sample-book.sh DIR PICTORA-CLI}
top=$(cd "$(dirname "$0")/.." && pwd)

rm -rf "$sample"
# The book's title and comments, in the files the book editor writes.
mkdir -p "$sample/book/txt"
printf 'Sample book\r\nSample book\r\nMade by scripts/run.\r\n' >"$sample/book/txt/head.txt"
printf 'Pictora\r\n' >"$sample/book/txt/last.txt"
echo "Making a camera folder in $sample/camera ..."
"$top/scripts/sample-camera.sh" "$sample/camera"

album="$sample/book/2026-05-01 Walk"
"$cli" make-album "$sample/camera" "$album" --title "A walk in May" \
  --head $'Pictures, a movie and a sound\nfrom the walk.' --last "Thanks for looking."
# Some picks, as the album editor would save them.
printf 'P1000001.JPG\r\nP1000003.JPG\r\nP1000005.MOV\r\n' >"$album/txt/good.txt"
printf 'P1000003.JPG\r\n' >"$album/txt/best.txt"
"$cli" update "$sample/book"
"$cli" best "$sample/book"
"$cli" best-book "$sample/book" best
