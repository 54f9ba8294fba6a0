#!/usr/bin/env bash
# korvel-server under load, measured with wrk:
#
#   1. requests per second and latency percentiles at 64 connections for the
#      default PNG symbol and for a GS1 label, in alternating rounds;
#   2. the server's peak memory (VmHWM) over at least one million requests;
#   3. a valid client (wrk) while a second client floods the server with
#      malformed requests: random bytes, huge headers and slow headers
#      (bench/server_flood.py): the valid client must see no error.
#
#   bench/server.sh [BUILD_DIR]     (default: build/release; built when missing)
#   THREADS=2 DURATION=10s ROUNDS=3 REQUESTS=1000000 bench/server.sh
#   BEFORE=/path/to/old/korvel-server bench/server.sh [BUILD_DIR]
#       measures the old and this build's server side by side in alternating
#       rounds (the rates and latencies of step 1 only), so that a change is
#       judged under the same load of a shared machine.
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
rounds="${ROUNDS:-3}"
requests="${REQUESTS:-1000000}"

work="$(mktemp -d)"
server_pid=""
before_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    [ -n "$before_pid" ] && kill "$before_pid" 2>/dev/null && wait "$before_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Starts a server on a free loopback port; sets started_pid and started_base.
start_server() {
    "$1" --listen=127.0.0.1:0 --threads="$threads" >"$work/announce-$2" &
    started_pid=$!
    for _ in $(seq 100); do grep -q listening "$work/announce-$2" 2>/dev/null && break; sleep 0.05; done
    started_base="$(sed -n 's|.*\(http://[^/]*\)/.*|\1|p' "$work/announce-$2")"
}

start_server "$server_bin" after
server_pid=$started_pid
base=$started_base
port="${base##*:}"
echo "korvel-server $("$server_bin" --version | cut -d' ' -f2), $threads threads, on $(nproc) processors (load now: $(cut -d' ' -f1-3 /proc/loadavg))"

png="$base/v1/symbol.png"
gs1="$base/v1/symbol.png?gs1=1&data=%5B01%5D09501101530003%5B17%5D261231%5B10%5DABC123%5B21%5DSN0042&xdim=4"

# One wrk run at 64 connections: requests/s, p50, p90, p99 and the errors
# (socket errors and answers other than 2xx/3xx).
measure() {
    wrk -t2 -c64 -d"$1" --latency -s "$here/bench/server_count.lua" "$2" | awk '
        /^ +50%/ {p50 = $2} /^ +90%/ {p90 = $2} /^ +99%/ {p99 = $2}
        /^Requests\/sec/ {rate = $2}
        /^statuses:/ {errors = $6 + $8 + $10 + $12 + $14}
        /Non-2xx/ {errors += $NF}
        END {printf "%10.0f %9s %9s %9s %7d\n", rate, p50, p90, p99, errors}'
}

gs1_query="gs1=1&data=%5B01%5D09501101530003%5B17%5D261231%5B10%5DABC123%5B21%5DSN0042&xdim=4"

if [ -n "${BEFORE:-}" ]; then
    start_server "$BEFORE" before
    before_pid=$started_pid
    before_base=$started_base
    echo
    echo "== Side by side: $BEFORE (before) and $server_bin (after), 64 connections,"
    echo "   $rounds rounds of $duration each, alternating"
    printf "%-20s %10s %9s %9s %9s %7s  %s\n" "" "requests/s" "p50" "p90" "p99" "errors" "load"
    for round in $(seq "$rounds"); do
        for request in "PNG|/v1/symbol.png" "GS1|/v1/symbol.png?$gs1_query"; do
            for side in before after; do
                side_base=$base
                [ "$side" = before ] && side_base=$before_base
                printf "%-20s %s  %s\n" "${request%%|*} $side, round $round" \
                    "$(measure "$duration" "$side_base${request#*|}")" "$(cut -d' ' -f1 /proc/loadavg)"
            done
        done
    done
    exit 0
fi

echo
echo "== Default PNG symbol and a GS1 label (GTIN, expiry, lot, serial; 22 x 22 at 4 px),"
echo "   64 connections, $rounds rounds of $duration each, alternating (the machine is shared)"
printf "%-14s %10s %9s %9s %9s %7s\n" "" "requests/s" "p50" "p90" "p99" "errors"
for round in $(seq "$rounds"); do
    printf "%-14s %s\n" "PNG, round $round" "$(measure "$duration" "$png")"
    printf "%-14s %s\n" "GS1, round $round" "$(measure "$duration" "$gs1")"
done

echo
echo "== Peak memory over at least $requests requests (default PNG, runs of 20 s until they add up)"
before="$(awk '/VmHWM/ {print $2}' "/proc/$server_pid/status")"
total=0
for _ in $(seq 50); do
    [ "$total" -ge "$requests" ] && break
    served="$(wrk -t2 -c64 -d20s -s "$here/bench/server_count.lua" "$png" | awk '/^statuses:/ {print $2}')"
    total=$((total + ${served:-0}))
done
echo "$total requests"
echo "server peak resident memory (VmHWM): ${before} kB before this run, $(awk '/VmHWM/ {print $2}' "/proc/$server_pid/status") kB after the run"

echo
echo "== Valid requests during a flood of malformed ones ($duration; flood: 4 clients of random bytes,"
echo "   4 of 200 kB headers, 200 slow-header connections)"
flood_seconds=$(( ${duration%s} + 2 ))
python3 "$here/bench/server_flood.py" "$port" "$flood_seconds" >"$work/flood" &
flood_pid=$!
sleep 1
wrk -t2 -c64 -d"$duration" --latency -s "$here/bench/server_count.lua" "$png" | \
    grep -E "requests in|Requests/sec|  99%|Non-2xx|^statuses" || true
wait "$flood_pid"
cat "$work/flood"
echo "server still answers: $(curl -s -o /dev/null -w '%{http_code}' "$base/healthz")"
