#!/usr/bin/env bash
# Sets up, builds, checks the formatting and the floors of the includes and runs the whole test
# suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
scripts/check-format.sh
scripts/check-floors.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
# Every window rendered to build/screenshots/, from the clips the suite made.
QT_QPA_PLATFORM=offscreen VANTOMEL_CLIPS="$PWD/tests/clips" VANTOMEL_PROGRAM_DIR="$PWD/bin" \
  VANTOMEL_SCREENSHOTS="$PWD/screenshots" tests/screenshots -silent
