#!/usr/bin/env bash
# Whole-process timings of korvel with hyperfine, side by side with a process
# that does nothing (/bin/true) and with the same code built to hand the raster
# to libpng with libpng's default filters and zlib strategy.
#
#   bench/run.sh                      build both configurations (Release) and measure
#   RUNS=500 bench/run.sh             more runs per workload
#   KORVEL_BIN=path bench/run.sh      measure another korvel binary (an older
#                                     build, say) against the same baseline
#   BASELINE_BIN=path bench/run.sh    also measure an older build side by side and
#                                     give each workload's ratio to it
#   ROUNDS=3 bench/run.sh             measure in 3 rounds, every binary once per
#                                     round and workload, so that the machine's
#                                     drift spreads over all of them; medians
#                                     are over the runs of all rounds
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=../scripts/common.sh
source "$here/scripts/common.sh"
ensure_packages cmake make g++ pkg-config libpng-dev zlib1g-dev nettle-dev nlohmann-json3-dev libzxing-dev hyperfine time python3

fast="$here/build/bench-fast"
defaults="$here/build/bench-libpng-defaults"
configure_and_build "$fast" Release -DKORVEL_BUILD_TESTS=OFF >/dev/null
configure_and_build "$defaults" Release -DKORVEL_BUILD_TESTS=OFF -DKORVEL_PNG_LIBPNG_DEFAULTS=ON >/dev/null
korvel="${KORVEL_BIN:-$fast/korvel}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
runs="${RUNS:-300}"
rounds="${ROUNDS:-1}"
baseline="${BASELINE_BIN:-}"

# Workload data, the same on every run (fixed seeds).
alnum44="THE0QUICK1BROWN2FOX3JUMPS4OVER5THE6LAZY7DOG8"
RANDOM=1500
caps1500=""
alphabet="ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
for _ in $(seq 1500); do caps1500+="${alphabet:$((RANDOM % 36)):1}"; done
RANDOM=1555
bytes1555=""
for _ in $(seq 1555); do bytes1555+="$(printf '~X%02X' $((RANDOM % 256)))"; done

declare -a names=(W1 W2 W3 W4 W5)
declare -A args
args[W1]=""
args[W2]="-n 5 -d $alnum44"
args[W3]="-n 5 -f 24 -d $caps1500"
args[W4]="-n 20 -f 24 -d $caps1500"
args[W5]="-n 5 -m 4 -d $bytes1555"
declare -A what
what[W1]="default run"
what[W2]="44 alphanumerics, -n 5"
what[W3]="1500 capitals+digits, -f 24, 730x730"
what[W4]="1500 capitals+digits, -f 24, 2920x2920"
what[W5]="1555 bytes as ~X, mode 4, 730x730"

measure() {  # measure NAME JSON COMMAND...
    local json="$2"
    shift 2
    hyperfine -N --style none --warmup 10 --min-runs "$runs" --export-json "$json" "$@" >/dev/null 2>&1
}
# The median of all runs in the given hyperfine JSON files, in ms.
median_ms() {
    python3 -c 'import json,statistics,sys
times = [t for f in sys.argv[1:] for t in json.load(open(f))["results"][0]["times"]]
print("%.3f" % (statistics.median(times) * 1000))' "$@"
}
ratio() { python3 -c "print('%.2fx' % ($1/$2))"; }

cd "$work"
measure true "$work/true.json" /bin/true
true_ms="$(median_ms "$work/true.json")"

header=("" "workload" "median ms" "defaults" "ratio" "/bin/true" "peak KiB" "PNG bytes")
if [ -n "$baseline" ]; then
    header+=("baseline ms" "vs baseline" "baseline bytes")
fi
printf '%-4s %-40s %10s %10s %9s %10s %10s %12s' "${header[@]:0:8}"
[ -n "$baseline" ] && printf ' %12s %12s %15s' "${header[@]:8}"
printf '\n'
for w in "${names[@]}"; do
    # shellcheck disable=SC2206
    a=(${args[$w]})
    for r in $(seq "$rounds"); do
        measure "$w" "$work/$w-$r.json" "$korvel ${a[*]} $work/$w.png"
        measure "$w" "$work/$w-d-$r.json" "$defaults/korvel ${a[*]} $work/$w-d.png"
        if [ -n "$baseline" ]; then
            measure "$w" "$work/$w-b-$r.json" "$baseline ${a[*]} $work/$w-b.png"
        fi
    done
    m="$(median_ms "$work/$w"-[0-9]*.json)"
    d="$(median_ms "$work/$w"-d-*.json)"
    peak="$(/usr/bin/time -f '%M' "$korvel" "${a[@]}" "$work/$w.png" 2>&1 >/dev/null | tail -1)"
    size="$(stat -c %s "$work/$w.png")"
    printf '%-4s %-40s %10s %10s %9s %10s %10s %12s' "$w" "${what[$w]}" "$m" "$d" "$(ratio "$m" "$d")" \
        "$(ratio "$m" "$true_ms")" "$peak" "$size (defaults $(stat -c %s "$work/$w-d.png"))"
    if [ -n "$baseline" ]; then
        b="$(median_ms "$work/$w"-b-*.json)"
        printf ' %12s %12s %15s' "$b" "$(ratio "$m" "$b")" "$(stat -c %s "$work/$w-b.png")"
    fi
    printf '\n'
done
printf 'korvel: %s; baseline: %s; /bin/true median: %s ms; %s runs per command and round, %s rounds; %s\n' \
    "$korvel" "${baseline:-none}" "$true_ms" "$runs" "$rounds" "$(nproc) cores, $(uname -m)"

echo
KORVEL_BIN="$korvel" "$here/bench/batch.sh"
