#!/usr/bin/env bash
# Writes the ".mov" movies the Windows tests play (MJPEG in the movie container, the form the
# system's media support reads everywhere) into a folder:
#   counting.mov  30 frames of 320 × 240 at 10 a second: the test pattern, 3 s
#   bright.mov    20 frames of 160 × 120 at 10 a second, all one bright colour, 2 s
#   sound.mov     as bright.mov in green, with 2 s of a 440-Hz tone (16-bit stereo PCM)
#   usage: make_movies.sh FOLDER
set -euo pipefail
folder=$1
mkdir -p "$folder"
make() {  # make NAME FRAMES WIDTH HEIGHT SOURCE-OPTIONS
  local name=$1 frames=$2 width=$3 height=$4; shift 4
  gst-launch-1.0 -q videotestsrc num-buffers="$frames" "$@" \
    ! "video/x-raw,width=$width,height=$height,framerate=10/1" ! jpegenc quality=95 ! qtmux \
    ! filesink location="$folder/$name.tmp"
  mv "$folder/$name.tmp" "$folder/$name"
}
make counting.mov 30 320 240
# 0xAARRGGBB
make bright.mov 20 160 120 pattern=solid-color foreground-color=0xFFF0D020
gst-launch-1.0 -q videotestsrc num-buffers=20 pattern=solid-color foreground-color=0xFF20C040 \
  ! video/x-raw,width=160,height=120,framerate=10/1 ! jpegenc quality=95 ! qtmux name=mux \
  ! filesink location="$folder/sound.mov.tmp" \
  audiotestsrc num-buffers=20 samplesperbuffer=4410 ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! mux.
mv "$folder/sound.mov.tmp" "$folder/sound.mov"
ls "$folder"
