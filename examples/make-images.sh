#!/bin/sh
# Draws the sample product's logo and icon and the default program icon with
# ImageMagick. The results are kept in the repository; run this only to
# change them (fonts and noise differ a little between ImageMagick versions).
# usage: examples/make-images.sh
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The logo: a starfield over a nebula, a quasar, a planet's rim, the title.
W=330 H=150
convert -size ${W}x${H} gradient:'#0d1638'-'#020308' bg.png
convert -size ${W}x${H} -seed 11 plasma:fractal -blur 0x10 -colorspace gray -auto-level -level 35%,100% \
  \( -size ${W}x${H} gradient:'#4a2a8a'-'#0f5a7a' \) -compose multiply -composite nebula.png
convert bg.png nebula.png -compose screen -composite -modulate 100,110 base.png
convert -size ${W}x${H} xc:black -seed 5 -channel R -fx 'rand()>0.995 ? rand()*0.7+0.3 : 0' -separate +channel small.png
convert -size ${W}x${H} xc:black -seed 9 -channel R -fx 'rand()>0.9988 ? 1 : 0' -separate +channel \
  -morphology Dilate Disk:1 -blur 0x0.7 big.png
convert small.png big.png -compose lighten -composite stars.png
convert -size ${W}x${H} xc:black -fill white -draw "circle 265,48 268,48" -blur 0x2 \
  \( -size ${W}x${H} xc:black -fill '#7fc8ff' -draw "circle 265,48 285,48" -blur 0x14 \) -compose screen -composite \
  \( -size ${W}x${H} xc:black -stroke '#9fd8ff' -strokewidth 1 -draw "line 265,8 265,88" -blur 0x1.2 \) -compose screen -composite \
  quasar.png
convert base.png stars.png -compose screen -composite quasar.png -compose screen -composite \
  \( -size ${W}x${H} xc:black -fill '#060a16' -stroke '#ffc070' -strokewidth 1.2 -draw "circle 360,420 360,128" -blur 0x0.8 \) -compose screen -composite \
  \( -size ${W}x${H} xc:black -fill none -stroke '#ff8c30' -strokewidth 5 -draw "circle 360,420 360,128" -blur 0x5 \) -compose screen -composite \
  \( -size ${W}x${H} xc:white -fill '#04060e' -draw "circle 360,420 360,129.5" -blur 0x0.6 \) -compose darken -composite \
  sky.png
convert sky.png \
  \( -size ${W}x${H} xc:none -font AvantGarde-Demi -pointsize 34 -kerning 3 -fill '#6fb8ff' -gravity west \
     -annotate +22-8 'QUASARINE' -blur 0x4 \) -compose screen -composite \
  -font AvantGarde-Demi -pointsize 34 -kerning 3 -fill '#eef4ff' -gravity west -annotate +22-8 'QUASARINE' \
  -fill '#ffb347' -annotate +246-8 'II' \
  -font AvantGarde-Book -pointsize 10 -kerning 1.5 -fill '#a9bde0' -annotate +24+22 'A VOYAGE THROUGH THE LANTERN NEBULA' \
  -alpha off -type TrueColor BMP3:"$root/examples/quasarine/logo.bmp"

# The game's icon: a quasar with its jets and a tilted disk on a dark badge.
S=256
convert -size ${S}x${S} xc:none -fill '#0b1433' -stroke '#2b4a8f' -strokewidth 8 -draw "circle 128,128 128,10" badge.png
convert -size ${S}x${S} xc:black \
  \( -size ${S}x${S} xc:black -fill none -stroke '#ffb347' -strokewidth 14 -draw "ellipse 128,128 92,30 0,360" \
     -distort SRT 128,128,1,-25 -blur 0x3 \) -compose screen -composite \
  \( -size ${S}x${S} xc:black -stroke '#9fd8ff' -strokewidth 10 -draw "line 128,22 128,234" \
     -distort SRT 128,128,1,-25 -blur 0x4 \) -compose screen -composite \
  \( -size ${S}x${S} xc:black -fill '#7fc8ff' -draw "circle 128,128 128,70" -blur 0x22 \) -compose screen -composite \
  \( -size ${S}x${S} xc:black -fill white -draw "circle 128,128 128,104" -blur 0x6 \) -compose screen -composite \
  glow.png
convert badge.png \( glow.png \( -size ${S}x${S} xc:black -fill white -draw "circle 128,128 128,14" \) \
  -alpha off -compose copy_opacity -composite \) -compose screen -composite \
  -define icon:auto-resize=48,32,16 "$root/examples/quasarine/icon.ico"

# The default icon of a product without one: a box and an arrow into it.
convert -size ${S}x${S} xc:none \
  -fill '#00000030' -stroke none -draw "roundrectangle 40,118 226,242 18,18" \
  -fill '#8a96a8' -stroke '#4a5668' -strokewidth 6 -draw "roundrectangle 32,108 224,236 16,16" \
  -fill '#a9b4c4' -stroke '#4a5668' -strokewidth 6 -draw "roundrectangle 24,96 232,140 12,12" \
  -fill '#4a5668' -stroke none -draw "rectangle 100,150 156,162" \
  -fill '#2f7fd6' -stroke '#1b4f8c' -strokewidth 6 -draw "polygon 104,14 152,14 152,64 186,64 128,122 70,64 104,64" \
  -define icon:auto-resize=48,32,16 "$root/resources/default.ico"
