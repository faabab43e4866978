#!/usr/bin/env bash
# Serves a web build (default build-web/) on a free local port and plays it
# in Debian's Chromium through playwright-core (web/test-web.mjs); the
# screenshots go to BUILD/screenshots/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build-web}" && pwd)

(cd "$here/web" && npm ci --no-audit --no-fund --loglevel=error)
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$build" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/index.html')" 2>/dev/null && break
  sleep 0.1
done
node "$here/web/test-web.mjs" "http://127.0.0.1:$port/index.html" "$build/screenshots"
