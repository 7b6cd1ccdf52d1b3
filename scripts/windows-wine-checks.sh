#!/usr/bin/env bash
# The Windows check's runs under Wine (scripts/windows-check.sh calls it with scripts/wine-env.sh's
# environment; as root, inside a network namespace of its own): starts the download tests' HTTP server
# and the SQL Server stand-in on the Linux side and names them to the tests in the environment, then
# runs the Windows build's tests, the driver cases, the program used as a user would, its update and
# its package. Everything it started is stopped when it ends.
# Arguments: BUILD HTTP_SERVER_SCRIPT DRIVER_DB_SCRIPT DB_SCRIPTS STANDIN USER_SESSION PACKAGE NEWER REBUILT
set -euo pipefail
server=""
standin=""
state=$(mktemp -d)
stop_everything() {
    "$WINESERVER" -k 2>/dev/null || true
    [ -z "$server" ] || kill "$server" 2>/dev/null || true
    [ -z "$standin" ] || kill "$standin" 2>/dev/null || true
    rm -rf "$state"
}
trap stop_everything EXIT
# A network namespace of its own starts with its loopback interface down.
ip link set lo up 2>/dev/null || true
python3 "$2" --port-file "$state/port" --log "$state/requests.log" >/dev/null &
server=$!
for _ in $(seq 100); do [ -f "$state/port" ] && break; sleep 0.1; done
read -r ZOR_TEST_HTTP_PORT ZOR_TEST_HTTP_CLOSED_PORT <"$state/port"
export ZOR_TEST_HTTP_PORT ZOR_TEST_HTTP_CLOSED_PORT ZOR_TEST_HTTP_LOG="$state/requests.log"
python3 "$3" --scripts "$4" "$state/driver.db"
echo "[]" >"$state/faults.json"
python3 "$5" --db "$state/driver.db" --port-file "$state/standin.port" --log "$state/standin.jsonl" \
    --control "$state/faults.json" >/dev/null &
standin=$!
for _ in $(seq 100); do [ -s "$state/standin.port" ] && break; sleep 0.1; done
# The port file holds the number without a line end.
ZOR_TEST_TDS_PORT=$(cat "$state/standin.port")
export ZOR_TEST_TDS_PORT ZOR_TEST_TDS_LOG="$state/standin.jsonl" ZOR_TEST_TDS_CONTROL="$state/faults.json"
"$WINESERVER" -p
# The first Wine process starts the background services, which keep its output open: give them none.
"$WINE" wineboot </dev/null >/dev/null 2>&1
cd "$1"
WINEQT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -E "^odbc_tests\$"
# The driver cases run on their own, so that their list shows; then what the stand-in received.
"$WINE" tests/data/odbc/odbc_tests.exe
echo "The stand-in received from the Windows build:"
python3 - "$state/standin.jsonl" <<'PYTHON'
import collections, json, sys
records = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8") if line.strip()]
print("  logins:", ", ".join(sorted(set(r["user"] + "@" + r["database"] for r in records if r["kind"] == "login"))))
print("  requests:", dict(collections.Counter(r["kind"] for r in records)))
PYTHON
# The program itself, from a copy of the installed folder, as a user would use it.
echo "The program under Wine, used as a user would:"
cp -r "$1/ZOR 27" "$state/ZOR 27"
python3 "$6" --wine "$state/ZOR 27" ${ZOR_WIN_SCREENSHOT:+--screenshot "$ZOR_WIN_SCREENSHOT"}
echo "The update of a copy in a writable folder, under Wine:"
python3 "$(dirname "$6")/windows-update-check.py" "$1/ZOR 27"
echo "The package, installed, upgraded and removed under Wine:"
python3 "$(dirname "$6")/windows-package-check.py" "$7" "$8" "$1/ZOR 27" --rebuilt "$9" \
    ${ZOR_WIN_PACKAGE_SCREENSHOT:+--screenshot "$ZOR_WIN_PACKAGE_SCREENSHOT"}
