#!/usr/bin/env bash
# Eight "Internet Stream" recordings at once, each from a loopback station
# of its own (128 kbit/s MP3) into MP3 FM, against one such recording
# alone for the same time, by skywell --headless (Release, build/bench);
# then one recording kept as broadcast (title splits, no silence rule).
#
#   bench/parallel.sh [as-broadcast]   SKYWELL_PARALLEL_SECONDS: the Shows' length (300)
#
# Prints "parallel-8-cpu-vs-1: <ratio>" (CPU seconds of the eight over
# eight times those of the one, both counted from the moment every capture
# ran to the moment every recording ended), "parallel-8-rss-mb: <MB>" (the
# program's peak resident memory) and "parallel-8-audio-lost-s: <s>" (the
# most any track of the eight is shorter than the time it was captured).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${SKYWELL_PARALLEL_SECONDS:-300}
# SKYWELL_BIN: a program already built, to try the bench with.
bin=${SKYWELL_BIN:-}
if [ -z "$bin" ]; then
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DSKYWELL_BUILD_BENCH=ON \
    -DSKYWELL_BUILD_TESTS=OFF -DSKYWELL_BUILD_GUI=OFF >build/bench.configure.log 2>&1 ||
    { cat build/bench.configure.log; exit 1; }
  cmake --build build/bench --target skywell -- -j2 >/dev/null
  bin=$PWD/build/bench/skywell
fi
source tests/e2e/showfile_lib.sh

work=$(mktemp -d /tmp/skywell-parallelbench.XXXXXX)
pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Eight stations, each a music-like signal of its own: a wandering chord
# over soft noise.
urls=()
for i in 1 2 3 4 5 6 7 8; do
  base=$((180 + 37 * i))
  ffmpeg -nostdin -v error -f lavfi -i "aevalsrc=exprs=0.28*sin(2*PI*t*($base+55*floor(mod(2*t\,4))))+0.18*sin(2*PI*$((base * 3 / 2))*t)+0.03*(random(0)-0.5)|0.28*sin(2*PI*t*($base+55*floor(mod(2*t\,4))))+0.18*sin(2*PI*$((base * 2))*t)+0.03*(random(1)-0.5):s=44100:c=stereo:d=30" \
    -c:a libmp3lame -b:a 128k -id3v2_version 0 -write_xing 0 -f mp3 "$work/station$i.mp3"
  python3 tests/e2e/streamserver.py "$work/station$i.mp3" "$work/port$i" "Station $i" </dev/null >/dev/null 2>&1 &
  pids+=("$!")
  disown "$!"
done
for i in 1 2 3 4 5 6 7 8; do
  for _ in $(seq 100); do [ -s "$work/port$i" ] && break; sleep 0.1; done
  urls+=("http://127.0.0.1:$(cat "$work/port$i")/stream.mp3")
done

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
count() { if [ -f "$log" ]; then grep -cF -- "$1" "$log" || true; else echo 0; fi; }
wait_count() {
  local end=$((SECONDS + $3))
  until [ "$(count "$1")" -ge "$2" ]; do
    [ $SECONDS -lt $end ] || { echo "parallel: fewer than $2 '$1' lines; the log:" >&2; cat "$log" >&2; exit 1; }
    sleep 0.5
  done
}
# Seconds since 1970 of the first log line with both texts.
line_time() {
  local line
  line=$(grep -F -- "$1" "$log" | grep -F -- "$2" | head -n 1)
  [ -n "$line" ] || return 1
  date -d "$(echo "$line" | awk '{print $1, $2, $3, $4, $5}')" +%s
}
mp3_seconds() {
  ffprobe -v error -count_frames -show_entries stream=nb_read_frames,sample_rate -of csv=p=0 "$1" |
    awk -F, '{printf "%.1f\n", $2 * 1152 / $1}'
}

# run N [FLAGS]: N Shows at once (MP3 FM unless FLAGS say otherwise) in a
# fresh home; sets CPU (seconds), RSS_MB and LOST (seconds, the most any
# track falls short of its capture time).
run() {
  local n=$1 flags=${2:-$((0x1000 | 0x7f | 0x400))} home=$work/run$1 i pid c0 start
  rm -rf "$home"
  mkdir -p "$home/home" "$home/config/Skywell" "$home/runtime" "$home/music/Skywell" "$home/cache/skywell"
  chmod 700 "$home/runtime"
  export SKYWELL_HOME=$home/home/ XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data
  export XDG_RUNTIME_DIR=$home/runtime SKYWELL_MACHINE_CONFIG=$home/machine XDG_CACHE_HOME=$home/cache
  printf 'XDG_MUSIC_DIR="%s/music"\n' "$home" >"$XDG_CONFIG_HOME/user-dirs.dirs"
  printf '[Skywell%%205]\nConnection%%20Time=5\nRetune%%20Time=60\nFirst%%20Time=0\n' \
    >"$XDG_CONFIG_HOME/Skywell/skywell.ini"
  log=${SKYWELL_HOME}log.txt
  start=$(($(date +%s) + 20))
  for ((i = 1; i <= n; i++)); do
    SHOW_SOURCE="Internet Stream" SHOW_SPLIT_AT="255 255 255 255 255 255 255 255" \
      show_record "Bench $i" "${urls[$((i - 1))]}" "$flags" "$start" "$((start + seconds))" 0 0 "$i" 0
  done >"${SKYWELL_HOME}Skywell5.dat"
  "$bin" --headless </dev/null >"$home/out.txt" 2>&1 &
  pid=$!
  pids+=("$pid")
  disown "$pid"
  wait_count "Capture started:" "$n" 60
  c0=$(ticks "$pid")
  wait_count "End Recording" "$n" $((seconds + 120))
  sleep 2
  CPU=$(awk -v t="$(($(ticks "$pid") - c0))" -v hz="$(getconf CLK_TCK)" 'BEGIN { print t / hz }')
  RSS_MB=$(awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status")
  "$bin" UNINSTALL </dev/null >/dev/null 2>&1 || true
  while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
  LOST=0
  for ((i = 1; i <= n; i++)); do
    local track from to len
    track=$(ls "$home/music/Skywell/" | grep -E "^Bench $i .*\.mp3\$" | head -n 1) ||
      { echo "parallel: Bench $i left no track" >&2; LOST=$seconds; continue; }
    len=$(mp3_seconds "$home/music/Skywell/$track")
    # A recording's log lines name its Show; without them, from the Show's
    # start to the writing of its track.
    from=$(line_time "Capture started:" "Bench $i") || from=$start
    to=$(line_time "End Recording" "Bench $i") || to=$(line_time "Writing recording" "/$track")
    LOST=$(awk -v l="$LOST" -v d="$((to - from))" -v len="$len" 'BEGIN { x = d - len; print (x > l ? x : l) }')
  done
}

if [ "${1:-}" = as-broadcast ]; then
  run 1 $((0x1000 | 0x7f | 0x8000000 | 0x1000000))
  echo "as-broadcast-rss-mb: $RSS_MB"
  exit 0
fi
run 1
cpu1=$CPU
run 8
echo "parallel seconds: one $cpu1 s CPU, eight $CPU s CPU" >&2
awk -v a="$CPU" -v b="$cpu1" 'BEGIN { printf "parallel-8-cpu-vs-1: %.3f\n", (b > 0 ? a / (8 * b) : 0) }'
echo "parallel-8-rss-mb: $RSS_MB"
echo "parallel-8-audio-lost-s: $LOST"
run 1 $((0x1000 | 0x7f | 0x8000000 | 0x1000000))
echo "as-broadcast-rss-mb: $RSS_MB"
