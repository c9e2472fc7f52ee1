"""Reads a database file with the reference reader and prints the dump that tessarin-cli should
print for it; notes on the packed forms (checksums, filler) go to standard error.

Usage: python3 tools/reference/check_file.py FILE [PASSWORD]
Exit status: 0 read, 1 the file is malformed or the password does not open it.
"""

from __future__ import annotations

import sys

import tdb


def filler_notes(db: tdb.Database) -> list[str]:
    """Checksums of the current packed forms, and whether their filler is the generator's sequence
    from some point on, as a process that saved the file right after it started would write it."""
    notes, fillers = [], []
    for kind, items in (("record", db.records), ("type", db.types), ("category", db.categories)):
        for n, item in enumerate(items):
            if db.schemas.get(item.cls, 5) in (1, 2, 4) or item.plain is None or item.packed is not None:
                continue
            notes += [f"{kind} {n}: {p}" for p in tdb.verify_packed(item.plain)]
            fillers.append(item.plain[-7:])
    if not fillers:
        return notes
    gen = tdb.Filler()
    first = fillers[0]
    for skipped in range(20000):
        probe = tdb.Filler()
        probe.state = gen.state
        if probe.bytes7() == first:
            rest = all(probe.bytes7() == f for f in fillers[1:])
            how = "all" if rest else "the first"
            notes.append(f"filler: {how} of {len(fillers)} packed forms follow the generator after {skipped} draws")
            break
        gen.byte()
    else:
        notes.append("filler: not the generator's sequence")
    return notes


def main() -> int:
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    data = open(sys.argv[1], "rb").read()
    password = tdb.text_to_cp1252(sys.argv[2]) if len(sys.argv) == 3 else None
    try:
        db = tdb.read_file(data, password)
    except tdb.FormatError as e:
        print(f"{sys.argv[1]}: {e}", file=sys.stderr)
        return 1
    sys.stdout.write(tdb.dump_json(db))
    notes = filler_notes(db)
    if db.trailing:
        notes.append(f"{db.trailing} bytes after the categories list")
    if db.version < 5:
        notes.append(f"version {db.version}: loading rewrites the file as version 5")
    for note in notes:
        print(note, file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
