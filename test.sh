#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the library's
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# window and end-to-end tests against the normal build. Exits non-zero when
# any test fails.
set -uo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh || exit 1

mkdir -p build
echo "== Building (normal)"
# The library tests run under the sanitizers only: the normal tree leaves them out.
# Its debug information is the line tables and function names (-g1): enough
# for backtraces, a quarter less compile time than the full -g.
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYWELL_BUILD_UNIT_TESTS=OFF \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" || exit 1

# Services the tests use (audio server, ...): each script starts one and
# adds its clean-up command to CLEANUP.
CLEANUP=()
e2e_pid=
library_pid=
cleanup() {
  # Tests still running (an interrupted run) end before their services:
  # each background run is a process group of its own.
  for pid in $e2e_pid $library_pid; do kill -- "-$pid" >/dev/null 2>&1 || true; done
  for c in "${CLEANUP[@]}"; do eval "$c" >/dev/null 2>&1 || true; done
}
trap cleanup EXIT
export TEST_RUNTIME_DIR=$PWD/build/test-runtime
rm -rf "$TEST_RUNTIME_DIR"; mkdir -p "$TEST_RUNTIME_DIR"; chmod 700 "$TEST_RUNTIME_DIR"
for service in scripts/test-services/*.sh; do
  [ -e "$service" ] || continue
  # shellcheck disable=SC1090
  source "$service" || { echo "Cannot start the test service $service" >&2; exit 1; }
done

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
status=0
# Recordings take minutes of real time and run side by side; the window and
# end-to-end tests take turns among themselves (RESOURCE_LOCK) beside them.
# They mostly wait on the clock, so they start now, in the background, while
# the sanitizer tree builds and the library tests run. Those two run at a
# lower priority, so the recordings get the processor whenever they need it.
e2e_log=build/e2e-tests.log
echo "== Recordings, window and end-to-end tests: started, reported below"
setsid ctest --test-dir build --output-on-failure -LE unit -j8 </dev/null >"$e2e_log" 2>&1 &
e2e_pid=$!
report_e2e() {
  wait "$e2e_pid" || status=1
  e2e_pid=
  echo "== Recordings, window and end-to-end tests"
  cat "$e2e_log"
}

echo "== Building (sanitizers)"
if ! nice -n 10 scripts/build.sh build/asan -DCMAKE_BUILD_TYPE=Debug -DSKYWELL_SANITIZE=ON -DSKYWELL_BUILD_GUI=OFF; then
  report_e2e
  exit 1
fi

# The tests on the sound server change its default sink and source for a
# moment: they run one at a time, on PulseAudio and again on PipeWire, and
# only once the recordings, window and end-to-end tests are over. The other
# library tests leave the shared sound server alone: they run beside both.
sound_server_tests='^(PulseCapture|PulseMixer|ServerMixer)\.'
library_log=build/asan/library-tests.log
setsid nice -n 10 ctest --test-dir build/asan --output-on-failure -j2 -L unit -E "$sound_server_tests" \
  </dev/null >"$library_log" 2>&1 &
library_pid=$!
report_e2e
echo "== Capture and mixer tests on PulseAudio (sanitizers)"
ctest --test-dir build/asan --output-on-failure -L unit -R "$sound_server_tests" || status=1
echo "== Capture and mixer tests on PipeWire (sanitizers)"
PULSE_SERVER=$SKYWELL_TEST_PIPEWIRE_SERVER \
  ctest --test-dir build/asan --output-on-failure -L unit -R "$sound_server_tests" || status=1
wait "$library_pid" || status=1
library_pid=
echo "== Library tests (sanitizers)"
cat "$library_log"
exit $status
