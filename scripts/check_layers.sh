#!/usr/bin/env bash
# Checks the include rules of docs/architecture.md: a folder of src/ includes
# only folders listed before it in the layer order, and nothing in src/
# includes a program. Prints every offending include; exits 1 if any.
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
order=$(sed -n '/^## What may include what/,/^so no include/p' "$root/docs/architecture.md" \
        | awk '/^```$/ {inside = !inside; next} inside')
declare -A rank=()
i=0
for folder in $order; do
    rank[$folder]=$i
    i=$((i + 1))
done
status=0
for dir in "$root"/src/*/; do
    folder=$(basename "$dir")
    if [ -z "${rank[$folder]+set}" ]; then
        echo "src/$folder: not in the layer order of docs/architecture.md"
        status=1
        continue
    fi
    while IFS=: read -r file line target; do
        dep=${target%%/*}
        [ "$dep" = "$folder" ] && continue
        [ "$dep" = "korvel" ] && continue
        if [ -z "${rank[$dep]+set}" ]; then
            echo "${file#"$root"/}:$line: includes $target, which is no folder of src/"
            status=1
        elif [ "${rank[$dep]}" -ge "${rank[$folder]}" ]; then
            echo "${file#"$root"/}:$line: $folder includes $target, a folder at or above it"
            status=1
        fi
    done < <(grep -n -o '#include "[a-z0-9_]*/[^"]*"' "$dir"* /dev/null \
             | sed 's/#include "\(.*\)"$/\1/')
done
[ "$status" -eq 0 ] && echo "layers: every include of src/ points down"
exit "$status"
