#!/usr/bin/env bash
# Draws the tray image (a monitor with two calibration targets) and the Windows icon with ImageMagick.
# Run by hand after changing the drawing; the outputs are committed.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 256x256 xc:none \
  -fill '#2b2f36' -draw 'roundrectangle 16,28 240,196 14,14' \
  -fill '#a9d8f5' -draw 'rectangle 30,42 226,182' \
  -fill '#2b2f36' -draw 'polygon 108,196 148,196 160,228 96,228' \
  -fill '#2b2f36' -draw 'roundrectangle 64,226 192,240 6,6' \
  -fill white -stroke '#2b2f36' -strokewidth 2 -draw 'circle 58,70 58,88' \
  -fill '#e02424' -stroke none -draw 'circle 58,70 58,78' \
  -fill '#f4f8fb' -stroke '#2b2f36' -strokewidth 5 -draw 'rectangle 104,92 206,166' \
  -fill '#2b2f36' -stroke none -draw 'rectangle 104,92 206,104' \
  -fill white -stroke '#2b2f36' -strokewidth 2 -draw 'circle 124,124 124,136' \
  -fill '#e02424' -stroke none -draw 'circle 124,124 124,130' \
  PNG32:kov-calibration.png
convert kov-calibration.png -resize 128x128 orvessa.ico
