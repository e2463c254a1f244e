#!/usr/bin/env bash
# cmake --install puts the program, its helpers, a valid menu entry and a
# scalable icon where the desktop finds them, and the user service.
source "$(dirname "$0")/lib.sh"
: "${SKYWELL_BUILD_DIR:?}"
prefix=$E2E_DIR/prefix
cmake --install "$SKYWELL_BUILD_DIR" --prefix "$prefix" >"$E2E_DIR/install.txt" 2>&1 \
  || { cat "$E2E_DIR/install.txt" >&2; fail "cmake --install failed"; }
for program in skywell skywell-tuner skywell-cdwrite skywell-urlfinder; do
  [ -x "$prefix/bin/$program" ] || fail "$program not installed"
done
entry=$prefix/share/applications/skywell.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/skywell.svg
[ -f "$entry" ] || fail "no menu entry"
desktop-file-validate "$entry" || fail "the menu entry is not valid"
grep -qx 'Exec=skywell %f' "$entry" || fail "the menu entry does not start skywell"
grep -qx 'Icon=skywell' "$entry" || fail "the menu entry names another icon"
[ -f "$icon" ] || fail "no scalable icon"
grep -q '<svg' "$icon" || fail "the icon is not an SVG picture"
# The user guide, where the installed program looks for it.
guide=$prefix/share/doc/skywell/user-guide.html
[ -f "$guide" ] || fail "no user guide installed"
grep -q 'id="main_window"' "$guide" || fail "the installed guide has no main window section"
# The user service runs the installed program without a window.
unit=$prefix/lib/systemd/user/skywell.service
grep -qx "ExecStart=$prefix/bin/skywell --headless" "$unit" || fail "the user service does not start skywell --headless"
grep -qx 'Restart=on-failure' "$unit" || fail "the user service is not restarted on failure"
# The installed program starts and ends (headless: no display needed).
SKYWELL_BIN=$prefix/bin/skywell
start_headless
wait_for_log "Load Program.  Current Version 5.02" 15
timeout 5 "$SKYWELL_BIN" UNINSTALL </dev/null
pass "installed as a desktop program"
