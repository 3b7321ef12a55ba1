#!/usr/bin/env bash
# Makes the encoder tests' own small clips once per build: rotated, damaged, mixed rates and
# channel counts, sound shorter, longer and later than the picture, a beep at each clip's start.
set -euo pipefail
source "$(dirname "$0")/../fixtures/clip-script.sh"
# A beep of 0.2 s, 0.1 s into the sound, for finding where each clip's sound landed.
beep() { echo -f lavfi -i "sine=frequency=1000:sample_rate=$1:duration=0.2,adelay=100:all=1,apad=whole_dur=$2"; }

# A phone clip held upright: stored 320x240, shown turned a quarter clockwise, so the white half
# that is stored on the left is shown on top. This ffmpeg writes no rotation of its own, so the
# display matrix of the video track header is set here.
ff -f lavfi -i "color=black:size=320x240:rate=25:duration=1,drawbox=x=0:y=0:w=160:h=240:color=white:t=fill" \
   -f lavfi -i "sine=sample_rate=44100:duration=1" \
   -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$out/rotated.mp4"
perl -0777 -pi -e 's/(tkhd.{40})\x00\x01\x00\x00\x00{12}\x00\x01\x00\x00/$1\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\xff\xff\x00\x00\x00\x00\x00\x00/s' \
  "$out/rotated.mp4"

# Damaged: garbage written over parts of the middle.
ff -f lavfi -i "testsrc=size=320x240:rate=25:duration=2" -f lavfi -i "sine=sample_rate=44100:duration=2" \
   -c:v mpeg4 -q:v 4 -c:a libmp3lame "$out/damaged.avi"
ff -f lavfi -i "testsrc=size=352x288:rate=25:duration=2" -f lavfi -i "sine=sample_rate=44100:duration=2" \
   -c:v mpeg1video -b:v 800k -c:a mp2 -f mpeg "$out/damaged.mpg"
for f in damaged.avi damaged.mpg; do
  size=$(stat -c %s "$out/$f")
  for at in 3 5 7; do
    head -c 3000 /dev/urandom | dd of="$out/$f" bs=1 seek=$((size * at / 10)) conv=notrunc status=none
  done
done

# A picture that cannot be decoded: every video chunk of the AVI zeroed, the sound whole.
ff -f lavfi -i "testsrc=size=320x240:rate=25:duration=2" -f lavfi -i "sine=sample_rate=44100:duration=2" \
   -c:v mpeg4 -q:v 4 -c:a libmp3lame "$out/undecodable.avi"
perl -0777 -pi -e 'my $at = index($_, "movi"); my $end = rindex($_, "idx1");
  while (($at = index($_, "00dc", $at)) >= 0 && $at < $end) {
    my $n = unpack("V", substr($_, $at + 4, 4)); substr($_, $at + 8, $n) = "\0" x $n; $at += 8 + $n; }' \
  "$out/undecodable.avi"

# Damaged times in a 4 s WMV: one frame 67,108 s ahead (one flipped bit), every frame from the
# 40th on so far ahead, one frame 2 s ahead, one 1.5 s back.
ff -f lavfi -i "testsrc=size=320x240:rate=25:duration=4" -f lavfi -i "sine=sample_rate=44100:duration=4" \
   -c:v wmv2 -b:v 500k -c:a wmav2 "$out/time-far-ahead.wmv"
for f in time-far-ahead-on time-ahead time-back; do cp "$out/time-far-ahead.wmv" "$out/$f.wmv"; done
shift_frame="$(dirname "$0")/shift-asf-frame.pl"
perl "$shift_frame" "$out/time-far-ahead.wmv" 40 67108864
perl "$shift_frame" "$out/time-far-ahead-on.wmv" 40-999 67108864
perl "$shift_frame" "$out/time-ahead.wmv" 40 2000
perl "$shift_frame" "$out/time-back.wmv" 60 -1500

# Two VOB files put together byte for byte: the clock starts again half-way.
ff -f lavfi -i "testsrc=size=320x240:rate=25:duration=1" -f lavfi -i "sine=sample_rate=48000:duration=1" \
   -c:v mpeg2video -b:v 1000k -c:a mp2 -f vob "$out/part.vob"
cat "$out/part.vob" "$out/part.vob" > "$out/restarted.vob"
rm "$out/part.vob"

# A recording that only writes pictures that change: one picture shown for 12 s, sound throughout.
ff -f lavfi -i "testsrc=size=160x120:rate=5:duration=1" -f lavfi -i "sine=sample_rate=44100:duration=13" \
   -vf "setpts=PTS+12/TB*gte(N\,3)" -fps_mode passthrough \
   -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$out/paused.mp4"

# Inputs that differ in size, rate, sample rate and channel count; each beeps at 0.1 s.
# long-sound: 1.2 s of picture at 25 fps, 2.0 s of mono sound at 22050 Hz (cut to the picture).
ff -f lavfi -i "testsrc=size=160x120:rate=25:duration=1.2" $(beep 22050 2.0) \
   -ac 1 -c:v mpeg4 -q:v 4 -c:a libmp3lame "$out/long-sound.avi"
# short-sound: 1.0 s of picture at 15 fps, 0.6 s of stereo sound at 48000 Hz (padded).
ff -f lavfi -i "testsrc=size=400x300:rate=15:duration=1.0" $(beep 48000 0.6) \
   -ac 2 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$out/short-sound.mp4"
# late-sound: 1.0 s of picture at 24 fps, six-channel sound at 32000 Hz starting 0.3 s late.
ff -f lavfi -i "testsrc=size=320x180:rate=24:duration=1.0" -itsoffset 0.3 $(beep 32000 0.7) \
   -ac 6 -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$out/late-sound.mov"
# silent: 1.0 s of picture at 30000/1001 fps, no sound at all.
ff -f lavfi -i "testsrc=size=320x240:rate=30000/1001:duration=1.0" -an -c:v wmv2 "$out/silent.wmv"

# White pictures of two shapes, 4:3 and 16:9, for finding the black bars around them.
ff -f lavfi -i "color=white:size=160x120:rate=25:duration=0.5" -an -c:v mpeg4 -q:v 2 "$out/white-4x3.avi"
ff -f lavfi -i "color=white:size=320x180:rate=25:duration=0.5" -an -c:v mpeg4 -q:v 2 "$out/white-16x9.avi"

# 1 s at 25 fps whose every picture differs from the one before: a repeated one shows.
ff -f lavfi -i "color=black:size=160x120:rate=25:duration=1,geq=lum='mod(N\,5)*40+40':cb=128:cr=128" \
   -an -c:v mpeg4 -q:v 2 "$out/changing-25p.avi"

# 3 s at 25 fps that shows each picture's number, a keyframe each second and B-frames, with a
# beep of 0.1 s every half second from 0.1 s on: for finding where a part of a clip begins.
ff -f lavfi -i "color=black:size=160x120:rate=25:duration=3,drawtext=text='%{frame_num}':fontsize=90:fontcolor=white:x=(w-tw)/2:y=(h-th)/2" \
   -f lavfi -i "aevalsrc='sin(2*PI*1000*t)*lt(mod(t+0.4\,0.5)\,0.1)':s=44100:d=3" \
   -c:v libx264 -preset medium -g 25 -pix_fmt yuv420p -c:a aac "$out/numbered.mp4"
# The same pictures without x264's note of its options, as another encoder would write them.
ff -i "$out/numbered.mp4" -c copy -bsf:v filter_units=remove_types=6 "$out/numbered-unnoted.mp4"
# The same pictures and keyframes in HEVC, each keyframe an IDR picture.
ff -i "$out/numbered.mp4" -c:v libx265 -preset fast -tag:v hvc1 -force_key_frames 0,0.4,1.4,2.4 \
   -x265-params open-gop=0:keyint=250:min-keyint=1:scenecut=0:log-level=error -c:a copy \
   "$out/numbered-hevc.mp4"

# Long enough to be interrupted: 8 s at 30 fps.
ff -f lavfi -i "testsrc=size=320x240:rate=30:duration=8" -f lavfi -i "sine=sample_rate=44100:duration=8" \
   -c:v mpeg4 -q:v 5 -c:a libmp3lame "$out/long.avi"

# Clips to be joined by copying: 1 s of 160x120 H.264 at 30 fps and stereo AAC at 48000 Hz, like
# phone clips, each with a tone of its own; one with a title tag; one whose parameter sets and
# picture order differ (B-frames); and one per way a clip can differ from the first.
phone() { # name tone video-size video-rate sample-rate channels ffmpeg-options...
  local name=$1 tone=$2 size=$3 rate=$4 srate=$5 channels=$6
  shift 6
  ff -f lavfi -i "testsrc=size=$size:rate=$rate:duration=1" \
     -f lavfi -i "sine=frequency=$tone:sample_rate=$srate:duration=1" -ac "$channels" \
     -c:v libx264 -preset ultrafast -g 10 -pix_fmt yuv420p -c:a aac "$@" "$out/$name"
}
phone copy-a.mp4 440 160x120 30 48000 2
phone copy-b.mp4 880 160x120 30 48000 2 -metadata title="Second clip"
phone copy-high.mp4 660 160x120 30 48000 2 -preset medium
phone copy-size.mp4 440 176x144 30 48000 2
phone copy-rate.mp4 440 160x120 25 48000 2
phone copy-mpeg4.mp4 440 160x120 30 48000 2 -c:v mpeg4
phone copy-444.mp4 440 160x120 30 48000 2 -pix_fmt yuv444p
phone copy-44100.mp4 440 160x120 30 44100 2
phone copy-mono.mp4 440 160x120 30 48000 1
phone copy-mp3.mp4 440 160x120 30 48000 2 -c:a libmp3lame
phone copy-aac-main.mp4 440 160x120 30 48000 2 -profile:a aac_main -strict -2
# Sound whose codec's encoder cannot write the others' set-up again: a copy cannot match it.
phone copy-vorbis-a.mkv 440 160x120 30 48000 2 -c:a libvorbis
phone copy-vorbis-b.mkv 880 160x120 30 48000 2 -c:a libvorbis
# The same in Matroska, whose times are in milliseconds.
for clip in copy-a copy-b; do ff -i "$out/$clip.mp4" -c copy "$out/$clip.mkv"; done
ff -i "$out/copy-a.mp4" -c copy -bsf:v filter_units=remove_types=6 "$out/copy-a-unnoted.mp4"

# Clips with every kind of track, 2 s each: English and French sound, subtitles (a cue from 0.5 to
# 1.5 s), a timecode and a telemetry-like data track (GoPro's gpmd, one sample a clip); one lacks
# the French sound and the subtitles. The same in Matroska, with SRT subtitles and no data tracks,
# and in AVI, with the sound alone.
printf '1\n00:00:00,500 --> 00:00:01,500\nHello\n' > "$out/tracks.srt"
tracks() { # name tone with-second-sound-and-subtitles
  local name=$1 tone=$2 full=$3 maps=(-map 0:v -map 1:a) tags=(-metadata:s:a:0 language=eng)
  if [ "$full" = yes ]; then maps+=(-map 2:a); tags+=(-metadata:s:a:1 language=fra); fi
  ff -f lavfi -i "testsrc=size=160x120:rate=30:duration=2" \
     -f lavfi -i "sine=frequency=$tone:sample_rate=48000:duration=2" \
     -f lavfi -i "sine=frequency=$((tone * 2)):sample_rate=48000:duration=2" "${maps[@]}" "${tags[@]}" \
     -c:v libx264 -preset ultrafast -g 10 -pix_fmt yuv420p -c:a aac -timecode 01:00:00:00 \
     -f mov "$out/$name-timecode.mov"
  maps=(-map 0:v -map 0:a -map 0:d)
  [ "$full" = yes ] && maps+=(-map 1:s)
  # This ffmpeg writes a data track only of the timecode's bytes: it is retagged as telemetry.
  ff -i "$out/$name-timecode.mov" -i "$out/tracks.srt" "${maps[@]}" -c copy -c:s mov_text \
     -tag:d gpmd -f mov "$out/$name-gpmd.mov"
  ff -i "$out/$name-gpmd.mov" -map 0 -map -0:d:1 -c copy "$out/$name.mp4"
  ff -i "$out/$name.mp4" -map 0:v -map 0:a -map 0:s? -c copy -c:s srt "$out/$name.mkv"
  # As a join's intermediates are: AVI names each sound track after its language.
  ff -i "$out/$name.mp4" -map 0:v -map 0:a -c:v copy -c:a libmp3lame -metadata:s:a:0 title=eng \
     $([ "$full" = yes ] && echo -metadata:s:a:1 title=fra) "$out/$name.avi"
  rm "$out/$name-timecode.mov" "$out/$name-gpmd.mov"
}
tracks tracks-a 440 yes
tracks tracks-b 550 no
tracks tracks-c 660 yes
# Its French sound in big-endian PCM, which MOV holds and MP4 does not.
ff -i "$out/tracks-a.mp4" -map 0:v -map 0:a -c:v copy -c:a:0 copy -c:a:1 pcm_s16be \
   "$out/tracks-pcm.mov"

# Clips whose times a copy must mend or refuse: B-frames in Matroska, which stores no decoding
# times (as recorders and ffmpeg write it every day); two 1 s recordings put together as MPEG-TS,
# the second's clock 1000 s on, each beeping at 0.1 s, the first with 0.7 s of sound only; a clip
# trimmed without re-encoding half a second into a group of pictures, whose edit list hides the
# 15 pictures before.
for clip in a:440 b:880; do
  ff -f lavfi -i "testsrc2=size=160x120:rate=30:duration=1" \
     -f lavfi -i "sine=frequency=${clip#*:}:sample_rate=48000:duration=1" \
     -c:v libx264 -preset medium -g 10 -pix_fmt yuv420p -c:a aac "$out/copy-bframes-${clip%:*}.mkv"
done
for part in 0:0.7 1000:1; do
  ff -f lavfi -i "testsrc=size=160x120:rate=30:duration=1" $(beep 48000 "${part#*:}") -ac 2 \
     -c:v libx264 -preset ultrafast -g 10 -pix_fmt yuv420p -c:a aac \
     -output_ts_offset "${part%:*}" "$out/jump-${part%:*}.ts"
done
cat "$out/jump-0.ts" "$out/jump-1000.ts" > "$out/copy-jump.ts"
rm "$out/jump-0.ts" "$out/jump-1000.ts"
ff -f lavfi -i "testsrc=size=160x120:rate=30:duration=6" -f lavfi -i "sine=sample_rate=48000:duration=6" \
   -ac 2 -c:v libx264 -preset ultrafast -g 30 -pix_fmt yuv420p -c:a aac "$out/trim-source.mp4"
ff -ss 2.5 -i "$out/trim-source.mp4" -t 3 -c copy "$out/copy-trimmed.mp4"
# A subtitle shown from 1 to 5 s, longer than the reading before a cut's keyframe.
printf '1\n00:00:01,000 --> 00:00:05,000\nLong\n' > "$out/long.srt"
ff -i "$out/trim-source.mp4" -i "$out/long.srt" -map 0 -map 1 -c copy -c:s srt "$out/subtitled-long.mkv"
rm "$out/trim-source.mp4" "$out/long.srt"

# Clips whose keyframes open open groups of pictures, the pictures shown just before a keyframe
# decoded after it: x264's with open-gop (keyframes at 0 and 1 s, the one picture before the
# second leaning on it) and MPEG-2 (a keyframe each 0.48 s, the two pictures before each but the
# first leaning on it). And a copy of copy-a.mp4 written to a pipe, whose length is stated nowhere.
ff -f lavfi -i "testsrc2=size=160x120:rate=25:duration=2" -f lavfi -i "sine=sample_rate=48000:duration=2" \
   -ac 2 -c:v libx264 -preset medium -g 25 -x264-params open-gop=1 -pix_fmt yuv420p -c:a aac \
   "$out/copy-open-gop.mkv"
ff -f lavfi -i "testsrc=size=160x120:rate=25:duration=2" -f lavfi -i "sine=sample_rate=48000:duration=2" \
   -ac 2 -c:v mpeg2video -bf 2 -g 12 -q:v 4 -c:a aac "$out/copy-mpeg2.mkv"
ff -i "$out/copy-a.mp4" -c copy -f matroska - > "$out/copy-unstated-length.mkv"

# Clips that a copy join takes or refuses by how they are shown: turned a quarter clockwise (this
# ffmpeg sets the display matrix of a copy only, and counts its angle counter-clockwise), pixels
# 4:3 wide in the H.264 header, a 16:9 aspect stated by the container alone, limited and full
# range stated in the header (like iPhones and Android phones), a phone's variable frame rate
# around 30 and 25 fps (frames left out), 29.97 fps, and VP9.
for clip in copy-a copy-b; do
  ff -i "$out/$clip.mp4" -c copy -metadata:s:v rotate=270 "$out/${clip/copy/copy-turned}.mp4"
done
# Upside down: the same size shown, only the turn differs.
ff -i "$out/copy-a.mp4" -c copy -metadata:s:v rotate=180 "$out/copy-upside-down.mp4"
phone copy-sar.mp4 440 160x120 30 48000 2 -vf setsar=4/3
ff -i "$out/copy-a.mp4" -c copy -aspect 16:9 "$out/copy-aspect.mp4"
bt709=(-colorspace bt709 -color_primaries bt709 -color_trc bt709)
phone copy-709.mp4 440 160x120 30 48000 2 "${bt709[@]}"
phone copy-full.mp4 880 160x120 30 48000 2 "${bt709[@]}" -pix_fmt yuvj420p
phone copy-vfr.mp4 440 160x120 30 48000 2 -vf "setpts='(N+floor(N/7))/30/TB'" \
  -fps_mode passthrough -video_track_timescale 90000
phone copy-vfr-b.mp4 880 160x120 30 48000 2 -vf "setpts='(N+floor(N/4))/30/TB'" \
  -fps_mode passthrough -video_track_timescale 90000
phone copy-vfr-25.mp4 880 160x120 25 48000 2 -vf "setpts='(N+floor(N/4))/25/TB'" \
  -fps_mode passthrough -video_track_timescale 90000
phone copy-ntsc.mp4 440 160x120 29.97 48000 2
ff -f lavfi -i "testsrc=size=160x120:rate=30:duration=1" -f lavfi -i "sine=sample_rate=48000:duration=1" \
   -c:v libvpx-vp9 -deadline realtime -c:a libopus "$out/copy-vp9.mkv"

# A clip to be joined by copying whose sound begins 0.13 s after its picture, as phones record
# it, beeping 0.23 s after its picture begins.
late_beep() { echo -f lavfi -i "sine=frequency=660:sample_rate=48000:duration=0.2,adelay=$1:all=1,apad=whole_dur=$2"; }
ff -f lavfi -i "testsrc=size=160x120:rate=30:duration=1" -itsoffset 0.13 $(late_beep 100 0.87) \
   -ac 2 -c:v libx264 -preset ultrafast -g 10 -pix_fmt yuv420p -c:a aac "$out/copy-late-sound.mp4"
# A clip whose sound cannot be decoded: its AAC set-up names audio object type 0.
cp "$out/copy-a.mp4" "$out/copy-undecodable-sound.mp4"
perl -0777 -pi -e 's/\x05\x80\x80\x80\x05\x11\x90/\x05\x80\x80\x80\x05\x01\x90/s' \
  "$out/copy-undecodable-sound.mp4"

# Joins as a player meets them. A recording spliced with TS tools: two 2 s segments whose clocks
# lie 1000 s apart, put one after the other, so that its header length counts the jump. And a
# join made by hand whose second part's sound starts 0.5 s after that part's picture, though the
# part's own clip starts both together.
for part in 1 2; do
  ff -f lavfi -i "testsrc=size=160x120:rate=25:duration=2" -f lavfi -i "sine=sample_rate=48000:duration=2" \
     -c:v mpeg2video -q:v 4 -c:a mp2 -output_ts_offset $(( (part - 1) * 1000 )) -f mpegts "$out/ts-part$part.ts"
done
cat "$out/ts-part1.ts" "$out/ts-part2.ts" > "$out/ts-clock-jump.ts"
rm "$out/ts-part1.ts" "$out/ts-part2.ts"
ff -f lavfi -i "testsrc=size=160x120:rate=30:duration=1" -itsoffset 0.5 \
   -f lavfi -i "sine=frequency=880:sample_rate=48000:duration=0.5" -ac 2 \
   -c:v libx264 -preset ultrafast -g 30 -pix_fmt yuv420p -c:a aac "$out/late-sound-part.mp4"
printf "file '%s'\n" "$out/copy-a.mp4" "$out/late-sound-part.mp4" > "$out/late-sound.txt"
ff -f concat -safe 0 -i "$out/late-sound.txt" -c copy "$out/joined-late-sound.mp4"
rm "$out/late-sound.txt" "$out/late-sound-part.mp4"

# Sound that no conversion takes: 100 channels of PCM, beyond what the resampler handles.
ff -f lavfi -i "testsrc=size=160x120:rate=25:duration=1" -f s16le -ar 8000 -ac 100 -t 1 -i /dev/zero \
   -c:v mpeg4 -c:a copy -shortest "$out/hundred-channels.mkv"

clips_complete
