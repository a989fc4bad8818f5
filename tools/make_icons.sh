#!/bin/sh
# Renders the application's icons from the drawings in tools/icons/ into
# resources/ico/. Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert;
# only needed to regenerate the icons, not to build. The results are committed.
#
#   tools/make_icons.sh
#
# Button icons: 16 x 16 PNG plus a 32 x 32 "@2x" twin that Qt picks on HiDPI
# screens. Window icon: code_radio.ico with 16, 24, 32, 48 and 256 px images
# (16 and 24 from the simplified small drawing).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
src="$here/icons"
out="$here/../resources/ico"
mkdir -p "$out"

for tool in rsvg-convert convert; do
    command -v "$tool" >/dev/null 2>&1 || {
        echo "make_icons.sh: $tool not found (apt-get install librsvg2-bin imagemagick)" >&2
        exit 1
    }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# PNGs written without time stamps so that a re-run gives identical bytes.
png() { # svg size output
    rsvg-convert -w "$2" -h "$2" "$1" -o "$tmp/raw.png"
    convert "$tmp/raw.png" -strip -define png:exclude-chunks=date,time "PNG32:$3"
}

for name in document folder-horizontal-open disk disk--plus lifebuoy information gear; do
    png "$src/$name.svg" 16 "$out/$name.png"
    png "$src/$name.svg" 32 "$out/$name@2x.png"
done

for size in 16 24; do
    png "$src/code_radio_small.svg" "$size" "$tmp/code_radio_$size.png"
done
for size in 32 48 256; do
    png "$src/code_radio.svg" "$size" "$tmp/code_radio_$size.png"
done
convert "$tmp/code_radio_16.png" "$tmp/code_radio_24.png" "$tmp/code_radio_32.png" \
        "$tmp/code_radio_48.png" "$tmp/code_radio_256.png" \
        -strip -define png:exclude-chunks=date,time "$out/code_radio.ico"

echo "icons written to $out"
