#!/usr/bin/env bash
# Writes HEIC, AVIF and WebP pictures made by Debian's independent encoders, and what
# Debian's independent decoders make of them (PNG), into a folder, for the loaders' tests to
# compare with pixel for pixel:
#   photo.heic  photo.avif     a 61 × 37 colour picture (heif-enc, HEVC and AV1)
#   alpha.heic                 a 45 × 29 picture whose opacity runs from 0 to full
#   deep.heic                  a 33 × 21 picture of 10-bit samples, from a 16-bit PNG
#   alpha.avif  deep.avif      the same as AVIF (deep.avif 4:2:0 by avifenc: heif-enc's AV1
#                              encoder fails at 10 bits)
#   photo422.avif photo444.avif grey.avif   photo.png with other chroma layouts (grey by avifenc)
#   photo.webp  alpha.webp     lossy, and lossless with alpha (cwebp)
#   anim.webp                  two frames (img2webp); anim.first.png is its first frame
#   turned.webp                photo.webp with an EXIF chunk naming orientation 6 (webpmux)
#   red.heic green.avif blue.webp yellow.tiled.tif   64 × 48 of one colour each, for the show
#   LAYOUT.tif, LAYOUT.tiled.tif  TIFFs in strips (ImageMagick) and the same in 16 × 16 tiles
#                  (tiffcp -t), LAYOUT one of rgb8 rgba8 rgb16 gray16 planar palette zip
#   turned.heic turned-mirrored.heic turned.avif   photo.heic and photo.avif with a rotation
#                  (and a mirroring) added by HEIF_BOXES (tests/heif_boxes.cpp), when given
#   source-example.heic source-example.avif source-test.webp   the pictures libheif's and
#                  libwebp's Debian source packages ship, from SOURCES (build-win-deps.sh keeps
#                  them); source-example.heic holds two pictures, its primary one first;
#                  heif-damaged/  the damaged files of libheif's fuzzing corpus
# Each NAME.EXT has NAME.EXT.png beside it from heif-convert or dwebp, and photo.avif and
# source-example.avif also NAME.EXT.avifdec.png from avifdec.
#   usage: make_picture_samples.sh FOLDER SOURCES [HEIF_BOXES]
set -euo pipefail
folder=$1
sources=$2
heif_boxes=${3:-}
mkdir -p "$folder"
cd "$folder"
quiet() { "$@" >/dev/null 2>&1 || { echo "make_picture_samples: failed: $*" >&2; exit 1; }; }

# Sources: smooth ramps with some noise, odd sizes, so that chroma subsampling and edges show.
quiet convert -size 61x37 gradient:'#c02010-#10a0f0' -seed 7 -attenuate 0.3 +noise Gaussian -depth 8 photo.png
quiet convert -size 45x29 gradient:'#f0c000-#2040c0' \( -size 45x29 gradient:white-black -rotate 90 -resize 45x29! \) \
  -alpha off -compose CopyOpacity -composite -depth 8 PNG32:alpha.png
quiet convert -size 33x21 gradient:'#ff0000-#0000ff' -depth 16 PNG48:deep.png

quiet heif-enc -q 90 photo.png -o photo.heic
quiet heif-enc -A -q 90 photo.png -o photo.avif
quiet heif-enc -q 90 alpha.png -o alpha.heic
quiet heif-enc -q 90 -b 10 deep.png -o deep.heic
quiet heif-enc -A -q 90 alpha.png -o alpha.avif
quiet avifenc -d 10 -y 420 deep.png deep.avif
quiet heif-enc -A -q 90 -p chroma=422 photo.png -o photo422.avif
quiet heif-enc -A -q 90 -p chroma=444 photo.png -o photo444.avif
quiet avifenc -y 400 photo.png grey.avif
for f in photo.heic photo.avif alpha.heic deep.heic alpha.avif deep.avif photo422.avif photo444.avif grey.avif; do
  quiet heif-convert "$f" "$f.png"
done
quiet avifdec -u nearest photo.avif photo.avif.avifdec.png
if [[ -n $heif_boxes ]]; then
  # A quarter turn anticlockwise; three quarters, then mirrored (imir axis 1); a half turn.
  quiet "$heif_boxes" turn photo.heic turned.heic 1
  quiet "$heif_boxes" turn photo.heic turned-mirrored.heic 3 1
  quiet "$heif_boxes" turn photo.avif turned.avif 2 0
  for f in turned.heic turned-mirrored.heic turned.avif; do quiet heif-convert "$f" "$f.png"; done
fi

if [[ -f $sources/example.heic ]]; then
  cp "$sources/example.heic" source-example.heic
  cp "$sources/example.avif" source-example.avif
  cp "$sources/test.webp" source-test.webp
  # heif-convert writes each of the file's two pictures, in the order it lists them.
  quiet heif-convert source-example.heic source-example.heic.all.png
  mv source-example.heic.all-1.png source-example.heic.png
  rm source-example.heic.all-*.png
  quiet heif-convert source-example.avif source-example.avif.png
  # The example lacks a property the strict reading requires.
  quiet avifdec --no-strict -u nearest source-example.avif source-example.avif.avifdec.png
  quiet dwebp source-test.webp -o source-test.webp.png
  rm -rf heif-damaged
  cp -r "$sources/heif-damaged" heif-damaged
fi

quiet cwebp -q 80 photo.png -o photo.webp
quiet cwebp -lossless -exact alpha.png -o alpha.webp
quiet convert photo.png -flop flopped.png
quiet img2webp -loop 0 -lossless photo.png -lossy -q 50 flopped.png -o anim.webp
for f in photo.webp alpha.webp; do quiet dwebp "$f" -o "$f.png"; done
quiet webpmux -get frame 1 anim.webp -o anim.first.webp
quiet dwebp anim.first.webp -o anim.first.png
# A TIFF structure of one entry, little-endian: orientation (0x0112), SHORT, 1, value 6.
printf 'II*\0\10\0\0\0\1\0\22\1\3\0\1\0\0\0\6\0\0\0\0\0\0\0' >exif.bin
quiet webpmux -set exif exif.bin photo.webp -o turned.webp

quiet convert -size 64x48 xc:'#c00000' PNG24:red.png
quiet heif-enc -q 90 red.png -o red.heic
quiet convert -size 64x48 xc:'#00c000' PNG24:green.png
quiet heif-enc -A -q 90 green.png -o green.avif
quiet convert -size 64x48 xc:'#0000c0' PNG24:blue.png
quiet cwebp -q 90 blue.png -o blue.webp
quiet convert -size 64x48 xc:'#f0e020' -depth 8 -compress none yellow.tif
quiet tiffcp -t -w 16 -l 16 yellow.tif yellow.tiled.tif

quiet convert photo.png -depth 8 -compress none rgb8.tif
quiet convert alpha.png -depth 8 -compress none rgba8.tif
quiet convert deep.png -depth 16 -compress none rgb16.tif
quiet convert deep.png -colorspace Gray -depth 16 -compress none gray16.tif
quiet convert photo.png -interlace plane -depth 8 -compress none planar.tif
quiet convert photo.png -colors 200 -type Palette -compress none palette.tif
quiet convert photo.png -depth 8 -compress none zip.tif
for layout in rgb8 rgba8 rgb16 gray16 planar palette; do quiet tiffcp -t -w 16 -l 16 "$layout.tif" "$layout.tiled.tif"; done
quiet tiffcp -c zip -t -w 32 -l 16 zip.tif zip.tiled.tif
ls
