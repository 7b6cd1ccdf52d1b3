#!/usr/bin/env bash
# Windows check: cross-builds the parts without Qt (the platform layer, the SQL Server driver's core)
# and their tests for Windows with mingw-w64 and runs them under Wine, headless. The build and the
# Wine prefix live in build-win/ (ZOR_WIN_BUILD_DIR). The driver's cases reach the SQL Server stand-in
# through Wine's ODBC, which hands the calls to the host's unixODBC and FreeTDS.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${ZOR_WIN_BUILD_DIR:-$top/build-win}"

"$top/scripts/setup.sh" cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine64 python3 iproute2 \
    unixodbc tdsodbc

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
        -DZOR_PLATFORM_ONLY=ON -DZOR_BUILD_BENCH=OFF
fi
cmake --build "$build" -j2

# The prefix is made once per build folder (about 5 s and 700 MB); a mono or gecko download is never
# wanted. The persistent server keeps each test from waiting seconds for it to let go of stderr.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Called by path: the wine64 package alone puts no wineserver on PATH.
export WINESERVER=/usr/lib/wine/wineserver64
mkdir -p "$WINEPREFIX"
# FreeTDS registered under the name of the system's driver on Windows, in a configuration of the build's
# own: the driver cases send the very connection string of a Windows workstation.
mkdir -p "$build/odbc"
printf '[SQL Server]\nDriver=%s\n' /usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so >"$build/odbc/odbcinst.ini"
export ODBCSYSINI="$build/odbc"
# The SQL Server stand-in: the shared one beside the project when it is there, else the copy in tests.
standin="$top/../shared/tools/tds_standin.py"
[ -f "$standin" ] || standin="$top/tests/support/tds_standin.py"
# The download tests reach an HTTP server on 127.0.0.1 that runs on the Linux side, the driver cases
# the SQL Server stand-in: a Windows program cannot start them, so they are started here and named to
# the tests in the environment.
wine_session='
    set -euo pipefail
    server=""
    standin=""
    state=$(mktemp -d)
    trap "\"\$WINESERVER\" -k 2>/dev/null || true; [ -z \"\$server\" ] || kill \"\$server\" 2>/dev/null || true; [ -z \"\$standin\" ] || kill \"\$standin\" 2>/dev/null || true; rm -rf \"\$state\"" EXIT
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
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
    cd "$1"
    ctest --output-on-failure --timeout 300 -E "^odbc_tests\$"
    # The driver cases run on their own, so that their list shows; then what the stand-in received.
    /usr/lib/wine/wine64 tests/data/odbc/odbc_tests.exe
    echo "The stand-in received from the Windows build:"
    python3 -c "
import collections, json, sys
records = [json.loads(line) for line in open(sys.argv[1], encoding=\"utf-8\") if line.strip()]
print(\"  logins:\", \", \".join(sorted(set(r[\"user\"] + \"@\" + r[\"database\"] for r in records if r[\"kind\"] == \"login\"))))
print(\"  requests:\", dict(collections.Counter(r[\"kind\"] for r in records)))
" "$state/standin.jsonl"
'
server_script="$top/tests/support/http_server.py"
db_script="$top/tests/support/make_driver_db.py"
# A server left running from an earlier, interrupted check would not have the limits set up below.
"$WINESERVER" -k 2>/dev/null || true
if [ "$(id -u)" -eq 0 ]; then
    # As root two things differ from a user's Windows: Wine's files obey no permission bits, so a
    # read-only file opens for writing, and name look-ups could reach the machine's DNS resolver.
    # So Wine runs without the capabilities that override file permissions, in a network namespace of
    # its own where host names come from the hosts file alone.
    nsswitch="$build/nsswitch-files-only.conf"
    echo "hosts: files" >"$nsswitch"
    unshare --mount --net --propagation private bash -c '
        set -euo pipefail
        mount --bind "$1" /etc/nsswitch.conf
        export ZOR_RESOLVER_FILES_ONLY=1
        exec setpriv --inh-caps=-dac_override,-dac_read_search \
            --bounding-set=-dac_override,-dac_read_search bash -c "$2" wine-session "${@:3}"
    ' isolate "$nsswitch" "$wine_session" "$build" "$server_script" "$db_script" "$top/db" "$standin"
else
    bash -c "$wine_session" wine-session "$build" "$server_script" "$db_script" "$top/db" "$standin"
fi
