#!/usr/bin/env bash
# The program at 200% scale on a 1600x1000 screen, under openbox: the main window opens with its
# frame wholly on the screen, and a file named on the command line that is no video is told about
# in a message box owned by the shown main window and on the screen too.
#
# Usage (under xvfb-run with a 1600x1000 screen):
#   screen-fit.sh BUILD-DIR CLIPS-DIR
set -euo pipefail

build=$1
clips=$2
source "$(dirname "$0")/desktop-helpers.sh"
make_scratch_folder

mkdir -p "$work/program" "$work/home" "$work/runtime" "$work/videos"
chmod 700 "$work/runtime"
# A portable copy: its preferences and temporary folder stay beside it.
cp -r "$build/bin/." "$work/program/"
cp "$clips/clip.avi" "$clips/text.avi" "$work/videos/"

start_window_manager "$work/openbox.log"
read -r screen_w screen_h < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) .*/\1 \2/p')

cd "$work/videos"
env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
  QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2 "$work/program/vantomel" text.avi clip.avi &
program_pid=$!

# The window manager frames and places a window a moment after it maps.
on_screen() {
  local frame x y w h
  for _ in $(seq 300); do
    if frame=$(frame_of "$1"); then
      read -r x y w h <<<"$frame"
      [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$screen_w" ] &&
        [ $((y + h)) -le "$screen_h" ] && return 0
    fi
    sleep 0.1
  done
  fail "$2 at \"${frame:-no frame}\" (x y width height) is not within the ${screen_w}x${screen_h} screen"
}

main=$(window_titled "Vantomel V1.5")
on_screen "$main" "the main window"
box=$(window_titled "Vantomel")
[ "$(printf '%d' "$(xprop -id "$box" WM_TRANSIENT_FOR | sed -n 's/.*window id # //p')")" = "$main" ] ||
  fail "the probe error is not owned by the main window"
on_screen "$box" "the probe error"
xdotool windowactivate --sync "$box" key --clearmodifiers Return
for _ in $(seq 300); do
  xdotool search --all --onlyvisible --pid "$program_pid" --name "^Vantomel\$" >/dev/null 2>&1 || break
  sleep 0.1
done
wmctrl -i -c "$main"
for _ in $(seq 300); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
wait "$program_pid" || fail "the program ended with status $?"
program_pid=
echo "screen fit: all checks passed"
