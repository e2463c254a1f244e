#!/usr/bin/env bash
# Runs a GoogleTest binary as SHARDS processes side by side, each one shard
# of the tests (GoogleTest's own sharding), instead of one process per test:
# starting the sanitized binary costs more than most tests take.
#   scripts/run-unit-tests.sh BINARY SHARDS [--gtest_filter=...]
# Prints each shard's failures and a summary; exits 1 when any test fails.
set -uo pipefail
binary=$1 shards=$2
shift 2
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
pids=()
for ((i = 0; i < shards; i++)); do
  GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$i "$binary" --gtest_brief=1 "$@" >"$logs/$i.log" 2>&1 &
  pids+=("$!")
done
status=0 passed=0
for ((i = 0; i < shards; i++)); do
  if ! wait "${pids[$i]}"; then
    status=1
    echo "--- shard $((i + 1)) of $shards failed:"
    cat "$logs/$i.log"
  fi
  ran=$(sed -nE 's/^\[==========\] ([0-9]+) tests? from .* ran\..*/\1/p' "$logs/$i.log")
  passed=$((passed + ${ran:-0}))
done
if [ "$status" = 0 ]; then
  echo "$passed tests passed in $shards shards"
else
  echo "FAILED: see the shards above"
fi
exit $status
