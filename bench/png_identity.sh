#!/usr/bin/env bash
# Writes a recorded set of varied PNGs (formats, module sizes, colours,
# palette, orientations, resolutions, sizes, alignments, large symbols, a
# batch) with one korvel binary into a directory, with each run's status.
# Two builds are compared by running it for each and comparing the
# directories:
#
#   bench/png_identity.sh OLD_KORVEL /tmp/old
#   bench/png_identity.sh NEW_KORVEL /tmp/new
#   bench/png_identity.sh --compare /tmp/old /tmp/new
#
# Every run fixes the time stamp, so equal builds give equal bytes.
set -euo pipefail

if [[ ${1:-} == --compare ]]; then
    old=$2 new=$3 differ=0 files=0
    for f in "$old"/*; do
        files=$((files + 1))
        if ! cmp -s "$f" "$new/$(basename "$f")"; then
            echo "differs: $(basename "$f")"
            differ=$((differ + 1))
        fi
    done
    [[ $(ls "$old" | wc -l) == $(ls "$new" | wc -l) ]] || { echo "file counts differ"; differ=$((differ + 1)); }
    echo "$files files compared, $differ differ"
    exit $((differ > 0))
fi

korvel=$(realpath "$1")
out=$2
mkdir -p "$out"
cd "$out"
n=0
run() {
    n=$((n + 1))
    local name
    name=$(printf 'case%03d' "$n")
    set +e
    "$korvel" --time=1700000000 "$@" "$name.png" >"$name.stdout" 2>"$name.stderr"
    echo $? >"$name.status"
    set -e
}

long=$(printf 'ABCDEFGHIJ0123456789%.0s' $(seq 1 75))
bytes=$(for i in $(seq 0 254); do printf '~X%02x' $(((i * 37) % 256)); done)
for fmt in 0 1 5 10 15 20 24 25 27 30; do
    for n_ in 1 2 3 5 8; do
        run -f "$fmt" -n "$n_" -d "KORVEL $fmt"
    done
done
for orient in 0 90 180 270; do
    for colours in "ffffff 000000" "ff0000 00ff00" "123456 654321" "000000 ffffff" "ff00ff ff00ff"; do
        set -- $colours
        run -o "$orient" -b "$1" -r "$2" -d "orientation $orient" -n 4
        run -o "$orient" -b "$1" -r "$2" -d "orientation $orient" -n 4 --palette
    done
done
for size in "100 100" "37 211" "640 480" "7 7" "1 1" "3000 200"; do
    set -- $size
    for align in "0 0" "1 1" "2 2" "0 2"; do
        set -- $size $align
        run -x "$1" -y "$2" -z "$3" -v "$4" -d "size $1x$2"
        run -x "$1" -y "$2" -z "$3" -v "$4" -d "size $1x$2" --palette -q 0
    done
done
for dpi in 1 72 300 600 100000; do
    run --dpi="$dpi" -d "dpi $dpi"
    run --dpi="$dpi" --module-mm=0.5 -d "dpi $dpi"
    run --dpi="$dpi" --module-mm=2.25 --palette -d "dpi $dpi"
done
for n_ in 1 5 20 37; do
    run -f 24 -n "$n_" -d "$long"
    run -f 24 -n "$n_" -m 4 -d "$bytes"
    run -f 24 -n "$n_" -d "$long" --palette -b abcdef -r 010203
done
for e in 0 1 3 10; do
    run -e "$e" -n 3 -d "quiet $e"
    run -e "$e" -q 0 -n 3 -d "quiet $e"
done
run --dmre -f 40 -n 4 -d "DMRE"
run --shape=rectangle -n 6 -d "RECTANGLE"
run --gs1 -d "(01)09501101530003(17)251231(10)AB12" -n 3
run -s 1 -p 3 -t 5 -i 77 -d "APPEND"
run -f 1 -d "$long"  # too much data: fails
run -x 0 -d "zero"   # refused
printf 'one\ntwo\nthree\n' >batch.txt
"$korvel" --time=1700000000 --batch=batch.txt --palette -n 4 batch-palette.png >batch1.stdout 2>&1 || echo $? >batch1.status
"$korvel" --time=1700000000 --batch=batch.txt -o 90 -n 2 batch-rotated.png >batch2.stdout 2>&1 || echo $? >batch2.status
rm batch.txt
echo "$n runs written to $out"
