#!/usr/bin/env bash
# korvel-server under load, measured with wrk:
#
#   1. requests per second and latency percentiles at 64 connections for the
#      default PNG symbol and for a GS1 label;
#   2. the server's peak memory (VmHWM) over one million requests;
#   3. a valid client (wrk) while a second client floods the server with
#      malformed requests: random bytes, huge headers and slow headers
#      (bench/server_flood.py): the valid client must see no error.
#
#   bench/server.sh [BUILD_DIR]     (default: build/release; built when missing)
#   THREADS=2 DURATION=10s REQUESTS=1000000 bench/server.sh
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=../scripts/common.sh
source "$here/scripts/common.sh"
ensure_packages cmake make g++ pkg-config libpng-dev zlib1g-dev nettle-dev nlohmann-json3-dev libzxing-dev \
    libboost-dev wrk python3
build="${1:-$here/build/release}"
[ -x "$build/programs/korvel-server/korvel-server" ] || configure_and_build "$build" Release -DKORVEL_BUILD_TESTS=OFF >/dev/null
server_bin="$build/programs/korvel-server/korvel-server"
threads="${THREADS:-2}"
duration="${DURATION:-10s}"
requests="${REQUESTS:-1000000}"

work="$(mktemp -d)"
server_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

"$server_bin" --listen=127.0.0.1:0 --threads="$threads" >"$work/announce" &
server_pid=$!
for _ in $(seq 100); do grep -q listening "$work/announce" 2>/dev/null && break; sleep 0.05; done
base="$(sed -n 's|.*\(http://[^/]*\)/.*|\1|p' "$work/announce")"
port="${base##*:}"
echo "korvel-server $("$server_bin" --version | cut -d' ' -f2), $threads threads, on $(nproc) processors (load now: $(cut -d' ' -f1-3 /proc/loadavg))"

png="$base/v1/symbol.png"
gs1="$base/v1/symbol.png?gs1=1&data=%5B01%5D09501101530003%5B17%5D261231%5B10%5DABC123%5B21%5DSN0042&xdim=4"

echo
echo "== Default PNG symbol, 64 connections, $duration"
wrk -t2 -c64 -d"$duration" --latency "$png" | sed -n '/Latency Distribution/,$p'
echo
echo "== GS1 label (GTIN, expiry, lot, serial), 64 connections, $duration"
wrk -t2 -c64 -d"$duration" --latency "$gs1" | sed -n '/Latency Distribution/,$p'

echo
echo "== Peak memory over $requests requests (GS1 label and default symbol alternating threads)"
before="$(grep VmHWM /proc/$server_pid/status)"
start=$(date +%s.%N)
LIMIT=$((requests / 2)) wrk -t2 -c64 -d600s -s "$here/bench/server_count.lua" "$gs1" | grep -E "requests in|Non-2xx|Socket errors" || true
end=$(date +%s.%N)
echo "server $before before, $(grep VmHWM /proc/$server_pid/status) after; $(grep VmRSS /proc/$server_pid/status);" \
     "$(echo "$end - $start" | bc) s"

echo
echo "== Valid requests during a flood of malformed ones ($duration)"
python3 "$here/bench/server_flood.py" "$port" "${duration%s}" >"$work/flood" &
flood_pid=$!
sleep 1
wrk -t1 -c16 -d"$duration" --latency -s "$here/bench/server_count.lua" "$png" | \
    grep -E "requests in|Requests/sec|99%|Non-2xx|Socket errors|statuses" || true
wait "$flood_pid"
cat "$work/flood"
echo "server still answers: $(curl -s -o /dev/null -w '%{http_code}' "$base/healthz")"
