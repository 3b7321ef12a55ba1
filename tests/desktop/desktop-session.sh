#!/usr/bin/env bash
# The installed program on a real X desktop: Xvfb with the openbox window manager, driven with
# xdotool and read with xprop, as a user who cannot write the program directory. Checks the
# exact titles of the main window, dialogs and message boxes; that dialogs belong to the main
# window (transient for it, modal, centred on it); that the window manager cannot close the main
# window while a dialog is open; that closing it ends the program without an error; and that the
# preferences are kept in the user's config folder; and that "Save As..." of the Output Settings
# asks for the name in a question of its own and writes the profile into the user's folder.
#
# Usage (under xvfb-run with "-ac", so that the other user may connect):
#   desktop-session.sh BUILD-DIR CLIPS-DIR
set -euo pipefail

build=$1
clips=$2
source "$(dirname "$0")/desktop-helpers.sh"
make_scratch_folder

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
chmod 755 "$work"
mkdir -p "$work/home" "$work/runtime" "$work/videos"
cp "$clips/clip.avi" "$work/videos/clip.avi"
delivered=$(cat "$prefix/lib/vantomel/Preferences.ini")

# As root the program directory is writable whatever its modes; the check runs as nobody then.
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$work/home" "$work/runtime" "$work/videos"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  chmod -R a-w "$prefix/lib/vantomel"
  as_user=()
fi
chmod 700 "$work/runtime"

start_window_manager "$work/openbox.log"

gone() {
  for _ in $(seq 300); do
    xdotool search --all --onlyvisible --pid "$program_pid" --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "\"$1\" is still open"
}
title_of() { xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'; }
owner_of() { printf '%d' "$(xprop -id "$1" WM_TRANSIENT_FOR | sed -n 's/.*window id # //p')"; }
# A window of the program owned by the given one, modal, centred on it, titled exactly.
check_owned() {
  local id=$1 owner=$2 title=$3
  [ "$(title_of "$id")" = "$title" ] || fail "title \"$(title_of "$id")\", not \"$title\""
  [ "$(owner_of "$id")" = "$owner" ] || fail "\"$title\" is not owned by its window"
  xprop -id "$id" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL || fail "\"$title\" is not modal"
  local ox oy ow oh x y w h
  eval "$(xdotool getwindowgeometry --shell "$owner" | sed 's/^/o/')"
  ox=$oX oy=$oY ow=$oWIDTH oh=$oHEIGHT
  eval "$(xdotool getwindowgeometry --shell "$id")"
  x=$X y=$Y w=$WIDTH h=$HEIGHT
  local dx=$(((x + w / 2) - (ox + ow / 2))) dy=$(((y + h / 2) - (oy + oh / 2)))
  [ "${dx#-}" -le 40 ] && [ "${dy#-}" -le 40 ] || fail "\"$title\" is not centred on its window"
}
press() { xdotool windowactivate --sync "$1" key --clearmodifiers "$2"; }
# Toolbar buttons by their place in the main window (56-pixel buttons, 75-pixel toolbar).
click_toolbar() { xdotool mousemove --window "$1" "$2" 37 click 1; }
start_button=388 settings_button=508 about_button=572
alive() { kill -0 "$program_pid" 2>/dev/null; }

cd "$work/videos"
env -i PATH="$PATH" DISPLAY="$DISPLAY" HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" \
  QT_QPA_PLATFORM=xcb "${as_user[@]}" "$prefix/bin/vantomel" clip.avi clip.avi &
program_pid=$!

# Before the main window shows, the second mention of a file asks.
box=$(window_titled "Already Listed")
press "$box" alt+y
main=$(window_titled "Vantomel V1.5")
[ "$(title_of "$main")" = "Vantomel V1.5" ] || fail "main window title \"$(title_of "$main")\""

# A refusal of Start is a message box of the main window.
click_toolbar "$main" $start_button
box=$(window_titled "Output path does not exist")
check_owned "$box" "$main" "Output path does not exist"
press "$box" Return
gone "Output path does not exist"

click_toolbar "$main" $about_button
about=$(window_titled "About")
check_owned "$about" "$main" "About"
wmctrl -i -c "$main"
sleep 1
alive || fail "closing the main window with About open ended the program"
xdotool search --all --onlyvisible --pid "$program_pid" --name "^Vantomel V1\.5\$" >/dev/null ||
  fail "the main window closed while About was open"
press "$about" Escape
gone "About"

click_toolbar "$main" $settings_button
settings=$(window_titled "Settings")
check_owned "$settings" "$main" "Settings"
press "$settings" alt+l
box=$(window_titled "Load Default")
check_owned "$box" "$settings" "Load Default"
press "$box" Escape
gone "Load Default"
press "$settings" Escape
gone "Settings"

press "$main" alt+s
output=$(window_titled "Output Settings")
check_owned "$output" "$main" "Output Settings"
# Save As asks for the name in a question of the Output Settings; the new profile lands in the
# user's profile folder and is the one chosen from then on.
press "$output" alt+a
name_question=$(window_titled "Save Profile As")
check_owned "$name_question" "$output" "Save Profile As"
xdotool windowactivate --sync "$name_question" key --clearmodifiers ctrl+a type "Phone"
press "$name_question" Return
gone "Save Profile As"
wmctrl -i -c "$output"
gone "Output Settings"

# Closing the main window ends the program; a failed write of the preferences would show an
# error box and keep it running.
wmctrl -i -c "$main"
for _ in $(seq 300); do alive || break; sleep 0.1; done
alive && fail "the program still runs after its main window closed: $(wmctrl -l | cut -c 20- | tr '\n' '|')"
wait "$program_pid" || fail "the program ended with status $?"
program_pid=

user_preferences=$work/home/.config/vantomel/Preferences.ini
[ -f "$user_preferences" ] || fail "no preferences in the user's config folder"
grep -q '^Output File=' "$user_preferences" || fail "closing stored nothing"
[ "$(cat "$prefix/lib/vantomel/Preferences.ini")" = "$delivered" ] ||
  fail "the delivered preferences changed"
[ -d "$work/home/.cache/vantomel/temp" ] || fail "no temporary folder in the user's cache"
saved_profile=$work/home/.config/vantomel/Profiles/Phone.bpf
[ -f "$saved_profile" ] || fail "Save As wrote no profile into the user's profile folder"
grep -qx 'Profile Name=Phone' "$user_preferences" || fail "the saved profile is not the one chosen"
echo "desktop session: all checks passed"
