#!/usr/bin/env bash
# Draws the window's background picture and the browse button's glyph (our own artwork).
# Needs ImageMagick's `convert`; the results are committed, so the build never runs this.
set -euo pipefail
convert=/usr/bin/convert # Debian package imagemagick
cd "$(dirname "$0")/.."
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
light=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# 554 x 401, dark where the white labels sit (date and version at the top right, the contact
# lines at the bottom left), the maker's name large on the left.
"$convert" -size 554x401 gradient:'#0b2545'-'#13315c' \
  -fill '#1d4e89' -draw "polygon 0,240 554,120 554,401 0,401" \
  -fill '#0b2545' -draw "rectangle 0,300 196,401" \
  -fill '#8da9c4' -draw "rectangle 24,40 30,220" \
  -font "$font" -pointsize 64 -fill '#eef4ed' -annotate +44+110 'VEXO' \
  -font "$light" -pointsize 20 -fill '#8da9c4' -annotate +46+142 'Contabilidad' \
  -font "$light" -pointsize 20 -fill '#8da9c4' -annotate +46+168 'para Windows' \
  -font "$light" -pointsize 9 -fill '#eef4ed' -annotate +46+198 'Programas de gestión Dalvo' \
  -quality 90 -sampling-factor 2x2 -strip data/background.jpg

# 16 x 16 folder glyph for the browse buttons.
"$convert" -size 16x16 xc:none \
  -fill '#e8b84a' -stroke '#8a6a1f' -strokewidth 1 \
  -draw "polygon 1,4 6,4 7,6 14,6 14,13 1,13" \
  -fill '#f5d27a' -stroke none -draw "rectangle 2,8 13,12" \
  -strip data/browse-glyph.png
echo "data/background.jpg and data/browse-glyph.png written"
