#!/usr/bin/env bash
# Runs the progress strip's desktop test under openbox, once at 100% and once at 200% scale.
#
# Usage (under xvfb-run with a 1600x1000 screen):
#   progress-fit.sh TEST-PROGRAM
set -euo pipefail

work=$(mktemp -d)
wm_pid=
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/desktop-helpers.sh"

start_window_manager "$work/openbox.log"
for scale in 1 2; do
  QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale "$1" || fail "the progress strip at scale $scale"
done
