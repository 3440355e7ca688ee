#!/usr/bin/env bash
# Installs what is missing, builds Tarpel twice (plain, then with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the whole test suite through ctest in each build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DTARPEL_WERROR=ON -DTARPEL_BENCHMARKS=ON "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 600
}

echo "== Plain build =="
run_suite build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Sanitizer build =="
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DTARPEL_SANITIZE=ON -DTARPEL_BENCHMARKS=OFF
