#!/usr/bin/env bash
# Times joins of eight matching phone clips (60 s each, 1280x720 H.264 at 30 fps, AAC at 48000 Hz,
# unless told otherwise):
#   copy         our encoder with -ovc copy -oac copy;
#   copy + AAC   our encoder with -ovc copy and the sound encoded once as AAC;
#   trimmed      the copy join of a part of each clip, its points between keyframes (the
#                pictures from each point to its keyframe are encoded again): its V-sum is
#                against the whole clips;
#   smart        seven of the clips and one of another size (three quarters of theirs, made by
#                x264 alike): the copy encodes that one again to match the others; against it
#                copy-seven, the copy join of the seven, and encode-other, ffmpeg encoding the
#                other clip alone to the others' size and settings;
#   one pass     our encoder re-encoding the same clips with the MP4 profile's options;
#   ffmpeg       ffmpeg's concat demuxer with -c copy;
#   cat          the files put one after another, the least any join can cost;
#   job          the program beside the encoder, vantomel --join with the MP4 copy profile: the
#                copy join with what the job adds (probing the clips, the encoder's check at
#                Start, a second encoder start, the check of the joined file).
# Prints the median wall-clock and processor seconds of each, the ratios of our copy join to our
# one pass and to cat, each output's video and audio lengths against the sum of the clips', and
# the A/V offset at each join as our encoder reports it beside the one ffprobe finds: the first
# sound packet at or after the join's picture, less the picture's start. Copied sound starts
# each part with a packet of its own; encoded sound runs on in packets of 1024 samples, so there
# ffprobe's figure only bounds the offset to one packet (0.021 s). Our encoder reads each join
# back once it is written ("Read back in 0.042s"): the median of that time is printed as a share
# of the copy join's wall-clock time (target at most 0.05). The job's overhead is its median less
# the copy join's (target under 0.15 s).
#
# Usage: copy-join-benchmark.sh <asapi.dll> [work directory] [options]
#   --rounds N       rounds of the quick ways, medians printed (default 3); one pass runs once
#   --no-one-pass    leave the re-encoding join out (it takes minutes)
#   --seconds S      length of each clip (default 60)
#   --size WxH       picture size of the clips (default 1280x720)
set -euo pipefail

encoder=""
work=""
rounds=3
one_pass=true
seconds=60
size=1280x720
while [ $# -gt 0 ]; do
  case "$1" in
  --rounds) rounds="$2"; shift ;;
  --no-one-pass) one_pass=false ;;
  --seconds) seconds="$2"; shift ;;
  --size) size="$2"; shift ;;
  -*) echo "Unknown option $1" >&2; exit 2 ;;
  *) if [ -z "$encoder" ]; then encoder="$(realpath "$1")"; else work="$1"; fi ;;
  esac
  shift
done
[ -n "$encoder" ] || { sed -n '2,29p' "$0"; exit 2; }
here="$(dirname "$(realpath "$0")")"
work="$(realpath -m "${work:-$(mktemp -d /tmp/vantomel-copy-bench.XXXXXX)}")"
mkdir -p "$work"
cd "$work"

clips="phone-clips-$seconds-$size"
"$here/make-bench-clips.sh" "$clips" "$seconds" "$size" phone
inputs=()
for i in 1 2 3 4 5 6 7 8; do inputs+=("$work/$clips/phone$i.mp4"); done

calc() { awk "BEGIN { printf \"%.6f\", $* }"; }
median() { sort -g | awk '{ v[NR] = $1 } END { printf "%.6f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
length() { # file v|a
  ffprobe -v error -select_streams "$2" -show_entries stream=duration -of csv=p=0 "$1" | head -n 1
}

TIMEFORMAT='%R %U %S'
measure() { # way command...
  local way=$1 wall user system
  shift
  { time "$@" > "$way.log" 2> "$way.errors"; } 2> "$way.time" || {
    echo "  $way failed (see $work/$way.errors)"
    touch "$way.failed"
  }
  read -r wall user system < <(tail -n 1 "$way.time")
  printf '%s %s\n' "$wall" "$(calc "$user + $system")" >> "$way.times"
  grep -a -o 'Read back in [0-9.]*' "$way.log" | awk '{ print $4 }' >> "$way.read-back" || true
}
wall_median() { cut -d' ' -f1 "$1.times" | median; }
cpu_median() { cut -d' ' -f2 "$1.times" | median; }

copy() { "$encoder" "${inputs[@]}" -o "$work/copy.mp4" -ovc copy -oac copy; }
copy_aac() {
  "$encoder" "${inputs[@]}" -o "$work/copy-aac.mp4" -ovc copy -oac lavc \
    -lavcopts acodec=aac:abitrate=128 -channels 2 -srate 48000
}
one_pass() {
  "$encoder" "${inputs[@]}" -o "$work/one-pass.mp4" -ofps 30 -ovc lavc \
    -lavcopts vcodec=libx264:vbitrate=2000:mbd=2:autoaspect -oac lavc \
    -lavcopts acodec=aac:abitrate=160 -channels 2 -vf scale=1280:720 -srate 48000
}
ffmpeg_concat() {
  local list="$work/concat.txt"
  printf "file '%s'\n" "${inputs[@]}" > "$list"
  ffmpeg -hide_banner -loglevel error -y -f concat -safe 0 -i "$list" -c copy "$work/ffmpeg.mp4"
}
cat_files() { cat "${inputs[@]}" > "$work/cat.out"; }
trimmed() {
  local parts=() input
  for input in "${inputs[@]}"; do parts+=("{" "$input" -ss 1.3 -endpos "$(calc "$seconds * 0.6")" "}"); done
  "$encoder" "${parts[@]}" -o "$work/trimmed.mp4" -ovc copy -oac copy
}
other="$work/$clips/other.mp4"
[ -f "$other" ] || ffmpeg -hide_banner -loglevel error -i "${inputs[0]}" -vf scale=iw*3/4:ih*3/4 \
  -c:v libx264 -preset ultrafast -b:v 6M -g 60 -c:a copy "$other"
smart() { "$encoder" "${inputs[@]:0:7}" "$other" -o "$work/smart.mp4" -ovc copy -oac copy; }
copy_seven() { "$encoder" "${inputs[@]:0:7}" -o "$work/copy-seven.mp4" -ovc copy -oac copy; }
encode_other() {
  ffmpeg -hide_banner -loglevel error -y -i "$other" -vf "scale=${size/x/:}" -c:v libx264 \
    -preset ultrafast -b:v 8M -g 60 -c:a copy "$work/encode-other.mp4"
}
program="$(dirname "$encoder")/vantomel"
job() {
  "$program" --join -y -q --profile "MP4 - Same as the videos (no re-encoding)" \
    -o "$work/job.mp4" "${inputs[@]}"
}

quick_ways=(copy copy-aac trimmed smart copy-seven encode-other ffmpeg cat)
[ -x "$program" ] && quick_ways+=(job)
ways=("${quick_ways[@]}")
$one_pass && ways+=(one-pass)
for way in "${ways[@]}"; do rm -f "$way.times" "$way.failed" "$way.read-back"; done

echo "Eight $seconds-second $size H.264/AAC clips; $(nproc) cores; rounds: $rounds;" \
  "load before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((round = 1; round <= rounds; round++)); do
  measure copy copy
  measure copy-aac copy_aac
  measure trimmed trimmed
  measure smart smart
  measure copy-seven copy_seven
  measure encode-other encode_other
  measure ffmpeg ffmpeg_concat
  measure cat cat_files
  [ -x "$program" ] && measure job job
done
$one_pass && measure one-pass one_pass
echo "Load after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"

sum=0
for input in "${inputs[@]}"; do sum=$(calc "$sum + $(length "$input" v)"); done
printf '\nThe clips hold %.3f s of picture by their headers.\n\n' "$sum"
printf '%-10s %8s %7s %9s %9s %9s %9s\n' way seconds "cpu s" "video s" "audio s" "V-sum s" "A-V s"
for way in "${ways[@]}"; do
  output="$way.mp4"
  [ "$way" = cat ] && output=cat.out
  v=- a=- dv=- av=-
  if [ -f "$way.failed" ]; then
    v=failed
  elif [ "$way" != cat ]; then
    v=$(printf '%.3f' "$(length "$output" v)")
    a=$(printf '%.3f' "$(length "$output" a)")
    dv=$(printf '%+.3f' "$(calc "$v - $sum")")
    av=$(printf '%+.3f' "$(calc "$a - $v")")
  fi
  printf '%-10s %8.2f %7.2f %9s %9s %9s %9s\n' "$way" "$(wall_median "$way")" \
    "$(cpu_median "$way")" "$v" "$a" "$dv" "$av"
done

ratio() { # value reference
  if [ "$(calc "($2 > 0)")" = "1.000000" ]; then printf '%.4f' "$(calc "$1 / $2")"; else printf -- -; fi
}
copy_wall=$(wall_median copy)
echo
$one_pass && echo "copy / one pass: $(ratio "$copy_wall" "$(wall_median one-pass)") (target at most 0.02)"
echo "copy / cat:      $(ratio "$copy_wall" "$(wall_median cat)") (target at most 3)"
echo "trimmed / copy:  $(ratio "$(wall_median trimmed)" "$copy_wall") (target at most 3)"
echo "smart / (copy-seven + encode-other): $(ratio "$(wall_median smart)" \
  "$(calc "$(wall_median copy-seven) + $(wall_median encode-other)")") (target at most 1.2)"
packet_sums() { ffmpeg -v error -i "$1" -map 0:v -c copy -f framemd5 - | grep -v '^#' | cut -d, -f6; }
copied_packets() { awk 'NR == FNR { own[$0] = 1; next } $0 in own { n++ } END { print n + 0 }' "$@"; }
echo "smart: $(copied_packets <(packet_sums "${inputs[0]}") <(packet_sums smart.mp4)) of its" \
  "$(packet_sums smart.mp4 | wc -l) pictures are the seven clips' own packets" \
  "($(calc "7 * $(packet_sums "${inputs[0]}" | wc -l)" | cut -d. -f1) in the clips)"
# How far apart in the file the picture and the sound of the same moment lie: a player that
# streams the file has to hold that much.
interleaving() {
  ffprobe -v error -show_entries packet=stream_index,pts_time,pos -of csv=p=0 "$1" |
    sort -t, -k3 -n | awk -F, '$1 == 0 { v = $2 } $1 == 1 { a = $2 }
      v != "" && a != "" { d = v - a; if (d < 0) d = -d; if (d > m) m = d } END { printf "%.3f", m }'
}
echo "smart: picture and sound at most $(interleaving smart.mp4) s apart in the file" \
  "(copy: $(interleaving copy.mp4) s)"
echo "copy + AAC / cat: $(ratio "$(wall_median copy-aac)" "$(wall_median cat)")"
[ -x "$program" ] && [ ! -f job.failed ] &&
  printf 'job overhead:    %.3f s (the job less the copy join; target under 0.15)\n' \
    "$(calc "$(wall_median job) - $copy_wall")"
# What reading the join back adds: the encoder times it, once per run.
for way in copy copy-aac; do
  [ -f "$way.failed" ] && continue
  [ -s "$way.read-back" ] || { echo "$way read-back: none (an encoder that does not read back)"; continue; }
  seconds=$(median < "$way.read-back")
  printf '%s read-back: %ss, %s of the join (target at most 0.05)\n' "$way" "$seconds" \
    "$(ratio "$seconds" "$(wall_median "$way")")"
done

# The A/V offset at each join: the encoder's line (its own read-back) beside ffprobe's look at the
# file.
offsets() { # way
  local output="$1.mp4" packets
  packets=$(ffprobe -v error -select_streams a -show_entries packet=pts_time -of csv=p=0 "$output")
  printf '\nA/V offset at each join of %s (the encoder; ffprobe):\n' "$1"
  grep -a '^Join .*: A/V offset' "$1.log" | while read -r _ part _ start _ _ offset; do
    start=${start%s:}
    local found
    found=$(awk -v s="$start" '$1 >= s - 0.0005 { printf "%+.3f", $1 - s; exit }' <<< "$packets")
    printf '  join %s at %ss: %s; %s\n' "$part" "$start" "${offset%s}" "${found:--}"
  done
}
for way in copy copy-aac; do [ -f "$way.failed" ] || offsets "$way"; done
$one_pass && [ ! -f one-pass.failed ] && offsets one-pass
echo
echo "Work directory: $work"
