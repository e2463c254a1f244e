# Helpers of the tests that drive skywell over its command line. Sourced
# after lib.sh.

# run EXPECTED_STATUS ARGS...: runs skywell ARGS; its output in OUT and ERR.
run() {
  local expected=$1 status=0
  shift
  "$SKYWELL_BIN" "$@" >"$E2E_DIR/out.txt" 2>"$E2E_DIR/err.txt" || status=$?
  OUT=$(cat "$E2E_DIR/out.txt")
  ERR=$(cat "$E2E_DIR/err.txt")
  [ "$status" -eq "$expected" ] || fail "skywell $*: exit status $status, not $expected (stderr: $ERR)"
}

# json_of PYTHON_EXPRESSION: evaluates it on the last output's JSON as d.
json_of() { python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print($1)" "$E2E_DIR/out.txt"; }

# run_until SECONDS MESSAGE CONDITION ARGS...: runs skywell ARGS (exit
# status 0) every second until the Python CONDITION holds on its JSON (as
# d); fails with MESSAGE and the last output when it has not within SECONDS.
run_until() {
  local seconds=$1 message=$2 condition=$3 i
  shift 3
  for ((i = 0; i < seconds; i++)); do
    run 0 "$@"
    [ "$(json_of "bool($condition)")" = True ] && return 0
    sleep 1
  done
  fail "$message: $OUT"
}
