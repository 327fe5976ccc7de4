#!/usr/bin/env bash
# Builds the Debian package from the tested build, installs it with apt, runs
# the installed pictora-cli over the sample camera folder as a user would,
# then purges it and checks that none of its files are left. Run as root.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(scripts/package.sh build)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A package left by an interrupted run goes first, so that this one is tested.
dpkg -s pictora >/dev/null 2>&1 && apt-get purge -y -qq pictora >/dev/null
# apt needs the package lists only when a dependency is still to be fetched.
apt-get install -y -qq "$deb" >/dev/null || { apt-get update -qq && apt-get install -y -qq "$deb" >/dev/null; }
scripts/sample-camera.sh "$scratch/camera"
album="$scratch/book/2026-05-01 Walk"
# A book with a title, as the book editor writes it.
mkdir -p "$scratch/book/txt"
printf 'Our pictures\r\nOur pictures\r\n' >"$scratch/book/txt/head.txt"
(cd / && HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" /usr/bin/pictora-cli --quiet make-album \
  "$scratch/camera" "$album" --title "A walk") 2>"$scratch/errors" || { cat "$scratch/errors"; exit 1; }
[[ ! -s "$scratch/errors" ]] || { echo "The installed pictora-cli reported:" >&2; cat "$scratch/errors" >&2; exit 1; }
for page in "$scratch/book/index.html" "$album/index.html" "$album/list.html" "$album/html/P1000003_1.html"; do
  [[ -s "$page" ]] || { echo "The installed pictora-cli wrote no $page" >&2; exit 1; }
done
for file in "$scratch"/camera/*.{JPG,MOV,WAV}; do
  name=$(basename "$file")
  cmp "$file" "$album/original/$name"
  grep -qF "$name" "$album/index.html" || { echo "The album page misses $name" >&2; exit 1; }
done
apt-get purge -y -qq pictora >/dev/null
status=$(dpkg-query -W -f='${Status}' pictora 2>/dev/null || true)
[[ -z $status || $status == *not-installed ]] || { echo "pictora is left as: $status" >&2; exit 1; }
# What is left of the package's paths may only be folders of other packages.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\.||; s|/$||' | while read -r path; do
  if [[ -n $path && -e $path ]] && ! { [[ -d $path ]] && dpkg-query -S "$path" >/dev/null 2>&1; }; then
    echo "Left after purging the package: $path" >&2
    exit 1
  fi
done
echo "The package installed, built an album with its pages and was purged without a trace."
