#!/usr/bin/env bash
# Takes the manual's pictures from a real run of the installed program: Xvfb with the openbox
# window manager, window frames and titles included, a user's Videos folder, the delivered
# profile, and a real job with the real encoder. Every window is taken at 100% and at 200%
# scale into build/screenshots/desktop/; with --manual the 100% pictures also replace the
# manual's (dist/help/images/).
#
# Usage: scripts/desktop-pictures.sh [--manual] [BUILD-DIR]
# As root the user's home is /home/sam, in a mount namespace of its own, so that no picture shows
# a build or temporary path; otherwise it is a temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD

manual=
if [ "${1:-}" = "--manual" ]; then manual=1; shift; fi
build=$(realpath "${1:-build}")
out=$build/screenshots/desktop

if [ "${VANTOMEL_PICTURES_INSIDE:-}" != 1 ]; then
  mkdir -p "$out"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  chmod 755 "$work"
  export VANTOMEL_PICTURES_INSIDE=1 VANTOMEL_PICTURES_WORK=$work
  if [ "$(id -u)" -eq 0 ]; then
    unshare --mount --propagation private bash -c \
      'mount -t tmpfs tmpfs /home && exec "$0" "$@"' "$0" "$build"
  else
    "$0" "$build"
  fi
  if [ -n "$manual" ]; then
    for picture in main-window main-window-with-rows main-window-progress output-settings \
      general-settings about main-window-copy-line main-window-columns preview main-window-trimmed; do
      cp "$out/$picture.png" "$source_dir/dist/help/images/$picture.png"
    done
    cp "$out/main-window-with-rows.png" "$source_dir/docs/main-window.png"
  fi
  echo "pictures in $out"
  exit 0
fi

work=$VANTOMEL_PICTURES_WORK
prefix=$work/prefix
if [ "$(id -u)" -eq 0 ]; then
  # Only ever the namespace's own empty /home, never a real user's.
  [ "$(findmnt -n -o FSTYPE /home)" = tmpfs ] || { echo "/home is not this run's own" >&2; exit 1; }
  user_home=/home/sam
else
  user_home=$work/home/sam
fi
videos=$user_home/Videos
mkdir -p "$videos"

# Three short clips of a phone and a camera, as a user has them.
make_clip() {
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=size=$2:rate=30:duration=12" \
    -f lavfi -i "sine=frequency=$3:sample_rate=48000:duration=12" -shortest $4 "$videos/$1"
}
make_clip "Beach walk.mp4" 1280x720 440 "-c:v libx264 -preset veryfast -c:a aac"
make_clip "Birthday cake.mov" 1280x720 523 "-c:v libx264 -preset veryfast -c:a aac"
make_clip "Harbour at dusk.avi" 640x480 659 "-c:v mpeg4 -q:v 3 -c:a libmp3lame"
# Two phones: one stores its upright clips on their side with a note to turn them, the other
# upright.
make_clip "PXL_20250711_120322.mkv" 1280x720 392 "-c:v libx264 -preset veryfast -c:a aac"
ffmpeg -nostdin -v error -y -i "$videos/PXL_20250711_120322.mkv" -c copy -metadata:s:v rotate=90 \
  "$videos/PXL_20250711_120322.mp4"
rm "$videos/PXL_20250711_120322.mkv"
make_clip "IMG_481.mp4" 720x1280 349 "-c:v libx264 -preset veryfast -c:a aac"

fail() { echo "FAIL: $*" >&2; exit 1; }

# One session at one scale: the windows a new user opens, then a real job.
take_pictures() {
  local scale=$1 suffix=$2 screen=$3
  local home=$user_home config=$user_home/.config/vantomel
  rm -rf "$config" "$user_home/.cache/vantomel"
  mkdir -p "$config"
  # The user has joined before: the output file of the last job is kept.
  sed "0,/^Output File=.*/s##Output File=$videos/Holiday.mp4#" \
    "$prefix/lib/vantomel/Preferences.ini" >"$config/Preferences.ini"
  rm -f "$videos/Holiday.mp4"
  # As root the program directory is writable whatever its modes: the program runs as nobody.
  [ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$user_home"

  cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
scale=$1 suffix=$2 home=$3
source "$SOURCE_DIR/tests/desktop/desktop-helpers.sh"
program_pid= wm_pid=
trap 'kill $program_pid $wm_pid 2>/dev/null || true' EXIT
start_window_manager /dev/null

start_program() {
  local as_user=()
  [ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  (cd "$home/Videos" && exec "${as_user[@]}" env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$home" \
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" "$PREFIX/bin/vantomel" "$@" </dev/null) &
  program_pid=$!
}
# A window once it has drawn itself.
drawn_window() {
  local id
  id=$(window_titled "$1")
  sleep 0.5
  echo "$id"
}
# The window with its frame, as the screen shows it.
take() {
  local x y w h
  read -r x y w h < <(frame_of "$1")
  [ $x -ge 0 ] || x=0
  [ $y -ge 0 ] || y=0
  ffmpeg -nostdin -v error -y -f x11grab -draw_mouse 0 -video_size "${w}x${h}" -i "$DISPLAY+$x,$y" -frames:v 1 \
    "$OUT/$2$suffix.png"
}
press() { xdotool windowactivate --sync "$1" key --clearmodifiers "$2"; }
# Toolbar buttons by their place in the main window (56-pixel buttons, 75-pixel toolbar).
click_toolbar() {
  xdotool mousemove --window "$1" $(($2 * scale)) $((37 * scale)) click 1
}
start_button=388 settings_button=508 about_button=572

start_program
main=$(drawn_window "Vantomel V1.5")
take "$main" main-window
kill "$program_pid"; wait "$program_pid" 2>/dev/null || true

start_program "Beach walk.mp4" "Birthday cake.mov" "Harbour at dusk.avi"
main=$(drawn_window "Vantomel V1.5")
take "$main" main-window-with-rows
# The preview of the first row, a few pictures on.
xdotool mousemove --window "$main" $((200 * scale)) $((119 * scale)) click 1
press "$main" space
window=$(drawn_window "Beach walk.mp4")
sleep 1
# In at its tenth picture, out at its seventieth.
xdotool windowactivate --sync "$window" key --clearmodifiers --repeat 10 --delay 30 Right
sleep 0.5
press "$window" i
xdotool windowactivate --sync "$window" key --clearmodifiers --repeat 60 --delay 30 Right
sleep 0.5
press "$window" o
sleep 0.5
take "$window" preview
press "$window" Escape
sleep 0.5
take "$main" main-window-trimmed
press "$main" alt+s
window=$(drawn_window "Output Settings")
take "$window" output-settings
press "$window" Escape
click_toolbar "$main" $settings_button
window=$(drawn_window "Settings")
take "$window" general-settings
press "$window" Escape
click_toolbar "$main" $about_button
window=$(drawn_window "About")
take "$window" about
press "$window" Escape

# A real job: the toolbar locked, Stop red and the time counting.
click_toolbar "$main" $start_button
sleep 4
take "$main" main-window-progress
id=$(drawn_window "Complete")
take "$id" job-completed
press "$id" Return
kill "$program_pid"; wait "$program_pid" 2>/dev/null || true

# The phones' clips beside the camera's, with a profile that copies: the line under the list
# names the clips that stop the copy.
sed -i 's/^Profile=.*/Profile=7/; s/^Profile Name=.*/Profile Name=MP4 - Same as the videos (no re-encoding)/' \
  "$home/.config/vantomel/Preferences.ini"
start_program "Beach walk.mp4" "Birthday cake.mov" "PXL_20250711_120322.mp4" "IMG_481.mp4" \
  "Harbour at dusk.avi"
main=$(drawn_window "Vantomel V1.5")
sleep 2
take "$main" main-window-copy-line
# The header's menu, which hides and shows columns: the screen shows it over the window.
xdotool mousemove --window "$main" $((200 * scale)) $((87 * scale)) click 3
sleep 0.5
take "$main" main-window-columns
xdotool key Escape
SESSION
  SOURCE_DIR=$source_dir xvfb-run -a -s "-ac -screen 0 ${screen}x24" bash "$work/session.sh" "$scale" "$suffix" "$home" \
    </dev/null
}

export PREFIX=$prefix OUT=$out
take_pictures 1 "" 1280x900
take_pictures 2 "-200" 2560x1800
