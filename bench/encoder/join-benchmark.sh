#!/usr/bin/env bash
# Times a whole join job of eight clips in both of its modes and against its peers:
#   two stages  the job as the program runs it: eight conversion runs into intermediates, then one
#               join run with the profile; with our encoder and with Debian's mencoder on the
#               same command lines;
#   one pass    our encoder given all eight inputs in one run, with the conversions' frame rate and
#               the profile's options; and the ffmpeg tool doing the same normalise-and-join.
# Prints for each the median wall-clock and processor seconds, the ratios to MEncoder's job and to
# ffmpeg's one pass, the video and audio lengths, their offset, and the final picture's PSNR-Y
# against the lossless path (the same normalise-and-join computed on the fly, never encoded).
#
# Usage: join-benchmark.sh <asapi.dll> [work directory] [options]
#   --long           the long case instead: eight 60-second 1280x720 clips, MP4/H.264 profile
#   --rounds N       interleaved rounds of every way, medians printed (default 3; long case 1)
#   --no-mencoder    leave MEncoder out
#   --parallel       also time the conversion stage with two conversions at once
#   --report         no runs: the figures of the runs already in the work directory
# Extra words for our encoder's runs, to try a setting without a rebuild:
#   CONVERSION_OPTIONS="-lavcopts vqscale=3"  JOIN_OPTIONS="-lavdopts threads=1"
set -euo pipefail

encoder=""
work=""
long=false
rounds=""
with_mencoder=true
parallel=false
report_only=false
while [ $# -gt 0 ]; do
  case "$1" in
  --long) long=true ;;
  --rounds) rounds="$2"; shift ;;
  --no-mencoder) with_mencoder=false ;;
  --parallel) parallel=true ;;
  --report) report_only=true ;;
  -*) echo "Unknown option $1" >&2; exit 2 ;;
  *) if [ -z "$encoder" ]; then encoder="$(realpath "$1")"; else work="$1"; fi ;;
  esac
  shift
done
[ -n "$encoder" ] || { sed -n '2,20p' "$0"; exit 2; }
here="$(dirname "$(realpath "$0")")"
work="$(realpath -m "${work:-$(mktemp -d /tmp/vantomel-join-bench.XXXXXX)}")"
read -r -a conversion_extra <<< "${CONVERSION_OPTIONS:-}"
read -r -a join_extra <<< "${JOIN_OPTIONS:-}"
mkdir -p "$work"
cd "$work"

if $with_mencoder && ! command -v mencoder > /dev/null; then
  echo "Installing Debian's mencoder for the comparison ..."
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends mencoder > /dev/null
fi

ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.6f\", $* }"; }
median() { sort -g | awk '{ v[NR] = $1 } END { printf "%.6f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

if $long; then
  case_name=long
  clips=clips-long
  "$here/make-bench-clips.sh" "$clips" 60 1280x720
  size=1280:720
  srate=48000
  ext=mp4
  profile="-ovc lavc -lavcopts vcodec=libx264:vbitrate=2000:mbd=2:autoaspect -oac lavc -lavcopts acodec=aac:abitrate=160 -channels 2 -vf scale=$size -srate $srate"
  ffmpeg_codecs=(-c:v libx264 -preset fast -b:v 2000k -c:a aac -b:a 160k -ar "$srate")
  description="Eight 60-second 1280x720 clips; profile: MP4 H.264 1280x720 2000 kbit/s, AAC 160 kbit/s 48000 Hz."
  rounds="${rounds:-1}"
else
  case_name=short
  clips=clips
  "$here/make-bench-clips.sh" "$clips"
  size=640:480
  srate=44100
  ext=avi
  profile="-ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200:mbd=2:autoaspect -oac mp3lame -lameopts vbr=2:q=4 -channels 2 -vf scale=$size -srate $srate"
  ffmpeg_codecs=(-c:v mpeg4 -b:v 1200k -mbd 2 -c:a libmp3lame -q:a 4 -ar "$srate")
  description="Eight 10-second clips; profile: MPEG-4 640x480 1200 kbit/s, MP3 44100 Hz."
  rounds="${rounds:-3}"
fi
read -r -a profile_words <<< "$profile"
inputs=()
for kind in avi mpg mpeg mp4 wmv mov vob asf; do inputs+=("$work/$clips/clip.$kind"); done

# One conversion as the program runs it.
convert() { # program input intermediate [extra words...]
  local program=$1 input=$2 intermediate=$3
  shift 3
  "$program" "$input" -o "$intermediate" -oac mp3lame -ovc lavc -lavcopts vqscale=3 -ofps 30 -vf "scale=$size" "$@"
}

# The two-stage job as the program runs it, with the given encoder program.
two_stages() { # program directory [extra conversion words...]
  local program=$1 dir=$2
  shift 2
  rm -rf "$dir"
  mkdir -p "$dir"
  local intermediates=() i=0 start
  start=$(now)
  for input in "${inputs[@]}"; do
    convert "$program" "$input" "$dir/$i.avi" "$@" > "$dir/convert-$i.log" 2>&1 || {
      echo "  conversion $i failed (see $dir/convert-$i.log)"
      touch "$dir.failed"
    }
    intermediates+=("$dir/$i.avi")
    i=$((i + 1))
  done
  calc "$(now) - $start" > "$dir/conversion.seconds"
  local extra=()
  [ "$program" = "$encoder" ] && extra=("${join_extra[@]}")
  start=$(now)
  "$program" "${intermediates[@]}" -o "$dir/joined.$ext" "${profile_words[@]}" "${extra[@]}" \
    > "$dir/join.log" 2>&1 || {
    echo "  join failed (see $dir/join.log)"
    touch "$dir.failed"
  }
  calc "$(now) - $start" > "$dir/join.seconds"
}

# Our encoder joining the original inputs in one run, as the program's one-pass mode runs it: the
# conversions' frame rate and the profile's options.
ours_one_pass() { # directory
  local dir=$1
  rm -rf "$dir"
  mkdir -p "$dir"
  "$encoder" "${inputs[@]}" -o "$dir/joined.$ext" -ofps 30 "${profile_words[@]}" "${join_extra[@]}" \
    > "$dir/join.log" 2>&1 || {
    echo "  one pass failed (see $dir/join.log)"
    touch "$dir.failed"
  }
}

# The normalise-and-join as an ffmpeg filter graph over the original inputs, the first of them
# being input number $1: picture only, or picture and sound.
normalise_and_join() { # first-input-number with-sound
  local first=$1 sound=$2 filter="" i n=${#inputs[@]}
  for ((i = 0; i < n; i++)); do
    filter+="[$((first + i)):v]scale=${size/:/x}:flags=bicubic,setsar=1,fps=30,format=yuv420p[v$i];"
    $sound && filter+="[$((first + i)):a]aresample=$srate,aformat=channel_layouts=stereo[a$i];"
  done
  for ((i = 0; i < n; i++)); do
    filter+="[v$i]"
    $sound && filter+="[a$i]"
  done
  if $sound; then filter+="concat=n=$n:v=1:a=1[v][a]"; else filter+="concat=n=$n:v=1:a=0[v]"; fi
  printf '%s' "$filter"
}

ffmpeg_one_pass() { # directory
  local dir=$1 args=()
  rm -rf "$dir"
  mkdir -p "$dir"
  for input in "${inputs[@]}"; do args+=(-i "$input"); done
  ff "${args[@]}" -filter_complex "$(normalise_and_join 0 true)" -map "[v]" -map "[a]" \
    "${ffmpeg_codecs[@]}" "$dir/joined.$ext" || touch "$dir.failed"
}

# PSNR of the luma of an output against the lossless path, from the mean squared error over all
# frames. The tools round a picture whose time falls half-way between two output frames to
# different sides, and ffmpeg's concat leaves gaps where a clip's sound outlasts its picture; so
# each output frame is held against the reference frames up to three before and after its own
# number, and the closest counts: the figure measures what the encoding lost, not which of two
# equally right frames was chosen. (The pictures move and are noisy: a wrong frame is never close.)
psnr_y() { # output repeats: shown (ours) or passed over (the peers)
  local repeats=$2 args=(-i "$1") stats="${1%.*}.psnr" shift graph split_out="" split_ref="" pairs=""
  local shifts=(-3 -2 -1 0 1 2 3)
  for input in "${inputs[@]}"; do args+=(-i "$input"); done
  for shift in "${shifts[@]}"; do
    split_out+="[o$shift]"
    split_ref+="[r$shift]"
    # Output frame n against reference frame n + shift: the earlier side drops frames first.
    if [ "$shift" -lt 0 ]; then
      pairs+="[o$shift]trim=start_frame=$((-shift)),setpts=N/30/TB[a$shift];[r$shift]null[b$shift];"
    else
      pairs+="[o$shift]null[a$shift];[r$shift]trim=start_frame=$shift,setpts=N/30/TB[b$shift];"
    fi
    pairs+="[a$shift][b$shift]psnr=shortest=1:stats_file=$stats.$shift[p$shift];"
  done
  # Our encoder stores a picture repeated for the frame rate once, its repeats as empty chunks:
  # they are shown, so fps fills them in. The peers' gaps are where ffmpeg's concat waits for
  # the sound, which the reference leaves out too, so theirs are passed over as before.
  local shown="null"
  [ "$repeats" = shown ] && shown="fps=30"
  graph="[0:v]$shown,scale=${size/:/x},setsar=1,format=yuv420p,setpts=N/30/TB,split=${#shifts[@]}$split_out;"
  graph+="$(normalise_and_join 1 false);[v]setpts=N/30/TB,split=${#shifts[@]}$split_ref;${pairs%;}"
  local maps=()
  for shift in "${shifts[@]}"; do maps+=(-map "[p$shift]" -f null -); done
  ffmpeg -hide_banner -nostats -loglevel fatal -y "${args[@]}" -filter_complex "$graph" "${maps[@]}"
  local files=()
  for shift in "${shifts[@]}"; do files+=("$stats.$shift"); done
  awk -F'[ :]' '
    FNR == 1 { n = split(FILENAME, part, "."); shift = part[n] + 0 }
    { for (i = 1; i < NF; i++) if ($i == "mse_y") mse = $(i + 1)
      frame = FNR + (shift < 0 ? -shift : 0)
      if (!(frame in best) || mse < best[frame]) best[frame] = mse
      if (frame > frames) frames = frame }
    END {
      if (!frames) { printf "-"; exit }
      for (n = 1; n <= frames; n++) if (n in best) { s += best[n]; counted++ }
      printf "%.2f", 10 * log(255 * 255 / (s / counted)) / log(10)
    }
  ' "${files[@]}" 2> /dev/null
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

# Wall-clock and processor seconds (user + system, all threads and children) of one run, appended
# to the way's list; on a shared machine the processor seconds are the steadier figure.
TIMEFORMAT='%R %U %S'
measure() { # way command...
  local way=$1 wall user system
  shift
  { time "$@"; } 2> "$way.time"
  read -r wall user system < <(tail -n 1 "$way.time")
  printf '%s %s\n' "$wall" "$(calc "$user + $system")" >> "$way.times"
}
wall_median() { cut -d' ' -f1 "$1.times" | median; }
cpu_median() { cut -d' ' -f2 "$1.times" | median; }

ways=(ours)
$with_mencoder && ways+=(mencoder)
ways+=(ours-one-pass ffmpeg)
if $report_only; then
  rounds=0
else
  for way in "${ways[@]}"; do rm -f "$way.times" "$way.conversion.all" "$way.join.all" "$way.failed"; done
fi

echo "$description"
$report_only || echo "$(nproc) cores; rounds: $rounds; load before the runs: $(cut -d' ' -f1-3 /proc/loadavg)"
[ -n "${CONVERSION_OPTIONS:-}" ] && echo "Our conversions add: $CONVERSION_OPTIONS"
[ -n "${JOIN_OPTIONS:-}" ] && echo "Our joins add: $JOIN_OPTIONS"
for ((round = 1; round <= rounds; round++)); do
  measure ours two_stages "$encoder" ours "${conversion_extra[@]}"
  cat ours/conversion.seconds >> ours.conversion.all; echo >> ours.conversion.all
  cat ours/join.seconds >> ours.join.all; echo >> ours.join.all
  if $with_mencoder; then
    measure mencoder two_stages "$(command -v mencoder)" mencoder
    cat mencoder/conversion.seconds >> mencoder.conversion.all; echo >> mencoder.conversion.all
    cat mencoder/join.seconds >> mencoder.join.all; echo >> mencoder.join.all
  fi
  measure ours-one-pass ours_one_pass ours-one-pass
  measure ffmpeg ffmpeg_one_pass ffmpeg
done
$report_only || echo "Load after the runs: $(cut -d' ' -f1-3 /proc/loadavg)"

# A way that failed in any round has no time to hold the others against.
mencoder_wall=0 mencoder_cpu=0
if $with_mencoder && [ ! -f mencoder.failed ]; then
  mencoder_wall=$(wall_median mencoder)
  mencoder_cpu=$(cpu_median mencoder)
fi
ffmpeg_wall=0 ffmpeg_cpu=0
if [ ! -f ffmpeg.failed ]; then
  ffmpeg_wall=$(wall_median ffmpeg)
  ffmpeg_cpu=$(cpu_median ffmpeg)
fi
ratio() { # value reference
  if [ "$2" = 0 ]; then printf '%7s' -; else printf '%7.2f' "$(calc "$1 / $2")"; fi
}

total_video=0
for input in "${inputs[@]}"; do total_video=$(calc "$total_video + $(length "$input" v)"); done
printf '\nThe inputs hold %.3f s of picture by their headers.\n' "$total_video"
printf '\n%-10s %-10s %8s %7s %8s %7s %7s %7s %7s %7s %8s %8s %7s %7s\n' mode way seconds \
  "cpu s" "convert" join "/menc" "/ffm" "cpu/me" "cpu/ff" "video s" "audio s" "A-V s" "PSNR-Y"
for way in "${ways[@]}"; do
  case $way in
  ours) mode="two stages" name="ours" ;;
  mencoder) mode="two stages" name="mencoder" ;;
  ours-one-pass) mode="one pass" name="ours" ;;
  ffmpeg) mode="one pass" name="ffmpeg" ;;
  esac
  wall=$(wall_median "$way")
  cpu=$(cpu_median "$way")
  convert_s=- join_s=-
  if [ -f "$way.conversion.all" ]; then
    convert_s=$(printf '%.2f' "$(median < "$way.conversion.all")")
    join_s=$(printf '%.2f' "$(median < "$way.join.all")")
  fi
  output="$way/joined.$ext"
  if [ -f "$way.failed" ]; then
    v=failed a=- offset=- psnr=-
  elif [ -s "$output" ]; then
    v=$(length "$output" v)
    a=$(length "$output" a)
    offset=$(printf '%.3f' "$(calc "$a - $v")")
    repeats=passed
    [ "$name" = ours ] && repeats=shown
    psnr=$(psnr_y "$output" "$repeats") || psnr=-
  else
    v=missing a=- offset=- psnr=-
  fi
  printf '%-10s %-10s %8.2f %7.2f %8s %7s %s %s %s %s %8s %8s %7s %7s\n' "$mode" "$name" "$wall" \
    "$cpu" "$convert_s" "$join_s" "$(ratio "$wall" "$mencoder_wall")" \
    "$(ratio "$wall" "$ffmpeg_wall")" "$(ratio "$cpu" "$mencoder_cpu")" \
    "$(ratio "$cpu" "$ffmpeg_cpu")" "$v" "$a" "$offset" "$psnr"
done
cat << EOF

/menc, /ffm: wall-clock time over MEncoder's two-stage job and over ffmpeg's one pass; cpu/me,
cpu/ff: the same in processor seconds. Targets: two stages at most 1.0 x MEncoder and 1.2 x
ffmpeg; one pass at most 0.5 x MEncoder and 0.7 x ffmpeg, the same lengths, A-V within 0.05 s and
a picture at least as good as the two stages'.
EOF

# The conversion stage with two conversions at once, against one after another: without thread
# options, and with each run held to one decoder and one encoder thread.
if $parallel && ! $report_only; then
  stage() { # directory at-once [extra words...]
    local dir=$1 at_once=$2 i=0
    shift 2
    rm -rf "$dir"
    mkdir -p "$dir"
    for input in "${inputs[@]}"; do
      convert "$encoder" "$input" "$dir/$i.avi" "$@" > "$dir/convert-$i.log" 2>&1 &
      i=$((i + 1))
      while [ "$(jobs -rp | wc -l)" -ge "$at_once" ]; do wait -n; done
    done
    wait
  }
  rm -f serial.times parallel.times parallel-held.times
  for ((round = 1; round <= rounds; round++)); do
    measure serial stage serial 1
    measure parallel stage parallel 2
    measure parallel-held stage parallel-held 2 -lavdopts threads=1 -lavcopts threads=1
  done
  printf '\n%-44s %8s %7s\n' "conversion stage (ours)" seconds "cpu s"
  printf '%-44s %8.2f %7.2f\n' "one after another" "$(wall_median serial)" "$(cpu_median serial)"
  printf '%-44s %8.2f %7.2f\n' "two at once" "$(wall_median parallel)" "$(cpu_median parallel)"
  printf '%-44s %8.2f %7.2f\n' "two at once, each held to one thread" \
    "$(wall_median parallel-held)" "$(cpu_median parallel-held)"
fi
echo
echo "Case: $case_name; work directory: $work"
