#!/usr/bin/env bash
# Sets up, builds and starts Vantomel from its program directory; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
cd build/bin
exec ./vantomel "$@"
