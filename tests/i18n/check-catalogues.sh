#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Fails when a catalogue in po/ has an untranslated or fuzzy entry, misses a text the sources
# mark for translation, or keeps one they no longer have (run scripts/update-po.sh, translate).
set -euo pipefail
# The program's messages break their lines with \r on purpose; gettext warns of every one.
exec 2> >(grep -v "'\\\\r' escape sequence" >&2)
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$root/scripts/update-po.sh" --pot "$work/tarpel.pot"
status=0
for catalogue in "$root"/po/*.po; do
  name=$(basename "$catalogue")
  statistics=$(msgfmt --check --statistics -o /dev/null "$catalogue" 2>&1 | grep -v "'\\\\r' escape sequence")
  echo "$name: $statistics"
  if grep -qE 'untranslated|fuzzy' <<<"$statistics"; then status=1; fi
  msgmerge --quiet --no-fuzzy-matching -o "$work/merged.po" "$catalogue" "$work/tarpel.pot"
  missing=$(msgattrib --untranslated --no-obsolete "$work/merged.po" | grep -c '^msgid ' || true)
  stale=$(msgattrib --only-obsolete "$work/merged.po" | grep -c '^#~ msgid ' || true)
  # msgattrib prints the header entry as well when anything else is left.
  if [ "$missing" -gt 1 ]; then
    echo "$name: texts of the sources missing from the catalogue:"
    msgattrib --untranslated --no-obsolete --no-location "$work/merged.po" | sed '1,/^$/d'
    status=1
  fi
  if [ "$stale" -gt 0 ]; then
    echo "$name: entries no text of the sources has any more:"
    msgattrib --only-obsolete "$work/merged.po" | grep -A3 '^#~ msgid '
    status=1
  fi
done
exit $status
