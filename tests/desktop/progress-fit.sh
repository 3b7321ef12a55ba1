#!/usr/bin/env bash
# Runs the progress strip's desktop test under openbox, once at 100% and once at 200% scale.
#
# Usage (under xvfb-run with a 1600x1000 screen):
#   progress-fit.sh TEST-PROGRAM
set -euo pipefail

source "$(dirname "$0")/desktop-helpers.sh"
make_scratch_folder

start_window_manager "$work/openbox.log"
for scale in 1 2; do
  QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale "$1" || fail "the progress strip at scale $scale"
done
