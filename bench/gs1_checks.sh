#!/usr/bin/env bash
# GS1 checks on hostile input, whole runs timed with hyperfine (medians):
#   G1  one run, --gs1 with (01) and 24,000 repeated (21) elements (120 KB of data)
#   G2  a --batch of ten 64 KiB lines of repeated (21) elements
# Both fail after the checks (the data fits no symbol), which is the point:
# what is timed is the parsing and checking.
#
#   bench/gs1_checks.sh                     build (Release) if needed and measure
#   KORVEL_BIN=path bench/gs1_checks.sh     measure another korvel binary
#   BASELINE_BIN=path bench/gs1_checks.sh   also measure an older build side by
#                                           side, with each workload's ratio to it
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=../scripts/common.sh
source "$here/scripts/common.sh"
ensure_packages cmake make g++ pkg-config libpng-dev zlib1g-dev nettle-dev nlohmann-json3-dev libzxing-dev hyperfine python3

if [ -z "${KORVEL_BIN:-}" ]; then
    configure_and_build "$here/build/bench-fast" Release -DKORVEL_BUILD_TESTS=OFF >/dev/null
fi
korvel="${KORVEL_BIN:-$here/build/bench-fast/korvel}"
baseline="${BASELINE_BIN:-}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out"

repeated_serials() {  # repeated_serials COUNT
    python3 -c "import sys; sys.stdout.write('[01]09501101530003' + '[21]A' * int(sys.argv[1]))" "$1"
}
g1_data="$(repeated_serials 24000)"
for _ in $(seq 10); do repeated_serials 13100; echo; done > "$work/lines.txt"

median() {  # median JSON
    python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['results'][0]['median'])" "$1"
}

run_workloads() {  # run_workloads BINARY TAG
    local bin="$1" tag="$2"
    # Without a shell (-N): the data is one argument of 120 KB without spaces.
    hyperfine -N -i --warmup 1 --runs "${RUNS:-5}" --export-json "$work/$tag-G1.json" \
        "$bin --gs1 -d $g1_data $work/out/g1.png" >/dev/null
    hyperfine -N -i --warmup 1 --runs "${RUNS:-5}" --export-json "$work/$tag-G2.json" \
        "$bin --gs1 --batch=$work/lines.txt $work/out/#.png" >/dev/null
}

run_workloads "$korvel" new
[ -n "$baseline" ] && run_workloads "$baseline" old
printf '%-4s %-52s %12s' workload what "median (s)"
[ -n "$baseline" ] && printf ' %12s %8s' "baseline (s)" ratio
echo
for w in G1 G2; do
    what="(01) and 24,000 repeated (21), one run"
    [ "$w" = G2 ] && what="--batch of ten 64 KiB lines of repeated (21)"
    new="$(median "$work/new-$w.json")"
    printf '%-4s %-52s %12.4f' "$w" "$what" "$new"
    if [ -n "$baseline" ]; then
        old="$(median "$work/old-$w.json")"
        printf ' %12.4f %8.1f' "$old" "$(python3 -c "print($old / $new)")"
    fi
    echo
done
