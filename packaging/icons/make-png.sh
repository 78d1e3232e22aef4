#!/usr/bin/env bash
# Renders the SVG drawings to PNG (needs rsvg-convert, Debian package
# librsvg2-bin): tavrel.svg at the hicolor theme's sizes, and both pictures at
# the sizes the program's tray icon uses. Run it after changing a drawing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$here/tavrel.svg" -o "$here/tavrel-$size.png"
done
for size in 16 22 24 32 48 64; do
    rsvg-convert -w "$size" -h "$size" "$here/tavrel-inactive.svg" -o "$here/tavrel-inactive-$size.png"
done
