#!/usr/bin/env bash
# Times a whole join job as the program runs it (eight conversion runs, then one join run with an
# MPEG-4 640x480 1200 kbit/s MP3 profile) three ways: with our encoder, with Debian's mencoder on
# the same command lines, and with the ffmpeg tool doing the same normalise-and-join in one pass.
# Prints each time, the ratios, and the video and audio lengths of every output.
#
# Usage: join-benchmark.sh <asapi.dll> [work directory]
set -euo pipefail
encoder="$(realpath "$1")"
here="$(dirname "$(realpath "$0")")"
work="${2:-$(mktemp -d /tmp/vantomel-join-bench.XXXXXX)}"
mkdir -p "$work/clips"
cd "$work"

if ! command -v mencoder > /dev/null; then
  echo "Installing Debian's mencoder for the comparison ..."
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends mencoder > /dev/null
fi

ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
"$here/make-bench-clips.sh" clips
inputs=(clips/clip.avi clips/clip.mpg clips/clip.mpeg clips/clip.mp4 clips/clip.wmv clips/clip.mov
        clips/clip.vob clips/clip.asf)

size=640:480
profile="-ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200:mbd=2:autoaspect -oac mp3lame -lameopts vbr=2:q=4 -channels 2 -vf scale=$size -srate 44100"

now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.6f\", $* }"; }

# The job as the program runs it, with the given encoder program.
job() { # program directory
  local program=$1 dir=$2
  rm -rf "$dir"
  mkdir -p "$dir"
  local intermediates=() i=0 start
  start=$(now)
  for input in "${inputs[@]}"; do
    "$program" "$input" -o "$dir/$i.avi" -oac mp3lame -ovc lavc -ofps 30 -vf "scale=$size" \
      > "$dir/convert-$i.log" 2>&1 || echo "  conversion $i failed (see $dir/convert-$i.log)"
    intermediates+=("$dir/$i.avi")
    i=$((i + 1))
  done
  calc "$(now) - $start" > "$dir/conversion.seconds"
  start=$(now)
  # shellcheck disable=SC2086
  "$program" "${intermediates[@]}" -o "$dir/joined.avi" $profile > "$dir/join.log" 2>&1 ||
    echo "  join failed (see $dir/join.log)"
  calc "$(now) - $start" > "$dir/join.seconds"
}

one_pass() {
  local args=() filter="" i=0
  for input in "${inputs[@]}"; do
    args+=(-i "$input")
    filter+="[$i:v]scale=${size/:/x},setsar=1,fps=30,format=yuv420p[v$i];"
    filter+="[$i:a]aresample=44100,aformat=channel_layouts=stereo[a$i];"
    i=$((i + 1))
  done
  for ((i = 0; i < ${#inputs[@]}; i++)); do filter+="[v$i][a$i]"; done
  filter+="concat=n=${#inputs[@]}:v=1:a=1[v][a]"
  mkdir -p ffmpeg
  ff "${args[@]}" -filter_complex "$filter" -map "[v]" -map "[a]" \
     -c:v mpeg4 -b:v 1200k -mbd 2 -c:a libmp3lame -q:a 4 ffmpeg/joined.avi
}

# Seconds of a stream: the length its header gives, else the sum of its packets' durations (a
# duplicated frame in an MEncoder AVI is an empty packet without a duration).
length() { # file v|a
  local header
  header=$(ffprobe -v error -select_streams "$2" -show_entries stream=duration -of csv=p=0 "$1" |
    head -n 1 | cut -d, -f1)
  if [ -n "$header" ] && [ "$header" != "N/A" ]; then
    printf '%.3f' "$header"
  else
    ffprobe -v error -select_streams "$2" -show_entries packet=duration_time -of csv=p=0 "$1" |
      awk '{ s += $1 } END { printf "%.3f", s }'
  fi
}

total_container=0
total_video=0
for input in "${inputs[@]}"; do
  total_container=$(calc "$total_container + $(ffprobe -v error -show_entries format=duration -of csv=p=0 "$input")")
  total_video=$(calc "$total_video + $(length "$input" v)")
done

echo "Eight 10-second clips, $(nproc) cores; profile: MPEG-4 640x480 1200 kbit/s, MP3 44100 Hz."
echo "Load before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
# Wall-clock and processor seconds (user + system, all threads) of each way; on a shared machine
# the processor seconds are the steadier figure.
TIMEFORMAT='%R %U %S'
measure() { # name command...
  local name=$1
  shift
  { time "$@"; } 2> "$name.times"
  read -r wall user system < <(tail -n 1 "$name.times")
  printf '%s %s\n' "$wall" "$(calc "$user + $system")" > "$name.times"
}
measure ours job "$encoder" ours
measure mencoder job "$(command -v mencoder)" mencoder
measure single one_pass
read -r ours ours_cpu < ours.times
read -r theirs theirs_cpu < mencoder.times
read -r single single_cpu < single.times

echo "Load after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '\n%-28s %8s %8s %12s %8s\n' "job" "seconds" "cpu s" "conversions" "join"
printf '%-28s %8.2f %8.2f %12.2f %8.2f\n' "asapi.dll (ours)" "$ours" "$ours_cpu" \
  "$(cat ours/conversion.seconds)" "$(cat ours/join.seconds)" "mencoder" "$theirs" "$theirs_cpu" \
  "$(cat mencoder/conversion.seconds)" "$(cat mencoder/join.seconds)"
printf '%-28s %8.2f %8.2f\n' "ffmpeg, one pass" "$single" "$single_cpu"
printf '\nours / mencoder:         %.2f (target at most 1.0)\n' "$(calc "$ours / $theirs")"
printf 'ours / ffmpeg one pass:  %.2f (target at most 1.5)\n' "$(calc "$ours / $single")"
printf 'in processor seconds:    %.2f and %.2f\n' "$(calc "$ours_cpu / $theirs_cpu")" \
  "$(calc "$ours_cpu / $single_cpu")"

printf '\ninputs: made as 8 x 10 s = 80 s of picture and sound; by their headers %.3f s of\n' \
  "$total_video"
printf 'picture, %.3f s as containers (ASF and WMV add preroll, MPEG and AVI an audio tail)\n' \
  "$total_container"
printf '%-28s %10s %10s %10s\n' "output" "video s" "audio s" "A-V s"
for output in ours/joined.avi mencoder/joined.avi ffmpeg/joined.avi; do
  if [ -f "$output" ]; then
    v=$(length "$output" v)
    a=$(length "$output" a)
    printf '%-28s %10s %10s %10.3f\n' "$output" "$v" "$a" "$(calc "$a - $v")"
  else
    printf '%-28s %10s\n' "$output" "missing"
  fi
done
echo
echo "Work directory: $work"
