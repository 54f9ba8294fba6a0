#!/usr/bin/env bash
# Workload W6: 10,000 GS1 pharma labels (GTIN, expiry, lot, serial, written
# with ~1 escapes) as default PNGs, made as one batch (default jobs and
# --jobs=1) and as a shell loop of single runs, interleaved round by round:
# wall time, symbols per second, CPU time and peak memory of each, with
# GNU time. bench/run.sh calls it after W1-W5.
#
#   bench/batch.sh                   build (Release) if needed and measure
#   ROUNDS=5 bench/batch.sh          more rounds (default 3; medians are reported)
#   MILLION=1 bench/batch.sh         also the peak memory of a 1,000,000-line batch
#                                    (writes 1,000,000 files, about 4 GB, then removes them)
#   KORVEL_BIN=path bench/batch.sh   measure another korvel binary
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=../scripts/common.sh
source "$here/scripts/common.sh"
ensure_packages cmake make g++ pkg-config libpng-dev zlib1g-dev nettle-dev nlohmann-json3-dev libzxing-dev time python3

if [ -z "${KORVEL_BIN:-}" ]; then
    configure_and_build "$here/build/bench-fast" Release -DKORVEL_BUILD_TESTS=OFF >/dev/null
fi
korvel="${KORVEL_BIN:-$here/build/bench-fast/korvel}"
rounds="${ROUNDS:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out"

# GS1 element strings: (01) GTIN-14 with its check digit, (17) expiry date,
# (10) lot and (21) serial number, the variable-length lot ended by FNC1.
make_lines() {  # make_lines COUNT FILE
    python3 "$here/bench/gs1_labels.py" "$1" "$2"
}

cat >"$work/loop.sh" <<'EOF'
# One korvel process per line, named as the batch names them.
n=0
while IFS= read -r line; do
    n=$((n + 1))
    "$1" -d "$line" "$(printf '%s/%05d.png' "$3" "$n")"
done <"$2"
EOF

declare -A command
command[batch]="$korvel --batch=$work/w6.txt $work/out/#####.png"
command[jobs1]="$korvel --batch=$work/w6.txt --jobs=1 $work/out/#####.png"
command[loop]="bash $work/loop.sh $korvel $work/w6.txt $work/out"
order=(batch jobs1 loop)

# measure NAME: one run under GNU time; appends "wall user sys maxrss_kib" to NAME.txt.
measure() {
    # shellcheck disable=SC2086
    /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" ${command[$1]} >/dev/null 2>"$work/err.txt" ||
        { cat "$work/err.txt" >&2; exit 1; }
    cat "$work/time.txt" >>"$work/$1.txt"
}

make_lines 10000 "$work/w6.txt"
measure batch >/dev/null  # creates the files; every timed run overwrites them in place
rm -f "$work/batch.txt"
for _ in $(seq "$rounds"); do
    for name in "${order[@]}"; do measure "$name"; done
done

python3 - "$work" "$rounds" <<'EOF'
import statistics, sys
work, rounds = sys.argv[1], int(sys.argv[2])
names = {"batch": "batch, default jobs", "jobs1": "batch, --jobs=1", "loop": "shell loop of single runs"}
rows = {}
for key in names:
    runs = [list(map(float, line.split())) for line in open(f"{work}/{key}.txt")]
    wall = statistics.median(r[0] for r in runs)
    cpu = statistics.median(r[1] + r[2] for r in runs)
    peak = max(r[3] for r in runs)
    rows[key] = (wall, cpu, peak)
loop_rate = 10000 / rows["loop"][0]
print("W6: 10,000 GS1 pharma labels, default PNGs; medians of %d interleaved rounds" % rounds)
print("%-28s %9s %10s %9s %9s %10s" % ("", "wall s", "symbols/s", "CPU s", "vs loop", "peak KiB"))
for key, label in names.items():
    wall, cpu, peak = rows[key]
    print("%-28s %9.2f %10.0f %9.2f %8.1fx %10d" % (label, wall, 10000 / wall, cpu, (10000 / wall) / loop_rate, peak))
EOF

if [ "${MILLION:-0}" = 1 ]; then
    make_lines 1000000 "$work/million.txt"
    mkdir -p "$work/million"
    /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" \
        "$korvel" --batch="$work/million.txt" "$work/million/#######.png"
    read -r wall user sys peak <"$work/time.txt"
    printf '1,000,000 lines: %s s wall, %s s CPU, peak %s KiB (%s files)\n' "$wall" \
        "$(python3 -c "print('%.1f' % ($user + $sys))")" "$peak" "$(find "$work/million" -name '*.png' | wc -l)"
    rm -rf "$work/million"
fi
printf 'korvel: %s; %s cores, %s\n' "$korvel" "$(nproc)" "$(uname -m)"
