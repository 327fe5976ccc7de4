#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for
# SECONDS (default 60), seeded from the sample pictures when they are present.
# Fails on any crash, leak or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DPICTORA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j2 --target fuzz_marker fuzz_codec
samples=../shared/testdata/exif-samples/jpg
for target in fuzz_marker fuzz_codec; do
  corpus="build-fuzz/corpus/$target"
  mkdir -p "$corpus"
  if [ -d "$samples" ]; then
    # Only files within the input limit are useful seeds.
    find "$samples" -type f -size -64k -exec cp -n {} "$corpus/" \;
  fi
  "build-fuzz/tests/fuzz/$target" -max_len=65536 -max_total_time="$seconds" \
    -print_final_stats=1 "$corpus" 2>"build-fuzz/$target.log" || {
    tail -n 60 "build-fuzz/$target.log" >&2
    exit 1
  }
  grep -E "^(stat::number_of_executed_units|Done )" "build-fuzz/$target.log" || true
done
