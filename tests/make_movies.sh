#!/usr/bin/env bash
# Writes the ".mov" movies the Windows tests play (MJPEG in the movie container, the form the
# system's media support reads everywhere) into a folder:
#   counting.mov  30 frames of 320 × 240 at 10 a second: the test pattern, 3 s
#   bright.mov    20 frames of 160 × 120 at 10 a second, all one bright colour, 2 s
#   sound.mov     as bright.mov in green, with 2 s of a 440-Hz tone (16-bit stereo PCM)
# and phone videos (H.264 in an MP4 container, as phones record them):
#   phone.mp4     60 frames of 320 × 240 at 30 a second, the test pattern, 2 s
#   phone-sound.mp4  as phone.mp4, with 2 s of a tone in AAC
#   portrait.mp4  as phone.mp4, its track header turned a quarter clockwise (a portrait video)
#   portrait.mov  as counting.mov, turned the same way: one the movie library reads everywhere
#   bright.mp4    as bright.mov in H.264 (2 s at 30 a second)
#   bright-portrait.mov  as bright.mov, turned a quarter clockwise
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

# Writes the matrix of a quarter turn clockwise (a = 0, b = 1, c = -1, d = 0 in 16.16, w = 1 in
# 2.30) into the first track header of a file whose movie atom comes first (faststart): 40
# bytes into the version-0 header's body, which begins 4 bytes after its type.
turn_quarter() {
  local offset
  offset=$(grep -obUa tkhd "$1" | head -n 1 | cut -d: -f1)
  printf '\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\xff\xff\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x40\x00\x00\x00' |
    dd of="$1" bs=1 seek=$((offset + 4 + 40)) conv=notrunc status=none
}
phone() {  # phone NAME WIDTH HEIGHT SOURCE-OPTIONS [-- more pipeline]
  local name=$1 width=$2 height=$3; shift 3
  local source=() more=()
  while (($#)) && [[ $1 != -- ]]; do source+=("$1"); shift; done
  (($#)) && shift && more=("$@")
  gst-launch-1.0 -q videotestsrc num-buffers=60 "${source[@]}" \
    ! "video/x-raw,width=$width,height=$height,framerate=30/1" ! x264enc ! video/x-h264,stream-format=avc \
    ! mp4mux faststart=true name=mux ! filesink location="$folder/$name.tmp" "${more[@]}"
}
phone phone.mp4 320 240
mv "$folder/phone.mp4.tmp" "$folder/phone.mp4"
phone phone-sound.mp4 320 240 -- audiotestsrc num-buffers=90 ! audioconvert ! avenc_aac ! mux.
mv "$folder/phone-sound.mp4.tmp" "$folder/phone-sound.mp4"
phone portrait.mp4 320 240
turn_quarter "$folder/portrait.mp4.tmp"
mv "$folder/portrait.mp4.tmp" "$folder/portrait.mp4"
phone bright.mp4 160 120 pattern=solid-color foreground-color=0xFFF0D020
mv "$folder/bright.mp4.tmp" "$folder/bright.mp4"
turned_mov() {  # turned_mov NAME FRAMES WIDTH HEIGHT SOURCE-OPTIONS
  local name=$1 frames=$2 width=$3 height=$4; shift 4
  gst-launch-1.0 -q videotestsrc num-buffers="$frames" "$@" \
    ! "video/x-raw,width=$width,height=$height,framerate=10/1" ! jpegenc quality=95 ! qtmux faststart=true \
    ! filesink location="$folder/$name.tmp"
  turn_quarter "$folder/$name.tmp"
  mv "$folder/$name.tmp" "$folder/$name"
}
turned_mov portrait.mov 30 320 240
turned_mov bright-portrait.mov 20 160 120 pattern=solid-color foreground-color=0xFFF0D020
ls "$folder"
