#!/usr/bin/env bash
# The recordings browser with 5000 recordings on a virtual display. Prints
# "name: value" lines; builds build/bench-gui.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/bench-gui -G Ninja -DCMAKE_BUILD_TYPE=Release -DSKYWELL_BUILD_BENCH=ON \
  -DSKYWELL_BUILD_TESTS=OFF > build/bench-gui.configure.log 2>&1 \
  || { cat build/bench-gui.configure.log; exit 1; }
cmake --build build/bench-gui --target skywell_browserbench -- -j"$(nproc)" >/dev/null
exec xvfb-run -a -s "-screen 0 1280x1024x24" build/bench-gui/bench/skywell_browserbench
