#!/bin/sh
# Builds the bad-input corpus in OUTPUT_FOLDER: bitmaps written by ImageMagick's own
# writers (BMP2, BMP3 and BMP with its V5 header; 24-bit, 32-bit, 16-bit bitfields,
# 8-bit palette, RLE8, 1-bit; sizes on and off the 160 grid, below and at 480), then the
# hand-made damaged files of DAMAGE_TOOL.
#
# Usage: make-corpus.sh OUTPUT_FOLDER DAMAGE_TOOL
# Needs ImageMagick (Debian package imagemagick: the convert command, or magick).
set -eu

out=$1
damage=$2
mkdir -p "$out"

if command -v magick >/dev/null 2>&1; then
    im="magick"
elif command -v convert >/dev/null 2>&1 && convert -version 2>/dev/null | grep -q ImageMagick; then
    im="convert"
else
    echo "make-corpus: ImageMagick is missing (apt-get install imagemagick)" >&2
    exit 1
fi

# A map-like picture, the same on every run: smooth colour fields with sharp edges.
picture() {  # WIDTH HEIGHT OUTPUT-OPTIONS... OUTPUT
    w=$1 h=$2
    shift 2
    $im -size "${w}x${h}" gradient:'#2a6f3a-#d8c89a' \
        \( -size "${h}x${w}" gradient:'#1e4f9c-#f2efe4' -rotate 90 \) \
        -compose multiply -composite -fill '#3060c0' -draw "rectangle 40,40 $((w / 3)),$((h / 4))" \
        -alpha off "$@"
}

make() {  # NAME WIDTH HEIGHT OPTIONS...
    name=$1 w=$2 h=$3
    shift 3
    # The last option names the writer (BMP3: and so on); the file name follows it.
    picture "$w" "$h" "$@$out/$name.bmp"
}

# Written the way ImageMagick writes the kind the converter takes.
make im-bmp3-24-480x480   480 480 -type TrueColor BMP3:
make im-bmp3-24-640x480   640 480 -type TrueColor BMP3:
make im-bmp3-24-480x640   480 640 -type TrueColor BMP3:
make im-bmp5-24-800x640   800 640 -type TrueColor BMP:
# Kinds that must be refused.
make im-bmp3-32-alpha     480 480 -alpha set -define bmp3:alpha=true BMP3:
make im-bmp5-32-bitfields 480 480 -alpha set -type TrueColorAlpha BMP:
make im-bmp5-16-rgb565    480 480 -alpha off -define bmp:subtype=RGB565 BMP:
make im-bmp3-16-rgb555    480 480 -define bmp:subtype=RGB555 BMP3:
make im-bmp3-8-palette    480 480 -colors 200 -type Palette -compress None BMP3:
make im-bmp3-8-rle8       480 480 -colors 200 -type Palette -compress RLE BMP3:
make im-bmp3-1-bilevel    480 480 -monochrome BMP3:
# Sizes off the 160 grid or below 480.
make im-bmp3-24-500x480   500 480 -type TrueColor BMP3:
make im-bmp3-24-480x500   480 500 -type TrueColor BMP3:
make im-bmp3-24-470x640   470 640 -type TrueColor BMP3:
make im-bmp3-24-640x470   640 470 -type TrueColor BMP3:
make im-bmp3-24-400x400   400 400 -type TrueColor BMP3:
make im-bmp3-24-320x320   320 320 -type TrueColor BMP3:
make im-bmp3-24-650x650   650 650 -type TrueColor BMP3:

# BMP2 writes the 12-byte OS/2 header: read as the 40-byte header, its "bits per pixel"
# are pixel bytes. A plain colour keeps that value fixed (0x1E0A = 7690).
$im -size 480x480 'xc:rgb(10,20,30)' -type TrueColor "BMP2:$out/im-bmp2-24-480x480.bmp"

"$damage" "$out"
echo "make-corpus: $(ls "$out" | wc -l) files in $out"
