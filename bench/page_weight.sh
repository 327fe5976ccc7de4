#!/usr/bin/env bash
# What a phone loads to show an album page: an album of 40 camera pictures
# (the samples of ../shared/testdata/exif-samples) built by pictora-cli, its
# page opened in headless Chromium in a frame of 390 x 844 CSS pixels at
# three device pixels to the CSS pixel, and the bytes of the picture file
# the browser chose for each image added up, in the responsive style and,
# as the baseline of the same run, in the classic one. "first screen"
# counts the pictures a phone loads before the visitor scrolls: those that
# begin within the first 844 pixels and those not marked lazy (headless
# Chromium loads lazy pictures at once, so the rest is counted apart).
#
#   bench/page_weight.sh [BUILD_DIR]     (default: build)
#
# Prints one line per style and the ratio of the first screens.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
samples=$top/../shared/testdata/exif-samples/jpg
cli=$build/cli/pictora-cli
[[ -x $cli ]] || { echo "$cli is not built: scripts/build.sh $build" >&2; exit 1; }
[[ -d $samples ]] || { echo "$samples is absent" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config HOME=$work LC_ALL=C

# The first 40 camera pictures in name order, the damaged ones left out,
# named after their folder so that no two share a name.
mkdir -p "$work/camera"
find "$samples" -name '*.jpg' ! -path '*/invalid/*' ! -name 'corrupted.jpg' | sort | head -40 |
  while read -r file; do
    rel=${file#"$samples"/}
    ln -s "$file" "$work/camera/${rel//\//-}"
  done
"$cli" --quiet make-album "$work/camera" "$work/book/album" --title "Forty pictures" 2>/dev/null

# Lists every picture of the frame's page that has loaded, once the page
# has settled, as "FIRST-SCREEN URL".
cat > "$work/weigh.html" <<'EOF'
<html><body style="margin:0"><pre id="out"></pre><script>
const frame = document.createElement('iframe');
frame.style.cssText = 'border:0;width:390px;height:844px';
frame.onload = () => setTimeout(() => {
  const loaded = Array.from(frame.contentDocument.images).filter(img => img.complete && img.naturalWidth > 0);
  const first = img => img.loading != 'lazy' || img.getBoundingClientRect().top < 844;
  document.getElementById('out').textContent = loaded.map(img => (first(img) ? '1 ' : '0 ') + img.currentSrc).join('\n');
  frame.remove();
}, 5000);
frame.src = location.hash.substring(1);
document.body.prepend(frame);
</script></body></html>
EOF

weigh() {
  local style=$1 urls bytes=0 count=0 first_bytes=0 first_count=0 path size
  "$cli" --quiet --set "page_style=$style" update "$work/book/album" 2>/dev/null
  urls=$(chromium --headless --disable-gpu --no-sandbox --user-data-dir="$work/profile-$style" \
    --allow-file-access-from-files --force-device-scale-factor=3 --window-size=490,944 \
    --virtual-time-budget=30000 --dump-dom "file://$work/weigh.html#file://$work/book/album/index.html" 2>/dev/null |
    sed -n '/<pre id="out">/,/<\/pre>/p' | sed 's/<[^>]*>//g')
  while read -r first url; do
    [[ -n $url ]] || continue
    path=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.unquote(sys.argv[1][7:]))' "$url")
    size=$(stat -L -c %s "$path")
    bytes=$((bytes + size))
    count=$((count + 1))
    if [[ $first == 1 ]]; then
      first_bytes=$((first_bytes + size))
      first_count=$((first_count + 1))
    fi
  done <<< "$urls"
  echo "$style: first screen $first_count pictures, $((first_bytes / 1024)) KiB; whole page $count pictures, $((bytes / 1024)) KiB"
  eval "${style}_bytes=$first_bytes"
}

weigh classic
weigh responsive
python3 -c "import sys; print(f'first screen, responsive / classic: {int(sys.argv[1]) / int(sys.argv[2]):.3f}')" \
  "$responsive_bytes" "$classic_bytes"
