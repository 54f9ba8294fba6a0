#!/usr/bin/env bash
# Installs what the tests need, builds, and runs the whole test suite twice:
# an optimised build, then one under AddressSanitizer and
# UndefinedBehaviorSanitizer. The first runs every label (unit, readback,
# process, package, tsan), the second all but ThreadSanitizer and the build
# of the README's install commands; `ctest -L LABEL` in a build tree runs
# one label.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/common.sh
source "$here/scripts/common.sh"

ensure_packages cmake make g++ pkg-config libpng-dev zlib1g-dev nettle-dev nlohmann-json3-dev libgtest-dev \
    libfreetype-dev libfontconfig-dev libexpat1-dev libbrotli-dev fonts-ocr-b fonts-dejavu-core poppler-utils \
    libzxing-dev libdmtx-dev librsvg2-bin ghostscript qpdf

jobs="$(nproc)"
echo "== Release build and tests"
configure_and_build "$here/build/test-release" RelWithDebInfo
ctest --test-dir "$here/build/test-release" --output-on-failure -j"$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
configure_and_build "$here/build/test-sanitize" Debug -DKORVEL_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$here/build/test-sanitize" --output-on-failure -j"$jobs"
