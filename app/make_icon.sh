#!/usr/bin/env bash
# Draws varnoth.ico: two browser panes side by side on a dark screen, at 32 x 32
# and 16 x 16. Needs ImageMagick. Run from anywhere; writes next to this script.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# One drawing per size, so the small icon stays crisp instead of being scaled.
# Each pane: a blue title strip over a white body; a gap splits the screen.
convert -size 32x32 xc:none \
    -fill '#2b3a4a' -draw 'roundrectangle 0,2 31,29 3,3' \
    -fill '#ffffff' -draw 'rectangle 2,4 14,27' \
    -fill '#ffffff' -draw 'rectangle 17,4 29,27' \
    -fill '#2f7de1' -draw 'rectangle 2,4 14,8' \
    -fill '#2f7de1' -draw 'rectangle 17,4 29,8' \
    -fill '#c9d6e3' -draw 'rectangle 4,11 12,12' -draw 'rectangle 4,15 10,16' \
    -fill '#c9d6e3' -draw 'rectangle 19,11 27,12' -draw 'rectangle 19,15 25,16' \
    "PNG32:$work/32.png"
convert -size 16x16 xc:none \
    -fill '#2b3a4a' -draw 'rectangle 0,1 15,14' \
    -fill '#ffffff' -draw 'rectangle 1,2 6,13' \
    -fill '#ffffff' -draw 'rectangle 9,2 14,13' \
    -fill '#2f7de1' -draw 'rectangle 1,2 6,4' \
    -fill '#2f7de1' -draw 'rectangle 9,2 14,4' \
    "PNG32:$work/16.png"
convert "$work/32.png" "$work/16.png" "$here/varnoth.ico"
echo "wrote $here/varnoth.ico"
