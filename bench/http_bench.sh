#!/usr/bin/env bash
# Page-server throughput: serves a small page from a script and loads it with wrk.
#
#   bench/http_bench.sh [path/to/tarnel] [seconds]
#
# Prints wrk's summary for 1 and 10 connections. Every connection is closed by the server after
# one answer, so wrk counts each end of a connection as a "read" socket error; any other error
# kind (connect, write, timeout) or a non-2xx response is a real failure.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
bin="${1:-$here/../build/tarnel}"
seconds="${2:-5}"
command -v wrk >/dev/null || { echo "wrk is not installed" >&2; exit 1; }
[ -x "$bin" ] || { echo "no tarnel binary at $bin" >&2; exit 1; }

port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
work="$(mktemp -d)"
cat > "$work/serve.tn" <<TN
http.page("/", "<h1>Hello</h1><p>A small page.</p>")
http.serve($port)
TN

"$bin" "$work/serve.tn" > "$work/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$work"' EXIT

for _ in $(seq 50); do
    grep -q "Server listening" "$work/server.log" 2>/dev/null && break
    sleep 0.1
done
grep -q "Server listening" "$work/server.log" || { echo "server did not start:" >&2; cat "$work/server.log" >&2; exit 1; }

for connections in 1 10; do
    echo "== wrk -t1 -c$connections -d${seconds}s"
    wrk -t1 -c"$connections" -d"${seconds}s" "http://127.0.0.1:$port/" | tee "$work/wrk.txt"
    if grep -Eq "Non-2xx|connect [1-9]|write [1-9]|timeout [1-9]" "$work/wrk.txt"; then
        echo "unexpected errors" >&2
        exit 1
    fi
done
