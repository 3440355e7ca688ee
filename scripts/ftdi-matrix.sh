#!/bin/bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Every catalogue 24Cxx and every AVR round-trips (write, read, verify) through both simulated
# FTDI adapters at every documented pin-clock factor, in both timings, with --sim-strict: any
# protocol violation or difference fails the run. CI runs one chip of each addressing form and
# one AVR (tests/cli/SimStrictTimingTest.cpp); this is the whole matrix, for a change to the
# adapters' timing. Usage: scripts/ftdi-matrix.sh [BUILD_DIR]   (default: build)
set -u
cli="${1:-build}/src/cli/tarpel-cli"
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
runs=0
check() {  # label, then the command
    local label="$1"
    shift
    runs=$((runs + 1))
    if ! "$@" >"$work/out" 2>&1; then
        failed=$((failed + 1))
        echo "FALLO $label: $(tail -n 3 "$work/out" | tr '\n' ' ')"
    fi
}
declare -A size=([24C01]=128 [24C02]=256 [24C04]=512 [24C08]=1024 [24C16]=2048 [24C32]=4096 [24C64]=8192 [24C128]=16384
                 [24C256]=32768 [24C512]=65536 [24C1024]=131072 [24CM02]=262144)
declare -A flash=([at90s8515]=8192 [at90s4414]=4096 [atmega8515]=8192 [atmega162]=16384)
for board in sim:ft232r sim:ft232h; do
    for factor in 0.5 1 4 16 20; do
        for timing in "" --fast; do
            common=(--board "$board" --sim-ftdi-clock "$factor" --sim-strict $timing)
            for chip in "${!size[@]}"; do
                dir="$work/$chip"
                rm -rf "$dir"
                head -c "${size[$chip]}" /dev/urandom >"$work/image.bin"
                label="$board x$factor ${timing:-estandar} $chip"
                check "$label write" "$cli" "${common[@]}" --sim-dir "$dir" --sim-eeprom "$chip" --sim-avr none \
                    eeprom write --chip "$chip" "$work/image.bin"
                check "$label verify" "$cli" "${common[@]}" --sim-dir "$dir" --sim-eeprom "$chip" --sim-avr none \
                    eeprom verify --chip "$chip" "$work/image.bin"
            done
            for avr in "${!flash[@]}"; do
                dir="$work/$avr"
                rm -rf "$dir"
                head -c "${flash[$avr]}" /dev/urandom >"$work/flash.bin"
                label="$board x$factor ${timing:-estandar} $avr"
                check "$label reprogram-flash" "$cli" "${common[@]}" --sim-dir "$dir" --sim-eeprom none --sim-avr "$avr" \
                    avr reprogram-flash "$work/flash.bin"
                check "$label read-flash" "$cli" "${common[@]}" --sim-dir "$dir" --sim-eeprom none --sim-avr "$avr" \
                    avr read-flash "$work/read.bin"
                check "$label same flash" cmp -s "$work/flash.bin" "$work/read.bin"
            done
        done
    done
done
echo "$runs pasos, $failed fallidos"
[ "$failed" -eq 0 ]
