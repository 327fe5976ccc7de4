#!/usr/bin/env bash
# Makes a small camera folder in DIR for trying Pictora out: pictures of
# several sizes and orientations with camera EXIF data and embedded
# thumbnails, a short movie, a sound and a text file. Uses ffmpeg and exiftool.
# Usage: sample-camera.sh DIR
set -euo pipefail
dir=${1:?usage: sample-camera.sh DIR}
mkdir -p "$dir"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# picture NAME WIDTH HEIGHT SOURCE EXIFTOOL-TAGS...: SOURCE is an ffmpeg
# test picture source (testsrc2, mandelbrot, smptehdbars, ...).
picture() {
  local name=$1 width=$2 height=$3 source=$4
  shift 4
  ffmpeg -v error -y -f lavfi -i "$source=size=${width}x${height}:rate=1" \
    -frames:v 1 -q:v 3 "$work/$name"
  ffmpeg -v error -y -i "$work/$name" -vf scale=160:120 -q:v 5 "$work/thumb.jpg"
  exiftool -q -overwrite_original "-ThumbnailImage<=$work/thumb.jpg" "$@" "$work/$name"
  mv "$work/$name" "$dir/$name"
}

picture P1000001.JPG 2048 1536 testsrc2 -Make="OM Digital Solutions" -Model="OM-1" \
  -DateTimeOriginal="2026:05:01 10:20:30" -ExposureProgram#=2 -FocalLength=12 \
  -FocalLengthIn35mmFormat=24 -FNumber=4 -ExposureTime=1/250 -ISO=200 -MeteringMode#=5 \
  -ColorSpace#=1 -Orientation#=1 -LensModel="M.Zuiko 12-40mm F2.8"
picture P1000002.JPG 1600 1200 mandelbrot -Make="Canon" -Model="Canon EOS R6" \
  -DateTimeOriginal="2026:05:01 10:25:00" -ExposureProgram#=3 -FocalLength=50 -FNumber=1.8 \
  -ExposureTime=1/60 -ISO=1600 -MeteringMode#=3 -ExposureCompensation=-1/3 \
  -WhiteBalance#=0 -ColorSpace#=1 -Orientation#=6
picture P1000003.JPG 4000 3000 smptehdbars -Make="NIKON CORPORATION" -Model="NIKON Z 6" \
  -DateTimeOriginal="2026:05:02 18:01:12" -ExposureProgram#=1 -FocalLength=24 -FNumber=8 \
  -ExposureTime=2.5 -ISO=100 -MeteringMode#=5 -EXIF:Flash#=25 -ColorSpace#=1 -Orientation#=1
picture P1000004.JPG 800 600 testsrc -Make="RICOH IMAGING COMPANY, LTD." -Model="GR III" \
  -DateTimeOriginal="2026:05:03 07:45:00" -ExposureProgram#=2 -FocalLength=18.3 \
  -FocalLengthIn35mmFormat=28 -FNumber=2.8 -ExposureTime=1/1000 -ISO=400 -MeteringMode#=5 \
  -ColorSpace#=1 -Orientation#=8

ffmpeg -v error -y -f lavfi -i "testsrc2=size=640x480:rate=25" -f lavfi \
  -i "sine=frequency=440:sample_rate=48000" -t 2 -c:v libx264 -pix_fmt yuv420p -c:a aac \
  "$dir/P1000005.MOV"
ffmpeg -v error -y -f lavfi -i "sine=frequency=660:sample_rate=48000" -t 1 "$dir/P1000006.WAV"
printf 'Notes from the walk.\r\n' >"$dir/NOTES.TXT"
