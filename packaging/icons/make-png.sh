#!/usr/bin/env bash
# Renders tavrel.svg to the PNG sizes of the hicolor theme (needs rsvg-convert,
# Debian package librsvg2-bin). Run it after changing the drawing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$here/tavrel.svg" -o "$here/tavrel-$size.png"
done
