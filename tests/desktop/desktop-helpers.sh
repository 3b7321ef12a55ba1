# Shell functions for driving the program on a real X desktop (Xvfb with openbox), sourced by the
# desktop checks and by scripts/desktop-pictures.sh. They read $program_pid, the running program.

fail() { echo "FAIL: $*" >&2; exit 1; }

# A scratch folder, $work, for one check. However the check ends, the program and the window
# manager it started are ended and the folder is removed.
make_scratch_folder() {
  work=$(mktemp -d)
  program_pid=
  wm_pid=
  trap end_check EXIT
}
end_check() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  rm -rf "$work"
}

# Starts openbox and waits for it; sets wm_pid. A loaded machine (the rest of the suite runs
# beside the checks) may take seconds to start it, and an openbox that finds no display yet is
# started again.
start_window_manager() {
  local log=$1
  openbox >"$log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 300); do
    wmctrl -m >/dev/null 2>&1 && return 0
    if ! kill -0 "$wm_pid" 2>/dev/null; then
      openbox >>"$log" 2>&1 &
      wm_pid=$!
    fi
    sleep 0.1
  done
  fail "no window manager on $DISPLAY: $(tail -3 "$log")"
}

# A window of the program with exactly this title; waits for it to appear.
window_titled() {
  local id
  for _ in $(seq 600); do
    id=$(xdotool search --all --onlyvisible --pid "$program_pid" --name "^$1\$" 2>/dev/null |
      head -1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  fail "no window titled \"$1\"; open: $(wmctrl -l | cut -c 20- | tr '\n' '|')"
}

# The window with the window manager's frame, as "x y width height" on the screen. xwininfo, not
# xdotool: xdotool counts the frame's offset twice under a reparenting window manager.
frame_of() {
  local X Y WIDTH HEIGHT left right top bottom
  read -r X Y WIDTH HEIGHT < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4}
    /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2}
    END {print x, y, w, h}')
  IFS=', ' read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS |
    sed -n 's/.*= //p')
  [ -n "$bottom" ] || return 1
  echo $((X - left)) $((Y - top)) $((WIDTH + left + right)) $((HEIGHT + top + bottom))
}
