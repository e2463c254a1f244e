#!/usr/bin/env bash
# Builds the benchmarks in Release (build/bench) and runs them. Prints one
# "name: value" line per figure. Needs Debian's lame and ffmpeg for the
# references; the window figures come from bench/window.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
mkdir -p build
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSKYWELL_BUILD_BENCH=ON \
  -DSKYWELL_BUILD_TESTS=OFF -DSKYWELL_BUILD_GUI=OFF > build/bench.configure.log 2>&1 \
  || { cat build/bench.configure.log; exit 1; }
cmake --build build/bench --target skywell_writerbench skywell_blockbench skywell_downloadbench skywell_streambench skywell_webbench -- -j2 >/dev/null
work=build/bench/work
mkdir -p "$work"
build/bench/bench/skywell_writerbench "$work" "$@"
build/bench/bench/skywell_downloadbench "$work"
build/bench/bench/skywell_streambench "$work" "$@"
build/bench/bench/skywell_blockbench "$work" "$@"
# Status requests to the web server while a stream recording runs.
build/bench/bench/skywell_webbench "$work"
# Eight stream recordings at once against one alone.
bench/parallel.sh
# The program itself at rest, with and without its window, and how soon
# its window takes input.
exec bench/window.sh
