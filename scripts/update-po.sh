#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Extracts every text marked for translation (Tr, TrQ, TrNoop) from src/ and merges it into the
# catalogues in po/: new texts arrive untranslated, texts gone from the sources are dropped.
# Translate the new entries by hand afterwards; the tests fail while one is left untranslated.
#   scripts/update-po.sh            update po/*.po
#   scripts/update-po.sh --pot F    only write the extracted template to F
set -euo pipefail
# The program's messages break their lines with \r on purpose; gettext warns of every one.
exec 2> >(grep -v "'\\\\r' escape sequence" >&2)
root=$(cd "$(dirname "$0")/.." && pwd)

extract() {
  (cd "$root" && find src -name '*.cpp' -o -name '*.h' | LC_ALL=C sort |
    xgettext --files-from=- --language=C++ --from-code=UTF-8 --keyword --keyword=Tr --keyword=TrQ \
             --keyword=TrNoop --package-name=tarpel --sort-by-file --add-location=file -o "$1")
}

if [ "${1:-}" = --pot ]; then
  extract "$2"
  exit 0
fi

pot=$(mktemp --suffix=.pot)
trap 'rm -f "$pot"' EXIT
extract "$pot"
for catalogue in "$root"/po/*.po; do
  msgmerge --quiet --update --backup=none --no-fuzzy-matching --add-location=file "$catalogue" "$pot"
  msgattrib --no-obsolete --add-location=file -o "$catalogue" "$catalogue"
done
