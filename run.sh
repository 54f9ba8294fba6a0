#!/usr/bin/env bash
# Builds korvel (Release) when needed, then runs it with the given arguments
# from the caller's directory: ./run.sh [OPTIONS] filename
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=scripts/common.sh
source "$here/scripts/common.sh"

ensure_packages cmake make g++ pkg-config libpng-dev zlib1g-dev nettle-dev nlohmann-json3-dev libzxing-dev libboost-dev \
    libfreetype-dev libfontconfig-dev libexpat1-dev libbrotli-dev fonts-ocr-b fonts-dejavu-core
build_dir="$here/build/release"
if ! log="$(configure_and_build "$build_dir" Release -DKORVEL_BUILD_TESTS=OFF 2>&1)"; then
    printf '%s\n' "$log" >&2
    echo "run.sh: the build failed" >&2
    exit 1
fi
exec "$build_dir/korvel" "$@"
