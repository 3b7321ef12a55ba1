#!/usr/bin/env bash
# Makes the eight benchmark clips, one per input kind, in the given directory (once): by default
# 10 seconds each at a size of its own kind, or of the given length and all of the given size.
# With "phone" in place of the kinds: eight clips that match as a phone's do (H.264 and AAC at
# 48000 Hz in MP4, 30 fps, 1280x720 or the given size), phone1.mp4 to phone8.mp4, to be joined by
# copying.
#
# Usage: make-bench-clips.sh <directory> [seconds] [WxH] [phone]
set -euo pipefail
out="$1"
seconds="${2:-10}"
common_size="${3:-}"
kinds="${4:-every}"
mkdir -p "$out"

ff() { ffmpeg -hide_banner -loglevel fatal -y "$@"; }
# Moving, slightly noisy picture and a tone, so the encoders have work to do.
clip() { # name size rate samplerate codec options...
  local name=$1 size=${common_size:-$2} rate=$3 srate=$4
  shift 4
  [ -f "$out/$name" ] && return
  ff -f lavfi -i "testsrc2=size=$size:rate=$rate:duration=$seconds,noise=alls=8:allf=t" \
     -f lavfi -i "sine=frequency=330:sample_rate=$srate:duration=$seconds" "$@" "$out/$name.part"
  mv "$out/$name.part" "$out/$name"
}
if [ "$kinds" = phone ]; then
  # One clip made, seven copies of it: a copy join does the same work on each. A phone's
  # bitrate, without the noise, which would take many minutes to encode.
  if [ ! -f "$out/phone1.mp4" ]; then
    ff -f lavfi -i "testsrc2=size=${common_size:-1280x720}:rate=30:duration=$seconds" \
       -f lavfi -i "sine=frequency=330:sample_rate=48000:duration=$seconds" \
       -c:v libx264 -preset ultrafast -b:v 8M -g 60 -pix_fmt yuv420p -c:a aac -b:a 128k -f mp4 \
       "$out/phone1.mp4.part"
    mv "$out/phone1.mp4.part" "$out/phone1.mp4"
  fi
  for i in 2 3 4 5 6 7 8; do
    [ -f "$out/phone$i.mp4" ] || cp "$out/phone1.mp4" "$out/phone$i.mp4"
  done
  exit 0
fi
clip clip.avi 640x480 25 44100 -c:v mpeg4 -q:v 4 -c:a libmp3lame -f avi
clip clip.mpg 352x288 25 44100 -c:v mpeg1video -b:v 1500k -c:a mp2 -f mpeg
clip clip.mpeg 720x576 25 48000 -c:v mpeg2video -b:v 4000k -c:a mp2 -f mpeg
clip clip.mp4 1280x720 30 48000 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -f mp4
clip clip.wmv 320x240 15 22050 -c:v wmv2 -b:v 600k -c:a wmav2 -f asf
clip clip.mov 960x540 24 32000 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -f mov
clip clip.vob 720x480 30000/1001 48000 -c:v mpeg2video -b:v 5000k -c:a ac3 -f vob
clip clip.asf 480x360 20 22050 -c:v msmpeg4 -b:v 800k -c:a wmav2 -f asf
