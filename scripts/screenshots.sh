#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the screenshot tool and runs it in a virtual X server (Xvfb, 1280x800), which writes the
# README's pictures into docs/: both pages of the main window and each dialog, once in Spanish
# and once in English (the names ending in -en).
# TARPEL_BUILD_DIR picks the build folder (default build-screenshots), JOBS the parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${TARPEL_BUILD_DIR:-build-screenshots}
cmake -S . -B "$dir" -DTARPEL_TESTS=ON -DTARPEL_GUI=ON >/dev/null
cmake --build "$dir" -j"${JOBS:-$(nproc)}" --target tarpel-screenshots tarpel_catalogue_en
# A real X server, not the offscreen platform: the pictures are what a user's display shows.
unset QT_QPA_PLATFORM
for language in es en; do
  LANGUAGE=$language LANG=C.UTF-8 LC_ALL= LC_MESSAGES= \
    xvfb-run -a -s "-screen 0 1280x800x24" "$dir/tests/ui/tarpel-screenshots" docs
done
