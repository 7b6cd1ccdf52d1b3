#!/usr/bin/env bash
# Installs what is needed, builds, makes the demo installation in build/demo and starts the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${ZOR_BUILD_DIR:-$top/build}"
"$top/scripts/setup.sh"
"$top/scripts/build.sh"
demo="$build/demo"
mkdir -p "$demo/Data"
cp -f "$build/bin/ZOR 27" "$demo/"
"$build/bin/zor27-config" write --user zor_boot --password boot --server embedded --database demo.db \
    --file "$demo/Data/ZOR" >/dev/null
# The demo database, made again only when db/ has changed since.
if [ ! -f "$demo/Data/demo.db" ] || [ -n "$(find "$top/db" -newer "$demo/Data/demo.db" -print -quit)" ]; then
    "$build/bin/zor27-makedb" "$demo/Data/demo.db" >/dev/null
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display: starting under xvfb-run"
    exec xvfb-run -a "$demo/ZOR 27" "$@"
fi
exec "$demo/ZOR 27" "$@"
