#!/usr/bin/env bash
# What --verify costs, side by side with the same work without it:
#   - W6 with and without --verify: 10,000 GS1 pharma labels as default PNGs
#     in one batch (default jobs), written to a memory file system, the two
#     interleaved round by round; wall and CPU time (korvel and its helper)
#     with GNU time, medians of the rounds, and their ratio.
#   - One 144 x 144 symbol (1500 capitals and digits) and one 10 x 10 symbol,
#     each with and without --verify, whole process, with hyperfine; the
#     10 x 10 difference is mostly the helper's start.
#
#   bench/verify.sh                   build (Release) if needed and measure
#   ROUNDS=7 bench/verify.sh          more batch rounds (default 5)
#   RUNS=100 bench/verify.sh          hyperfine runs per command (default 50)
#   KORVEL_BIN=path bench/verify.sh   measure another korvel (korvel-verify next to it)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=../scripts/common.sh
source "$here/scripts/common.sh"
ensure_packages cmake make g++ pkg-config libpng-dev zlib1g-dev nettle-dev nlohmann-json3-dev libzxing-dev hyperfine time python3

if [ -z "${KORVEL_BIN:-}" ]; then
    configure_and_build "$here/build/bench-fast" Release -DKORVEL_BUILD_TESTS=OFF >/dev/null
fi
korvel="${KORVEL_BIN:-$here/build/bench-fast/korvel}"
rounds="${ROUNDS:-5}"
runs="${RUNS:-50}"
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm="${TMPDIR:-/tmp}"
work="$(mktemp -d -p "$shm")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out"

python3 "$here/bench/gs1_labels.py" 10000 "$work/w6.txt"
declare -A command
command[plain]="$korvel --batch=$work/w6.txt $work/out/#####.png"
command[verify]="$korvel --verify --batch=$work/w6.txt $work/out/#####.png"

# measure NAME: one run under GNU time; appends "wall user sys" to NAME.txt.
measure() {
    # shellcheck disable=SC2086
    /usr/bin/time -f '%e %U %S' -o "$work/time.txt" ${command[$1]} >/dev/null 2>"$work/err.txt" ||
        { cat "$work/err.txt" >&2; exit 1; }
    cat "$work/time.txt" >>"$work/$1.txt"
}

measure plain  # creates the files; every timed run overwrites them in place
rm -f "$work/plain.txt"
for _ in $(seq "$rounds"); do
    measure plain
    measure verify
done

python3 - "$work" "$rounds" <<'PY'
import statistics, sys
work, rounds = sys.argv[1], int(sys.argv[2])
rows = {}
for key in ("plain", "verify"):
    runs = [list(map(float, line.split())) for line in open(f"{work}/{key}.txt")]
    rows[key] = (statistics.median(r[0] for r in runs), statistics.median(r[1] + r[2] for r in runs),
                 [r[0] for r in runs])
print("W6 with and without --verify: 10,000 GS1 labels, default PNGs, default jobs; medians of %d interleaved rounds" % rounds)
print("%-22s %8s %10s %8s   %s" % ("", "wall s", "symbols/s", "CPU s", "wall of each round"))
for key, label in (("plain", "batch"), ("verify", "batch with --verify")):
    wall, cpu, walls = rows[key]
    print("%-22s %8.2f %10.0f %8.2f   %s" % (label, wall, 10000 / wall, cpu, " ".join("%.2f" % w for w in walls)))
pairs = [v / p for p, v in zip(rows["plain"][2], rows["verify"][2])]
print("--verify / without: wall %.2fx (median of the rounds' ratios %.2fx), CPU %.2fx"
      % (rows["verify"][0] / rows["plain"][0], statistics.median(pairs), rows["verify"][1] / rows["plain"][1]))
PY

RANDOM=1500
caps1500=""
alphabet="ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
for _ in $(seq 1500); do caps1500+="${alphabet:$((RANDOM % 36)):1}"; done
hyperfine -N --style basic -w 5 -r "$runs" --export-json "$work/single.json" \
    -n "144 x 144" "$korvel -f 24 -d $caps1500 $work/big.png" \
    -n "144 x 144, --verify" "$korvel --verify -f 24 -d $caps1500 $work/big.png" \
    -n "10 x 10" "$korvel -d 1234 $work/small.png" \
    -n "10 x 10, --verify" "$korvel --verify -d 1234 $work/small.png" >/dev/null 2>&1
python3 - "$work/single.json" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
def ms(name):
    return results[name]["median"] * 1000
print("\nOne symbol, whole process (hyperfine medians, ms):")
for size in ("144 x 144", "10 x 10"):
    plain, verified = ms(size), ms(size + ", --verify")
    print("  %-10s %8.2f without, %8.2f with --verify: +%.2f ms, %.2fx" % (size, plain, verified, verified - plain, verified / plain))
print("  the helper's start (the 10 x 10 difference, one time per run or batch): about %.1f ms" % (ms("10 x 10, --verify") - ms("10 x 10")))
PY
printf 'korvel: %s; %s cores, %s; load average %s\n' "$korvel" "$(nproc)" "$(uname -m)" "$(cut -d' ' -f1-3 /proc/loadavg)"
