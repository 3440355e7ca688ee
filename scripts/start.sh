#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs what is missing, builds Tarpel and starts the window program.
# Arguments go to the program, e.g. scripts/start.sh --board ppdev:/dev/parport0
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTARPEL_TESTS=OFF -DTARPEL_BENCHMARKS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target tarpel tarpel-cli
exec build/src/ui/tarpel "$@"
