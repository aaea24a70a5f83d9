#!/usr/bin/env bash
# Page-server throughput and latency: serves a small page from a script, loads it with wrk and
# times single requests while other clients hold connections open.
#
#   bench/http_bench.sh [path/to/tarnel] [seconds]
#
# Prints wrk's summary for 1, 10 and 100 connections. Every connection is closed by the server
# after one answer, so wrk counts each end of a connection as a "read" socket error; any other
# error kind (connect, write, timeout) or a non-2xx response is a real failure. Then prints the
# time to answer 200 requests made one after another while one client holds an idle connection
# and another sends one byte a second.
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

# CPU time (user + system, in clock ticks) the server has used so far.
server_ticks() { awk '{print $14 + $15}' "/proc/$server/stat"; }
ticks_per_second="$(getconf CLK_TCK)"

for connections in 1 10 100; do
    echo "== wrk -t1 -c$connections -d${seconds}s"
    before="$(server_ticks)"
    wrk -t1 -c"$connections" -d"${seconds}s" "http://127.0.0.1:$port/" | tee "$work/wrk.txt"
    if grep -Eq "Non-2xx|connect [1-9]|write [1-9]|timeout [1-9]" "$work/wrk.txt"; then
        echo "unexpected errors" >&2
        exit 1
    fi
    # The server's own cost per request, which other load on the machine disturbs far less
    # than the request rate.
    awk -v ticks="$(( $(server_ticks) - before ))" -v hz="$ticks_per_second" -v s="$seconds" \
        '/requests in/ { printf "server CPU: %.1f us per request, %.0f%% of one core\n", ticks / hz / $1 * 1e6, ticks / hz / s * 100 }' \
        "$work/wrk.txt"
done

echo "== 200 requests, one at a time, beside an idle and a one-byte-a-second client"
python3 - "$port" <<'PY'
import socket, statistics, sys, threading, time

port = int(sys.argv[1])
idle = socket.create_connection(("127.0.0.1", port))
done = threading.Event()

def trickle():
    # The server answers whatever first arrives and closes, so each byte goes on a new connection.
    slow = []
    while True:
        slow.append(socket.create_connection(("127.0.0.1", port)))
        slow[-1].send(b"G")
        if done.wait(1.0):
            break

threading.Thread(target=trickle, daemon=True).start()
times = []
for _ in range(200):
    started = time.perf_counter()
    with socket.create_connection(("127.0.0.1", port)) as client:
        client.sendall(b"GET / HTTP/1.1\r\nHost: x\r\n\r\n")
        while client.recv(4096):
            pass
    times.append((time.perf_counter() - started) * 1000)
    time.sleep(0.01)
done.set()
times.sort()
print(f"median {statistics.median(times):.2f} ms, 99th {times[197]:.2f} ms, max {times[-1]:.2f} ms")
PY
