#!/bin/sh
# Renders the PNG images of the bundle from their SVG sources in this folder.
# Needs rsvg-convert (Debian package librsvg2-bin) and the Liberation fonts; the PNGs are
# committed, so neither the build nor the tests need this script.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$here/..
rsvg-convert -w 256 -h 256 "$here/corvane.svg" -o "$out/corvane.png"
rsvg-convert -w 960 -h 250 "$here/corvane_logo_light_long.svg" -o "$out/corvane_logo_light_long.png"
rsvg-convert -w 640 -h 400 "$here/splash.svg" -o "$out/splash.png"
rsvg-convert -w 480 -h 160 "$here/zarn_flat_logo.svg" -o "$out/zarn_flat_logo.png"
# the edit bar shows this one at 18 by 18: twice that keeps it sharp on dense screens
rsvg-convert -w 36 -h 36 "$here/edit_transpose.svg" -o "$out/edit_transpose.png"
