#!/usr/bin/env bash
# Run by window.sh on a virtual display: BUILD is the build folder.
set -euo pipefail
build=$1
work=$(mktemp -d /tmp/skywell-windowbench.XXXXXX)
trap 'kill $pid 2>/dev/null || true; rm -rf "$work"' EXIT
export SKYWELL_HOME=$work/home/ XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export XDG_RUNTIME_DIR=$work/runtime SKYWELL_MACHINE_CONFIG=$work/machine
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/Skywell" "${SKYWELL_HOME}Recordings" "$work/temp"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[Skywell%%205]\nFirst%%20Time=0\nMP3%%20Folder=%s\nTemp%%20Folder=%s\n' "${SKYWELL_HOME}Recordings/" \
  "$work/temp/" > "$XDG_CONFIG_HOME/Skywell/skywell.ini"
printf '[General]\nAddShowHint=1\n' > "$XDG_CONFIG_HOME/Skywell/Skywell5.ini"

ms() { date +%s%3N; }
start=$(ms)
"$build/skywell" </dev/null >"$work/out.txt" 2>&1 &
pid=$!
# The splash comes first and may stay; the main window beside it must
# take input: usable is when a click on its About button is answered.
splash=
until [ -n "$splash" ]; do
  splash=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1) || true
  [ -n "$splash" ] || sleep 0.01
done
echo "first_window_ms: $(($(ms) - start))"
# The main window: the visible "Skywell" of 594 x 475.
main_window() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Skywell$' 2>/dev/null); do
    xdotool getwindowgeometry "$w" 2>/dev/null | grep -q 'Geometry: 594x475' && { echo "$w"; return 0; }
  done
  return 1
}
about_shown() { xdotool search --onlyvisible --name '^About Skywell$' 2>/dev/null | head -1; }
main=
about=
until [ -n "$about" ]; do
  [ -n "$main" ] || main=$(main_window) || true
  [ -z "$main" ] || xdotool mousemove --window "$main" 20 14 click 1 2>/dev/null || true
  for _ in 1 2 3 4 5; do
    about=$(about_shown) || true
    [ -n "$about" ] && break
    sleep 0.01
  done
done
echo "window-usable-ms: $(($(ms) - start))"
xdotool windowactivate --sync "$about" key Return 2>/dev/null || true
for _ in $(seq 50); do [ -z "$(about_shown)" ] && break; sleep 0.1; done
[ -z "$(about_shown)" ] || xdotool windowclose "$about" 2>/dev/null || true

sleep 3
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks); s0=$(ms)
sleep 20
t1=$(ticks); s1=$(ms)
awk -v t="$((t1 - t0))" -v hz="$hz" -v ms="$((s1 - s0))" 'BEGIN { printf "rest_cpu_percent_of_core: %.2f\n", 100 * t / hz / (ms / 1000) }'
awk '/VmRSS/ { printf "window-rest-rss-mb: %.1f\n", $2 / 1024 }' "/proc/$pid/status"
"$build/skywell" UNINSTALL </dev/null || true
while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done

# The same program without a window, at rest.
"$build/skywell" --headless </dev/null >"$work/headless.txt" 2>&1 &
pid=$!
until grep -q "Load Program" "${SKYWELL_HOME}log.txt" 2>/dev/null; do sleep 0.1; done
sleep 10
awk '/VmRSS/ { printf "headless-rest-rss-mb: %.1f\n", $2 / 1024 }' "/proc/$pid/status"
"$build/skywell" UNINSTALL </dev/null || true
while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done

"$build/bench/skywell_windowbench"
