#!/usr/bin/env bash
# Windows check: builds the program for Windows with its tests (scripts/windows-build.sh) and its
# package (scripts/windows-msi.sh, three times: a version, the same version rebuilt, and the next one), and runs them under Wine,
# headless: the test executables on Qt's offscreen platform, the driver's cases against the SQL
# Server stand-in through Wine's ODBC (which hands the calls to the host's unixODBC and FreeTDS), then
# on Xvfb the program itself (whose folder holds no DLL) used as a user would (scripts/user-session.py), its update end to end
# (scripts/windows-update-check.py) and the package installed, upgraded and removed
# (scripts/windows-package-check.py).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${ZOR_WIN_BUILD_DIR:-$top/build-win}"

"$top/scripts/setup.sh" python3 iproute2 unixodbc tdsodbc xvfb xauth xdotool fonts-dejavu-core fonts-liberation \
    procps wixl msitools
ZOR_WIN_BUILD_DIR="$build" "$top/scripts/windows-build.sh"
package=$(ZOR_WIN_BUILD_DIR="$build" "$top/scripts/windows-msi.sh" | tail -n 1)
version=$(basename "$package" .msi)
version=${version#ZOR27-}
# The same version built again (another product code), as a site's rebuild would be: it must
# replace the installed one.
first="${package%.msi}-first.msi"
mv "$package" "$first"
rebuilt=$(ZOR_WIN_BUILD_DIR="$build" "$top/scripts/windows-msi.sh" | tail -n 1)
package=$first
newer=$(ZOR_WIN_BUILD_DIR="$build" "$top/scripts/windows-msi.sh" "${version%.*}.$((${version##*.} + 1))" | tail -n 1)
source "$top/scripts/wine-env.sh" "$build"
echo "The programs import Windows' own DLLs only:"
"$top/scripts/windows-imports.sh" "$build/ZOR 27"
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
    WINEQT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -E "^odbc_tests\$"
    # The driver cases run on their own, so that their list shows; then what the stand-in received.
    /usr/lib/wine/wine64 tests/data/odbc/odbc_tests.exe
    echo "The stand-in received from the Windows build:"
    python3 -c "
import collections, json, sys
records = [json.loads(line) for line in open(sys.argv[1], encoding=\"utf-8\") if line.strip()]
print(\"  logins:\", \", \".join(sorted(set(r[\"user\"] + \"@\" + r[\"database\"] for r in records if r[\"kind\"] == \"login\"))))
print(\"  requests:\", dict(collections.Counter(r[\"kind\"] for r in records)))
" "$state/standin.jsonl"
    # The program itself, from a copy of the installed folder, as a user would use it.
    echo "The program under Wine, used as a user would:"
    cp -r "$1/ZOR 27" "$state/ZOR 27"
    python3 "$6" --wine "$state/ZOR 27" ${ZOR_WIN_SCREENSHOT:+--screenshot "$ZOR_WIN_SCREENSHOT"}
    echo "The update of a copy in a writable folder, under Wine:"
    python3 "$(dirname "$6")/windows-update-check.py" "$1/ZOR 27"
    echo "The package, installed, upgraded and removed under Wine:"
    python3 "$(dirname "$6")/windows-package-check.py" "$7" "$8" "$1/ZOR 27" --rebuilt "$9" \
        ${ZOR_WIN_PACKAGE_SCREENSHOT:+--screenshot "$ZOR_WIN_PACKAGE_SCREENSHOT"}
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
    ' isolate "$nsswitch" "$wine_session" "$build" "$server_script" "$db_script" "$top/db" "$standin" "$top/scripts/user-session.py" "$package" "$newer" "$rebuilt"
else
    bash -c "$wine_session" wine-session "$build" "$server_script" "$db_script" "$top/db" "$standin" \
        "$top/scripts/user-session.py" "$package" "$newer" "$rebuilt"
fi
