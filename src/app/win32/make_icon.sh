#!/usr/bin/env bash
# Draws the application icon, zarvo750.ico: a white "Z" over the 750-pixel
# module band on a blue tile. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 256x256 xc:none \
  -fill '#1e63d6' -draw 'roundrectangle 8,8 248,248 40,40' \
  -fill '#ffffff' -draw 'polygon 64,60 196,60 196,92 110,180 196,180 196,212 60,212 60,180 146,92 64,92' \
  -fill '#ffcc33' -draw 'rectangle 40,224 216,236' \
  -define icon:auto-resize=256,48,32,16 zarvo750.ico
