#!/usr/bin/env bash
# Packs the demo show (demo/show) into the demo server root (demo/server-root): the show's files,
# album art and placeholder score pages drawn here, change log 1.0 and the shared 2.0 (stored
# enciphered, so "get latest log" exercises the key path). Needs the built show_packer.
#   tools/packers/pack_demo.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=${1:?usage: pack_demo.sh BUILD_DIR}
demo="$root/demo"
here="$root/tools/packers"
font=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf

mkdir -p "$demo/score-pages" "$demo/album-art"
# Pages as demo/show/show.json maps them: page, first bar, bars on the page, heading.
while IFS='|' read -r page first bars heading; do
  "$here/make_score_page.sh" "$demo/score-pages/page$page.png" "$page" "$first" "$bars" "$heading"
done <<'PAGES'
1|1|4|No. 1 — Overture
2|5|4|Overture (continued)
3|1|12|No. 2 — Waltz of the Lanterns
4|0|9|No. 3 — Harbour Song
5|1|10|No. 4 — Reprise
6|1|6|No. 5 — Bows
PAGES
convert -size 600x600 gradient:'#1d2b53-#7e2553' -fill '#ffcc66' -draw "circle 300,260 300,200" \
  -font "$font" -pointsize 64 -gravity south -annotate +0+110 "Lanterns" \
  -pointsize 24 -fill white -annotate +0+70 "Demo show" -quality 90 "$demo/album-art/AlbumArtwork.jpg"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -r "$demo/show/." "$stage/"
cp "$demo/changelogs/lanterns-2.0.logdata" "$stage/"
"$build_dir/tools/packers/show_packer" --show "$stage" --out "$demo/server-root" --replace \
  --auth 6c616e7465726e732d64656d6f2d6b6579 --id lanterns --name "Lanterns" --customer "Hall Theatre" \
  --account "demo-account" --pages "$demo/score-pages" --score-name lanterns \
  --add "$demo/album-art/AlbumArtwork.jpg" --encipher lanterns-2.0.logdata
