#!/bin/sh
# Redraws the application icon from the camera picture's source: a square canvas around
# it, as SVG and as PNG at the sizes desktops ask for. The results are committed.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
sed 's|width="240" height="276" viewBox="0 0 240 276"|width="256" height="256" viewBox="-18 0 276 276"|' \
    "$here/../../tools/images/svg/camera.svg" > "$here/ravelo-setup.svg"
for size in 48 128 256; do
    rsvg-convert -w "$size" -h "$size" "$here/ravelo-setup.svg" -o "$here/ravelo-setup-$size.png"
done
