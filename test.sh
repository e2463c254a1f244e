#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the library's
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# window and end-to-end tests against the normal build. Exits non-zero when
# any test fails.
set -uo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh || exit 1

# A lower layer of src/ must never include a higher one.
echo "== Checking the include layers"
scripts/check-layers.sh || exit 1

mkdir -p build
# Both trees are unity builds: the compiler sees a few files joined into
# one at a time, which halves the work of a build from scratch (the
# headers and templates they share are compiled once a batch). Without
# ccache they also precompile the Qt and standard headers.
unity=(-DCMAKE_UNITY_BUILD=ON)
echo "== Building (normal)"
# The library tests run under the sanitizers only: the normal tree leaves them out.
# Its debug information is the line tables and function names (-g1): enough
# for backtraces, and 10 to 25 % less compile time per file than the full -g.
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYWELL_BUILD_UNIT_TESTS=OFF "${unity[@]}" \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" || exit 1
echo "== Building (sanitizers)"
scripts/build.sh build/asan -DCMAKE_BUILD_TYPE=Debug -DSKYWELL_SANITIZE=ON -DSKYWELL_BUILD_GUI=OFF "${unity[@]}" || exit 1

# Services the tests use (audio server, ...): each script starts one and
# adds its clean-up command to CLEANUP.
CLEANUP=()
cleanup() { for c in "${CLEANUP[@]}"; do eval "$c" >/dev/null 2>&1 || true; done; }
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
# The library tests run as four processes side by side, each a shard of
# them: one process per test spends more time starting the sanitized
# binary than testing. (ctest --test-dir build/asan -L unit runs them one
# per process, for a closer look at one.)
tests=build/asan/tests/skywell_tests
# The tests on the sound server change its default sink and source for a
# moment: they run one at a time on each server, on PulseAudio and on
# PipeWire at once (two servers of their own).
sound_server_tests='PulseCapture.*:PulseMixer.*:ServerMixer.*'
echo "== Library tests (sanitizers)"
scripts/run-unit-tests.sh "$tests" 4 "--gtest_filter=-$sound_server_tests" || status=1
echo "== Capture and mixer tests on PulseAudio and on PipeWire (sanitizers)"
scripts/run-unit-tests.sh "$tests" 1 "--gtest_filter=$sound_server_tests" >build/pulseaudio-tests.log 2>&1 &
pulseaudio_tests=$!
PULSE_SERVER=$SKYWELL_TEST_PIPEWIRE_SERVER \
  scripts/run-unit-tests.sh "$tests" 1 "--gtest_filter=$sound_server_tests" >build/pipewire-tests.log 2>&1 &
pipewire_tests=$!
wait "$pulseaudio_tests" || status=1
echo "PulseAudio: $(cat build/pulseaudio-tests.log)"
wait "$pipewire_tests" || status=1
echo "PipeWire: $(cat build/pipewire-tests.log)"
# Recordings take minutes of real time and run side by side; the window and
# end-to-end tests take turns among themselves (RESOURCE_LOCK) beside them.
echo "== Recordings, window and end-to-end tests"
ctest --test-dir build --output-on-failure -LE unit -j8 || status=1
exit $status
