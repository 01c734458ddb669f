#!/usr/bin/env bash
# Draws every image of the application icon from its one source,
# zarvo750.mvg (256 by 256 units): the hicolor PNGs of the Linux package and
# the Qt window (48 and 256 pixels) and the Windows icon with 16, 32, 48 and
# 256 pixels. The images are committed, so that a build needs no ImageMagick;
# run this after a change of the source, and `bash check-icons.sh` tells
# whether the committed images are those the source draws.
# Usage: make-icons.sh [OUTPUT_DIR]   (default: the committed places)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-}
png_dir=${out:-$here}
ico_dir=${out:-$here/../../src/app/win32}

# Drawn four times larger and scaled down, for smooth edges at every size.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -background none -density 288 "mvg:$here/zarvo750.mvg" -resize 256x256 \
  "png32:$work/master.png"
# No time stamps or other metadata: the same source gives the same bytes.
strip=(-strip -define png:exclude-chunks=date,time)
for size in 48 256; do
  convert "$work/master.png" -resize "${size}x${size}" "${strip[@]}" \
    "png32:$png_dir/zarvo750-$size.png"
done
convert "$work/master.png" "${strip[@]}" -define icon:auto-resize=256,48,32,16 \
  "$ico_dir/zarvo750.ico"
