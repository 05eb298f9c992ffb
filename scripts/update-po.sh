#!/usr/bin/env bash
# Extracts the interface texts into po/default/default.pot and merges them into every translation.
# Texts are marked with Tr("..."), TrD(domain, "...") and TrN("...", "...", n), and in the windows
# also with QTr("..."); see README.
set -euo pipefail
cd "$(dirname "$0")/.."
find src -name '*.cpp' -o -name '*.h' | sort >/tmp/quiravel-po-files
xgettext --from-code=UTF-8 --language=C++ --keyword= --keyword=Tr --keyword=TrD:2 --keyword=TrN:1,2 \
    --keyword=QTr --keyword=QT_TR_NOOP --add-comments=TRANSLATORS: --package-name=Quiravel --sort-by-file \
    --files-from=/tmp/quiravel-po-files -o po/default/default.pot
for po in po/default/*.po; do
    msgmerge --quiet --update --backup=none --no-fuzzy-matching "$po" po/default/default.pot
done
for po in po/default/*.po; do
    echo "$po: $(msgfmt --check --statistics -o /dev/null "$po" 2>&1)"
done
