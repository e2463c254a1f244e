#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given
# number of seconds (default 60): scripts/fuzz.sh [SECONDS]
# Seeds come from fuzz/corpus/<target>; what the fuzzer finds on the way
# is kept in build/fuzz/corpus/<target>, crashes in build/fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
command -v clang++ >/dev/null || { echo "fuzz.sh needs clang (apt-get install clang)" >&2; exit 1; }

dir=build/fuzz
mkdir -p build
CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYWELL_BUILD_FUZZ=ON \
  -DSKYWELL_BUILD_GUI=OFF -DSKYWELL_BUILD_TESTS=OFF > "$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" --target fuzz_showimport fuzz_showfile fuzz_blocks fuzz_catalogue fuzz_stationdirectory fuzz_icymetadata -- -j2

status=0
mkdir -p "$dir/crashes"
for target in showimport showfile blocks catalogue stationdirectory icymetadata; do
  mkdir -p "$dir/corpus/$target"
  echo "== fuzz_$target for $seconds s"
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "$dir/fuzz/fuzz_$target" "$dir/corpus/$target" "fuzz/corpus/$target" \
    -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/crashes/$target-" -print_final_stats=1 2>&1 | tail -n 25 || status=1
done
exit $status
