#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Everything the two programs' --help names must reach the packaged documentation: each command,
# option, chip, AVR model and simulated fault is offered by the bash completion and named in the
# manual page. Usage: help-coverage.sh TARPEL-CLI TARPEL PACKAGING-FOLDER
# Exit 77 (skipped) when bash-completion is missing, except in CI, which installs it.
set -u  # no pipefail: grep -q ends its pipe early on purpose
cli=$1 window=$2 packaging=$3

loader=/usr/share/bash-completion/bash_completion
if [ ! -f "$loader" ]; then
  echo "bash-completion no esta instalado (scripts/install-deps.sh lo instala)"
  [ "${CI:-}" = true ] && exit 1
  exit 77
fi
# shellcheck source=/dev/null
source "$loader"
# shellcheck source=/dev/null
source "$packaging/tarpel-cli.bash-completion"

failures=0
fail() {
  echo "FALLO: $*"
  failures=$((failures + 1))
}

# What the completion offers at the end of LINE (words split on blanks, as bash splits them
# when no colon or equals sign is typed), one offer per line.
offers() {
  local line=$1
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  case ${COMP_WORDS[0]} in
    tarpel-cli) _tarpel_cli ;;
    tarpel) _tarpel_window ;;
  esac 2>/dev/null  # compopt complains outside a real completion
  printf '%s\n' "${COMPREPLY[@]}"
}

expect_offer() {
  local line=$1 wanted=$2
  offers "$line" | grep -qxF -- "$wanted" || fail "la completion no ofrece '$wanted' tras '$line'"
}

# The manual page as plain text: roff escapes for dashes and fonts taken out.
man_text() {
  sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/^\.[A-Z]* //' "$1"
}

expect_in_man() {
  local page=$1 wanted=$2
  man_text "$packaging/$page" | grep -qF -- "$wanted" || fail "$page no nombra '$wanted'"
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" && touch probe.hex

cli_help=$("$cli" --help) || { echo "$cli --help fallo"; exit 1; }
window_help=$("$window" --help) || { echo "$window --help fallo"; exit 1; }
commands=$(sed -n '/^Ordenes:/,/^$/p' <<<"$cli_help")
common=$(sed -n '/^Opciones comunes:/,/^$/p' <<<"$cli_help")
[ -n "$commands" ] && [ -n "$common" ] || { echo "la ayuda de tarpel-cli ya no tiene sus secciones"; exit 1; }

# Commands: "  group command ARG..." lines, each followed by its "      --option" lines.
group="" command=""
while IFS= read -r line; do
  if [[ $line =~ ^\ \ ([a-z0-9-]+)\ ([a-z0-9-]+)((\ [A-Z]+)*) ]]; then
    group=${BASH_REMATCH[1]} command=${BASH_REMATCH[2]}
    read -ra arguments <<<"${BASH_REMATCH[3]}"
    # Every other argument of a command is a file name; ADDR and BYTE are numbers.
    for ((k = ${#arguments[@]} - 1; k >= 0; k--)); do
      [[ ${arguments[k]} == ADDR || ${arguments[k]} == BYTE ]] && unset 'arguments[k]'
    done
    arguments=("${arguments[@]}")
    expect_offer "tarpel-cli " "$group"
    expect_offer "tarpel-cli $group " "$command"
    expect_in_man tarpel-cli.1 "$group $command"
    # File names are offered while one is missing, not after.
    typed=""
    for ((k = 0; k <= ${#arguments[@]}; k++)); do
      if ((k < ${#arguments[@]})); then
        offers "tarpel-cli $group $command $typed" | grep -qx probe.hex ||
          fail "la completion no ofrece ficheros para el argumento $((k + 1)) de '$group $command'"
      elif offers "tarpel-cli $group $command $typed" | grep -qx probe.hex; then
        fail "la completion ofrece un argumento de mas a '$group $command'"
      fi
      typed+="x.hex "
    done
  elif [[ $line =~ ^\ {6}--([a-z0-9-]+) ]] && [ -n "$command" ]; then
    expect_offer "tarpel-cli $group $command --" "--${BASH_REMATCH[1]}"
    expect_in_man tarpel-cli.1 "--${BASH_REMATCH[1]}"
  fi
done <<<"$commands"
[ -n "$command" ] || fail "no se ha leido ninguna orden de la ayuda de tarpel-cli"

# Options of both programs.
for option in $(grep -oE '^  (-h, )?--[a-z0-9-]+' <<<"$common" | grep -oE -- '--[a-z0-9-]+'); do
  expect_offer "tarpel-cli --" "$option"
  expect_in_man tarpel-cli.1 "$option"
done
for option in $(grep -oE '^  --[a-z0-9-]+' <<<"$window_help"); do
  expect_offer "tarpel --" "$option"
  expect_in_man tarpel.1 "$option"
done

# Board kinds: the "a | b[:X] | c." list that opens the --board help, bracketed parts left out.
boards=$(sed -n '/--board PLACA/,/--trace/p' <<<"$common" | tr -s ' \n' ' ' | sed -E 's/.*--board PLACA //; s/\. .*//')
for board in $(tr '|' '\n' <<<"$boards" | sed -E 's/\[.*\]//; s/ //g'); do
  expect_offer "tarpel-cli --board " "$board"
  expect_offer "tarpel --board " "$board"
  expect_in_man tarpel-cli.1 "$board"
  expect_in_man tarpel.1 "$board"
done
[[ $boards == *sim* ]] || fail "no se ha leido ninguna placa de la ayuda de tarpel-cli"

# Chip and AVR names, and the simulated faults.
for chip in $(grep -oE '24C[0-9]+' <<<"$cli_help" | sort -u); do
  expect_offer "tarpel-cli eeprom read --chip " "$chip"
  expect_offer "tarpel-cli --sim-eeprom " "$chip"
  expect_offer "tarpel --sim-eeprom " "$chip"
done
for model in $(grep -A1 -- '--sim-avr' <<<"$common" | grep -oE '(at90s|atmega)[0-9]+' | sort -u); do
  expect_offer "tarpel-cli --sim-avr " "$model"
  expect_offer "tarpel --sim-avr " "$model"
done
faults=$(sed -n '/--sim-fault/,/--help/p' <<<"$common" | grep -oE '^ {6}[^ ].*' | sed -E 's/^ +//; s/  .*//')
for fault in $(grep -oE '[a-z0-9-]+(:[A-Z]+)*' <<<"$faults"); do
  name=${fault%%:*}
  offers "tarpel-cli --sim-fault " | grep -qE "^$name(:|$)" || fail "la completion no ofrece el fallo '$name'"
  expect_in_man tarpel-cli.1 "$name"
done
[ -n "$faults" ] || fail "no se ha leido ningun fallo simulado de la ayuda de tarpel-cli"

if ((failures > 0)); then
  echo "$failures fallos: actualice packaging/tarpel-cli.bash-completion y las paginas de manual"
  exit 1
fi
echo "La completion y las paginas de manual cubren la ayuda de los dos programas"
