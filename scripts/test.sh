#!/usr/bin/env bash
# Installs what is missing, builds Tarpel twice (plain, then with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite through ctest in each build; then
# fuzzes the HEX reader for a minute in a clang build of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DTARPEL_WERROR=ON -DTARPEL_BENCHMARKS=ON "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 600 | tee "$dir/ctest.log"
  # ctest counts a skipped test among the passed ones; here it counts as skipped.
  local total skipped
  total=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$dir/ctest.log")
  skipped=$(grep -c '\*\*\*Skipped' "$dir/ctest.log" || true)
  passed=$((passed + total - skipped))
  skipped_total=$((skipped_total + skipped))
}
passed=0
skipped_total=0

echo "== Plain build =="
run_suite build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Sanitizer build =="
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DTARPEL_SANITIZE=ON -DTARPEL_BENCHMARKS=OFF
echo "== Fuzzing the HEX reader (60 s) =="
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARPEL_FUZZ=ON \
  -DTARPEL_GUI=OFF -DTARPEL_TESTS=OFF -DTARPEL_BENCHMARKS=OFF -DTARPEL_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_hexread
rm -rf build-fuzz/corpus && mkdir -p build-fuzz/corpus
# New inputs go to build-fuzz/corpus; the seeds in fuzz/corpus are only read.
if ! build-fuzz/fuzz/fuzz_hexread -max_total_time=60 -artifact_prefix=build-fuzz/ \
     build-fuzz/corpus fuzz/corpus >build-fuzz/fuzz.log 2>&1; then
  tail -n 60 build-fuzz/fuzz.log
  exit 1
fi
tail -n 1 build-fuzz/fuzz.log
echo "Summary: $passed passed, 0 failed, $skipped_total skipped"
