#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs what is missing, builds Tarpel twice (plain, then with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite through ctest in each build; then
# fuzzes the HEX and S-record readers in a clang build of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

# run_suite DIR EXCLUDED-TESTS-REGEX CMAKE-OPTIONS...
run_suite() {
  local dir=$1 excluded=$2; shift 2
  cmake -S . -B "$dir" -DTARPEL_WERROR=ON -DTARPEL_BENCHMARKS=ON "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 600 ${excluded:+-E "$excluded"} | tee "$dir/ctest.log"
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
run_suite build-test "" -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Sanitizer build =="
# The 128 KiB chip's strict round trips in the standard timing take the same code paths as the
# 24C64's in that timing and its own in the fast one, only for more pages: a quarter of an hour of
# the sanitizers' time that finds nothing new. The plain build runs them.
run_suite build-asan "SimStrictRoundTrip.*/sim(_ft232[rh])?_24C1024([^_]|$)" -DCMAKE_BUILD_TYPE=Debug -DTARPEL_SANITIZE=ON -DTARPEL_BENCHMARKS=OFF
echo "== Fuzzing the HEX and S-record readers (45 s each) =="
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARPEL_FUZZ=ON \
  -DTARPEL_GUI=OFF -DTARPEL_TESTS=OFF -DTARPEL_BENCHMARKS=OFF -DTARPEL_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_hexread fuzz_srecread
# New inputs go to build-fuzz/corpus-*; the seeds in fuzz/ are only read.
fuzz() {
  local target=$1 seeds=$2
  rm -rf "build-fuzz/corpus-$target" && mkdir -p "build-fuzz/corpus-$target"
  if ! "build-fuzz/fuzz/fuzz_$target" -max_total_time=45 -artifact_prefix="build-fuzz/$target-" \
       "build-fuzz/corpus-$target" "$seeds" >"build-fuzz/$target.log" 2>&1; then
    tail -n 60 "build-fuzz/$target.log"
    exit 1
  fi
  tail -n 1 "build-fuzz/$target.log"
}
fuzz hexread fuzz/corpus
fuzz srecread fuzz/corpus-srec
echo "Summary: $passed passed, 0 failed, $skipped_total skipped"
