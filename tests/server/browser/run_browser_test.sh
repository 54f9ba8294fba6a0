#!/usr/bin/env bash
# The page's test in Debian's Chromium: installs puppeteer-core and axe-core
# (package-lock.json) into WORK_DIR, then runs page.test.mjs there with
# node's test runner.
#
#   tests/server/browser/run_browser_test.sh WORK_DIR KORVEL_SERVER KORVEL
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mkdir -p "$1"
work="$(cd "$1" && pwd)"
server="$(realpath "$2")"
program="$(realpath "$3")"
if ! cmp -s "$here/package-lock.json" "$work/package-lock.json" || [ ! -d "$work/node_modules" ]; then
    cp "$here/package.json" "$here/package-lock.json" "$work/"
    (cd "$work" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
fi
cp "$here/page.test.mjs" "$here/read_symbol.py" "$work/"
cd "$work"
KORVEL_SERVER="$server" KORVEL_PROGRAM="$program" CHROMIUM="${CHROMIUM:-/usr/bin/chromium}" \
    timeout 300 node --test --test-concurrency=1 page.test.mjs
