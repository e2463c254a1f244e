#!/usr/bin/env bash
# The main window on a real X display with three Shows, one of them
# recording, saved as mainwindow.png in the build folder for anyone to look at.
source "$(dirname "$0")/lib.sh"
: "${SKYWELL_BUILD_DIR:?}"
shot=$SKYWELL_BUILD_DIR/mainwindow.png
rm -f "$shot"
xvfb-run -a -n "$((100 + RANDOM % 800))" -s "-screen 0 1024x768x24" "$SKYWELL_BUILD_DIR/tests/ui/windowcheck" screenshot "$shot" \
  || fail "the window could not be shown and captured"
[ -s "$shot" ] || fail "no screenshot"
pass "main window screenshot in $shot"
