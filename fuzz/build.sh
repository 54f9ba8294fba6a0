#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer through the project's CMake build:
#
#   fuzz/build.sh [BUILD_DIR]      (default: build/fuzz)
#
# gives BUILD_DIR/fuzz/<name>_fuzzer for every target of fuzz/CMakeLists.txt.
# Run one over its corpus, for example:
#
#   BUILD_DIR/fuzz/barcode_fuzzer -max_total_time=600 -timeout=10 -rss_limit_mb=2048 \
#       NEW_INPUTS_DIR fuzz/corpus/barcode
#   BUILD_DIR/fuzz/command_line_fuzzer -close_fd_mask=3 -max_total_time=600 -timeout=10 -max_len=2048 \
#       -dict=fuzz/command_line.dict NEW_INPUTS_DIR fuzz/corpus/command_line
#
# (the command-line target runs the whole program in a scratch directory
# /tmp/korvel-fuzz-cli-*, removed at its end, and starts the korvel-verify of
# BUILD_DIR for --verify: do not rebuild BUILD_DIR while it runs)
#   BUILD_DIR/fuzz/readback_fuzzer -max_total_time=600 -timeout=10 NEW_INPUTS_DIR fuzz/corpus/readback
#   BUILD_DIR/fuzz/gs1_fuzzer -max_total_time=600 -timeout=10 NEW_INPUTS_DIR fuzz/corpus/gs1
#   BUILD_DIR/fuzz/png_raster_fuzzer -max_total_time=600 -timeout=10 NEW_INPUTS_DIR fuzz/corpus/png_raster
#   BUILD_DIR/fuzz/request_options_fuzzer -max_total_time=600 -timeout=10 -dict=fuzz/request_options.dict \
#       NEW_INPUTS_DIR fuzz/corpus/request_options
#   BUILD_DIR/fuzz/zlib_stream_fuzzer -max_total_time=600 -timeout=10 NEW_INPUTS_DIR fuzz/corpus/zlib_stream
#
# (fuzz/barcode.dict, fuzz/command_line.dict, fuzz/gs1.dict and fuzz/request_options.dict can be given
# with -dict=), and fold what it found back into the kept corpus, which covers
# every edge once:
#
#   BUILD_DIR/fuzz/barcode_fuzzer -merge=1 -use_counters=0 MERGED_DIR fuzz/corpus/barcode NEW_INPUTS_DIR
#
# Every input that made a target fail stays in the corpus. The regular
# test suite replays every file of fuzz/corpus/ through the same entry
# functions (tests/fuzz_regression).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
out="${1:-$root/build/fuzz}"
CXX="${CXX_FUZZ:-clang++}" cmake -S "$root" -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORVEL_BUILD_FUZZERS=ON -DKORVEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$out" --target fuzzers -j"$(nproc)"
echo "built: $(ls "$out"/fuzz/*_fuzzer | tr '\n' ' ')"
