#!/usr/bin/env bash
# The notification icon on a real tray (trayer under Xvfb): minimising
# hides the window behind the idle icon, a click on the icon restores it,
# the recording icon shows while recording. Without a tray, minimising
# leaves an ordinary minimised window that can be restored. The tuner's
# window follows the main window.
source "$(dirname "$0")/lib.sh"
: "${SKYWELL_BUILD_DIR:?}"
check=$SKYWELL_BUILD_DIR/tests/ui/windowcheck
cat > "$E2E_DIR/withtray.sh" <<SCRIPT
trayer --edge top --align right --widthtype request --height 32 &
tray=\$!
sleep 1
"$check" tray
status=\$?
kill \$tray
exit \$status
SCRIPT
xvfb-run -a -n "$((100 + RANDOM % 800))" -s "-screen 0 1024x768x24" bash "$E2E_DIR/withtray.sh" || fail "with a tray"
xvfb-run -a -n "$((100 + RANDOM % 800))" -s "-screen 0 1024x768x24" "$check" notray || fail "without a tray"
# The "Skywell Tuner" window is minimised and shown with the main window.
xvfb-run -a -n "$((100 + RANDOM % 800))" -s "-screen 0 1024x768x24" "$check" tuner || fail "the tuner window does not follow"
pass "notification icon with and without a tray"
