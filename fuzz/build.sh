#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer:
#
#   fuzz/build.sh [BUILD_DIR]      (default: build/fuzz)
#
# gives BUILD_DIR/barcode_fuzzer, BUILD_DIR/command_line_fuzzer,
# BUILD_DIR/gs1_fuzzer and BUILD_DIR/readback_fuzzer. Run one over its corpus, for example:
#
#   BUILD_DIR/barcode_fuzzer -max_total_time=600 -timeout=10 -rss_limit_mb=2048 \
#       NEW_INPUTS_DIR fuzz/corpus/barcode
#   BUILD_DIR/command_line_fuzzer -close_fd_mask=3 -max_total_time=600 -timeout=10 \
#       NEW_INPUTS_DIR fuzz/corpus/command_line
#   BUILD_DIR/readback_fuzzer -max_total_time=600 -timeout=10 NEW_INPUTS_DIR fuzz/corpus/readback
#   BUILD_DIR/gs1_fuzzer -dict=fuzz/gs1.dict -max_total_time=600 -timeout=10 NEW_INPUTS_DIR fuzz/corpus/gs1
#
# (fuzz/barcode.dict, fuzz/command_line.dict and fuzz/gs1.dict can be given with -dict=), and
# fold what it found back into the kept corpus, which covers every edge once:
#
#   BUILD_DIR/barcode_fuzzer -merge=1 -use_counters=0 MERGED_DIR fuzz/corpus/barcode NEW_INPUTS_DIR
#
# Every input that made a target fail stays in the corpus. The regular
# test suite replays every file of fuzz/corpus/ through the same entry
# functions (tests/fuzz_regression).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
out="${1:-$root/build/fuzz}"
mkdir -p "$out/objects"

cxx="${CXX_FUZZ:-clang++}"
# The Reed-Solomon generator table is computed at compile time and needs more
# constant-evaluation steps than clang allows by default.
flags=(-std=c++20 -g -O1 -fno-omit-frame-pointer -ffp-contract=off -fconstexpr-steps=50000000
       -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
       -I"$root/include" -I"$root/src" -I"$here" -DKORVEL_LIBFUZZER)

# Every library and command-line source except the program's main(); the
# whole set is rebuilt each time (it takes about a minute).
mapfile -t sources < <(find "$root/src" -name '*.cpp' ! -name main.cpp | sort)
objects=()
for source in "${sources[@]}"; do
    object="$out/objects/$(realpath --relative-to="$root/src" "$source" | tr / _).o"
    "$cxx" "${flags[@]}" -c "$source" -o "$object"
    objects+=("$object")
done

for target in barcode command_line gs1; do
    "$cxx" "${flags[@]}" -fsanitize=fuzzer "$here/${target}_target.cpp" "${objects[@]}" -lpng \
        -o "$out/${target}_fuzzer"
done
# The read-back target also needs zxing-cpp (reader side only).
"$cxx" "${flags[@]}" -DZX_USE_UTF8 -fsanitize=fuzzer "$here/readback_target.cpp" "${objects[@]}" -lZXing -lpng \
    -o "$out/readback_fuzzer"
echo "built: $out/barcode_fuzzer $out/command_line_fuzzer $out/gs1_fuzzer $out/readback_fuzzer"
