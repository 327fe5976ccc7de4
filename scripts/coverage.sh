#!/usr/bin/env bash
# Line coverage of the program code (not the tests, not the benchmark) by the
# whole test suite: a --coverage build in BUILD_DIR (default build-coverage),
# every test, then gcovr's summary and per-file table.
# Usage: scripts/coverage.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build-coverage}
"$top/scripts/deps.sh" --tests
command -v gcovr >/dev/null || {
  if [[ $(id -u) -eq 0 ]]; then apt-get install -y -qq --no-install-recommends gcovr >/dev/null
  else echo "Please run, as root: apt-get install gcovr" >&2; exit 1; fi
}
"$top/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage
find "$dir" -name '*.gcda' -delete
# Tests run side by side can leave a branch count that gcov prints as
# negative; such a line is skipped rather than ending the report.
(cd "$dir" && ctest -j "$(nproc)" --output-on-failure) || true
gcovr --root "$top" --object-directory "$dir" \
  --filter "$top/app/" --filter "$top/cli/" --filter "$top/libgr/" \
  --filter "$top/libutils/" --filter "$top/vexalib/" \
  --exclude-unreachable-branches --gcov-ignore-parse-errors --print-summary -o "$dir/coverage.txt" "$dir"
echo "per-file table: $dir/coverage.txt"
