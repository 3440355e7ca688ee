#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Runs the build's include check on link/ and sim/ as they are (must pass) and on copies with a
# forbidden include added (must fail, naming the file).
set -u
top=$1
check=$top/cmake/CheckLayerIncludes.cmake
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expect pass|fail folder allowed
  local want=$1 folder=$2 allowed=$3 output
  if output=$(cmake -DFOLDER="$folder" "-DALLOWED=$allowed" -P "$check" 2>&1); then got=pass; else got=fail; fi
  if [ "$got" != "$want" ]; then
    echo "expected $want for $folder, got $got: $output"
    failures=$((failures + 1))
  fi
}
link_allowed="link/;port/Port.h;port/Clock.h"
sim_allowed="sim/;files/;shell/;port/Port.h;port/Clock.h;port/FtdiCalls.h"
expect pass "$top/src/link" "$link_allowed"
expect pass "$top/src/sim" "$sim_allowed"

cp -r "$top/src/link" "$work/link"
echo '#include "port/PpdevPort.h"' >> "$work/link/BitTiming.cpp"
expect fail "$work/link" "$link_allowed"
cp -r "$top/src/link" "$work/link2"
echo '#include "shell/Translate.h"' >> "$work/link2/I2cMaster.h"
expect fail "$work/link2" "$link_allowed"
cp -r "$top/src/sim" "$work/sim"
echo '#include "port/FtdiPinMap.h"' >> "$work/sim/SimulatedFtdiAdapter.cpp"
expect fail "$work/sim" "$sim_allowed"

[ $failures -eq 0 ] && echo "layers kept: 5 checks"
exit $failures
