#!/usr/bin/env bash
# The window program on a virtual display: how soon the main window
# appears, and what it costs at rest (no recording, window shown), then
# the Show list of 500. Prints "name: value" lines; builds build/bench-gui.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh >/dev/null
cmake -S . -B build/bench-gui -G Ninja -DCMAKE_BUILD_TYPE=Release -DSKYWELL_BUILD_BENCH=ON \
  -DSKYWELL_BUILD_TESTS=OFF > build/bench-gui.configure.log 2>&1 \
  || { cat build/bench-gui.configure.log; exit 1; }
cmake --build build/bench-gui --target skywell skywell_windowbench -- -j"$(nproc)" >/dev/null
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash bench/windowrest.sh "$PWD/build/bench-gui"
