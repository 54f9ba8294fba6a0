#!/usr/bin/env bash
# Installs what the tests need, builds, and runs the whole test suite twice:
# an optimised build, then one under AddressSanitizer and
# UndefinedBehaviorSanitizer. The first runs every label (unit, readback,
# process, package, tsan, python, and browser: korvel-server's page in
# headless Chromium), the second all but ThreadSanitizer, the browser, the
# build of the README's install commands and the Python package (installed
# with pip as the README says, then its pytest tests); `ctest -L LABEL` in a
# build tree runs one label.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/common.sh
source "$here/scripts/common.sh"

ensure_packages cmake make g++ pkg-config libpng-dev zlib1g-dev nettle-dev nlohmann-json3-dev libgtest-dev \
    libfreetype-dev libfontconfig-dev libexpat1-dev libbrotli-dev fonts-ocr-b fonts-dejavu-core \
    libzxing-dev libdmtx-dev librsvg2-bin ghostscript qpdf poppler-utils libboost-dev \
    chromium pybind11-dev python3-pybind11 python3-dev python3-setuptools python3-wheel python3-venv \
    python3-pytest python3-zxing-cpp python3-pil
# The page's browser test runs on node and npm (the machine's own, or Debian's).
command -v node >/dev/null || ensure_packages nodejs
command -v npm >/dev/null || ensure_packages npm

jobs="$(nproc)"
echo "== Release build and tests"
configure_and_build "$here/build/test-release" RelWithDebInfo -DKORVEL_BROWSER_TEST=ON
ctest --test-dir "$here/build/test-release" --output-on-failure -j"$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
configure_and_build "$here/build/test-sanitize" Debug -DKORVEL_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$here/build/test-sanitize" --output-on-failure -j"$jobs"
