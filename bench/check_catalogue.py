#!/usr/bin/env python3
"""check_catalogue.py MANIFEST CATALOGUE TREE [--codepage CP]

Compares a catalogue made by `quiravel-cli scan --db CATALOGUE TREE` with the manifest that
`bench_gen_tree TREE N --manifest MANIFEST` wrote: every good file is one row with the expected
texts, year, size and date; every damaged file is one error line with the expected message; files
of other extensions appear nowhere. CP is the code page the scan decodes legacy texts with
(default cp1252). Prints a summary and the first differences; exits 1 when there are any.
"""

import argparse
import collections
import datetime
import sqlite3
import sys

BLANKS = "".join(chr(c) for c in range(33))
FIELDS = ("title", "artist", "album", "year", "words", "music")


def stored_text(text, encoding, codepage):
    """The text as the catalogue should hold it, after decoding and trimming."""
    if encoding in ("cp1252", "cp1251"):
        raw = text.encode(encoding)
        try:
            text = raw.decode("utf-8")  # bytes that happen to be valid UTF-8 are taken as such
        except UnicodeDecodeError:
            text = raw.decode(codepage, errors="replace")
    return text.strip(BLANKS)


def read_manifest(path):
    with open(path, encoding="utf-8") as f:
        for line in f:
            kind, rel, size, mtime, enc, title, artist, album, year, words, music, error = line.rstrip(
                "\n").split("\t")
            yield kind, rel, int(size), int(mtime), enc, (title, artist, album, int(year), words, music), error


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("manifest")
    parser.add_argument("catalogue")
    parser.add_argument("tree")
    parser.add_argument("--codepage", default="cp1252")
    args = parser.parse_args()

    db = sqlite3.connect(args.catalogue)
    rows = {r[6]: r for r in db.execute(
        "SELECT title, artist, album, year, words, music, filename, filesize, filedate FROM tablatures")}
    errors = collections.defaultdict(list)
    for filename, message in db.execute("SELECT filename, error FROM errors"):
        errors[filename].append(message)

    problems = collections.Counter()
    examples = []

    def problem(kind, rel, detail):
        problems[kind] += 1
        if len(examples) < 25:
            examples.append(f"{kind}: {rel}: {detail}")

    counts = collections.Counter()
    seen = set()
    root = args.tree.rstrip("/")
    for kind, rel, size, mtime, enc, texts, error in read_manifest(args.manifest):
        path = f"{root}/{rel}"
        if path in seen:
            problem("file listed twice", rel, "")
        seen.add(path)
        counts[kind] += 1
        row, errs = rows.get(path), errors.get(path, [])
        if kind == "ignored":
            if row or errs:
                problem("ignored file catalogued", rel, row or errs)
            continue
        if kind == "broken":
            if row:
                problem("damaged file has a row", rel, row)
            elif len(errs) != 1:
                problem("damaged file without one error line", rel, errs)
            elif error != "*" and errs[0] != error:
                problem(f"wrong message for {rel.rsplit('.', 1)[-1].lower()}", rel, f"{errs[0]!r}, want {error!r}")
            continue
        if not row:
            problem("good file missing", rel, errs)
            continue
        counts[enc] += 1
        ext = rel.rsplit(".", 1)[-1].lower()
        want = [stored_text(t, enc, args.codepage) for t in texts[:3]] + [texts[3] or None] + [
            stored_text(t, enc, args.codepage) for t in texts[4:]]
        for name, got, expected in zip(FIELDS, row[:6], want):
            if got != expected:
                problem(f"{name} of {ext} ({enc})", rel, f"{got!r}, want {expected!r}")
        if row[7] != size:
            problem("filesize", rel, f"{row[7]}, want {size}")
        date = datetime.datetime.fromtimestamp(mtime).strftime("%Y-%m-%d %H:%M")
        if row[8] != date:
            problem("filedate", rel, f"{row[8]!r}, want {date!r}")

    for path in rows.keys() - seen:
        problem("row for a file not generated", path, rows[path])
    for path in errors.keys() - seen:
        problem("error for a file not generated", path, errors[path])

    print(f"{counts['tab']} good files ({', '.join(f'{k} {counts[k]}' for k in ('ascii', 'cp1252', 'cp1251', 'utf8', 'utf16'))}), "
          f"{counts['broken']} damaged, {counts['ignored']} ignored; "
          f"catalogue: {len(rows)} rows, {sum(map(len, errors.values()))} error lines")
    if not problems:
        print("All files as expected.")
        return 0
    for kind, n in problems.most_common():
        print(f"{n:7d}  {kind}")
    print("First differences:")
    for e in examples:
        print("  " + e)
    return 1


if __name__ == "__main__":
    sys.exit(main())
