#!/usr/bin/env bash
# check_package.sh SOURCE_DIR WORK_DIR KORVEL_PROGRAM
# Copies what a checkout of SOURCE_DIR holds to WORK_DIR/source, runs there
# the README's commands that install the Python package (the sh block with
# "-m venv"), then the tests in tests/python with the installed package.
set -euo pipefail
source_dir="$1" work="$2" program="$3"

rm -rf "$work"
mkdir -p "$work/source"
if git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$source_dir" ls-files -z --cached --others --exclude-standard |
        tar -C "$source_dir" --null --no-recursion --ignore-failed-read -T - -cf - | tar -C "$work/source" -xf -
else
    tar -C "$source_dir" --exclude=./build --exclude=./.venv -cf - . | tar -C "$work/source" -xf -
fi

commands="$(awk '/^```sh$/ { block = ""; inside = 1; next }
                 /^```$/ { if (inside && block ~ /-m venv/) { printf "%s", block; exit } inside = 0; next }
                 inside { block = block $0 "\n" }' "$source_dir/README.md")"
if [ -z "$commands" ]; then
    echo "README.md has no sh block with the Python package's venv command" >&2
    exit 1
fi
echo "== In a copy of the source tree: the README's commands"
printf '%s\n' "$commands"
(cd "$work/source" && bash -euo pipefail -c "$commands")

echo "== pytest with the installed package"
cd "$work"
KORVEL_PROGRAM="$program" "$work/source/.venv/bin/python" -m pytest -p no:cacheprovider -q "$source_dir/tests/python"
