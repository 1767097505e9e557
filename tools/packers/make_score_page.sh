#!/usr/bin/env bash
# Draws one placeholder page of a piano-conductor score (ImageMagick): staves of four bars
# (as many as BARS needs) with bar numbers and a few note heads, a heading and the
# page number.
#   make_score_page.sh OUT.png PAGE FIRST_BAR BARS "Heading"
set -euo pipefail
out=$1 page=$2 first_bar=$3 bars=$4 heading=$5
systems=$(( (bars + 3) / 4 ))
font=/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf
bold=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
lines="" notes="" numbers=()
y=190 bar=$first_bar
for ((system = 0; system < systems; ++system)); do
  for l in 0 1 2 3 4; do lines+=" line 80,$((y + l * 12)) 770,$((y + l * 12))"; done
  for b in 0 1 2 3 4; do lines+=" line $((80 + b * 172)),$y $((80 + b * 172)),$((y + 48))"; done
  for n in 0 1 2 3 4 5 6 7 8 9 10 11; do
    x=$((105 + n * 56)); step=$(( (page * 7 + system * 5 + n * 3) % 9 ))
    cy=$((y + 48 - step * 6)); notes+=" ellipse $x,$cy 7,5 0,360 line $((x + 6)),$cy $((x + 6)),$((cy - 34))"
  done
  numbers+=(-annotate "+74+$((y - 22))" "$bar")
  y=$((y + 108)); bar=$((bar + 4))
done
convert -size 850x1100 xc:white -stroke black -strokewidth 1 -draw "$lines" -fill black -draw "$notes" -stroke none \
  -font "$font" -pointsize 14 -gravity northwest "${numbers[@]}" \
  -font "$bold" -pointsize 30 -gravity north -annotate +0+70 "$heading" \
  -font "$font" -pointsize 20 -gravity south -annotate +0+40 "$page" "$out"
