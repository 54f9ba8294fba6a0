#!/usr/bin/env bash
# The Python package against the C++ library, side by side in one run
# (bench/python_bench.py): the module and korvel_bench are built in one
# Release tree, build/bench-python, so that both sides have the same code and
# flags. Arguments go to python_bench.py (--rounds N, --count N).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=../scripts/common.sh
source "$here/scripts/common.sh"
ensure_packages cmake make g++ pkg-config libpng-dev zlib1g-dev nettle-dev nlohmann-json3-dev libzxing-dev \
    libbenchmark-dev pybind11-dev python3-dev

tree="$here/build/bench-python"
configure_and_build "$tree" Release -DKORVEL_BUILD_TESTS=OFF -DKORVEL_BUILD_BENCHMARKS=ON -DKORVEL_BUILD_PYTHON=ON \
    -DPython_EXECUTABLE=/usr/bin/python3 >/dev/null
PYTHONPATH="$tree/python" /usr/bin/python3 "$here/bench/python_bench.py" --cxx-bench "$tree/korvel_bench" "$@"
