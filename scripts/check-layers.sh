#!/usr/bin/env bash
# Keeps the dependencies between the source folders running one way: a
# folder may include the headers of its own layer and of the layers below
# it, never of one above. The layers, lowest first:
#
#   core         settings, clock, log, files: needs nothing of Skywell
#   shows        the Show list, its file and schedule
#   postprocess  tags, tools run on finished files, delivery
#   tuning       catalogue, station directory, players, downloads
#   recording    capture, writers, the recording controller and its ports
#   mixer        source test, test sound, the mixer's model
#   control      the commands a running Skywell takes (command line, web)
#   web          the browser's page and its server
#   platform     PulseAudio, X11, D-Bus and other Linux back ends
#   ui           the Qt Widgets windows
#   app          wiring everything together into the program
#
# Folders not listed (urlfinder) sit above app. Run with no argument to
# check src/ (exit 1 and one "file: #include" line per breach), or with
# --self-test to check that a planted upward include is caught.
set -uo pipefail

LAYERS=(core shows postprocess tuning recording mixer control web platform ui app)

rank() {
  local i
  for i in "${!LAYERS[@]}"; do
    [ "${LAYERS[$i]}" = "$1" ] && { echo "$i"; return; }
  done
  echo "${#LAYERS[@]}"
}

# check SRC_DIR: prints each upward include; false when there is one.
check() {
  local src=$1 found=0 file line folder target
  declare -A ranks=()
  for folder in "$src"/*/; do
    folder=$(basename "$folder")
    ranks[$folder]=$(rank "$folder")
  done
  while IFS= read -r line; do
    file=${line%%:*}
    target=${line#*#include \"}
    target=${target%%/*}
    folder=${file#"$src"/}
    folder=${folder%%/*}
    [ -n "${ranks[$target]:-}" ] || continue
    if [ "${ranks[$target]}" -gt "${ranks[$folder]}" ]; then
      echo "${file#"$src"/}: ${line#*:}"
      found=1
    fi
  done < <(grep -rE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' "$src" \
    | sed -E 's/:[[:space:]]*#[[:space:]]*include[[:space:]]*/:#include /')
  return $found
}

here=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = "--self-test" ]; then
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  cp -r "$here/src" "$tmp/src"
  check "$tmp/src" >/dev/null || { echo "check-layers: src/ itself has an upward include" >&2; exit 1; }
  echo '#include "ui/mainwindow.h"' >>"$tmp/src/core/settings.cpp"
  out=$(check "$tmp/src") && { echo "check-layers: a planted include of ui from core passed" >&2; exit 1; }
  [ "$out" = 'core/settings.cpp: #include "ui/mainwindow.h"' ] || {
    echo "check-layers: the planted include was reported as: $out" >&2
    exit 1
  }
  echo "check-layers: self-test passed"
  exit 0
fi

if ! check "$here/src"; then
  echo "check-layers: a lower layer includes a higher one (order: ${LAYERS[*]})" >&2
  exit 1
fi
