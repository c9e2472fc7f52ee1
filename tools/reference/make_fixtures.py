"""Writes the database files that tests/cli/reference_files_test.cpp loads, with what tessarin-cli must
make of them, into tests/data/tdb/:

  NAME.tdb       a file that must load
  NAME.json      its dump, exactly as `tessarin-cli --db NAME.tdb dump` prints it
  NAME.digest    instead of NAME.json for large dumps: "fnv1a64 HEX SIZE" of the dump
  NAME.password  the password, one line of UTF-8, for protected files
  NAME.upgraded  for files below version 5: "fnv1a64 HEX SIZE" of the file that loading writes
                 back, as a fresh tessarin-cli process writes it
  NAME.bad       a file that must fail to load (with NAME.password when protected)

Usage: python3 tools/reference/make_fixtures.py [OUTPUT_DIR]
Output is deterministic; rerun after changing this script and commit the result.
"""

from __future__ import annotations

import copy
import itertools
import os
import sys

import tdb
from tdb import Columns, Database, Item, Ref

HIGH = bytes(range(0x80, 0x100))
CONTROLS = bytes(range(0x01, 0x20)) + b"\x7f"
UNDEFINED = b"\x81\x8d\x8f\x90\x9d"

_counter = itertools.count(1)


def reserved(item: Item) -> Item:
    """Gives the item distinct non-zero reserved fields: they must come back as read."""
    n = next(_counter)
    item.reserved_word = (0x8000 + 7 * n) & 0xFFFF
    item.reserved_longs = ((0x80000000 + 11 * n) & 0xFFFFFFFF, (0xFFFFFFFF - 13 * n) & 0xFFFFFFFF)
    return item


def key(*tail: int) -> bytes:
    return bytes(8 - len(tail)) + bytes(tail)


def record(values=(), note=b"", **kw) -> Item:
    vals = [bytes(v) for v in values] + [b""] * (6 - len(values))
    return reserved(Item("CRecord", values=vals, note=note, **kw))


def type_item(name: bytes, labels=(), cls="CTypeItem", **kw) -> Item:
    labs = [bytes(v) for v in labels] + [b""] * (6 - len(labels))
    return reserved(Item(cls, name=name, values=labs, **kw))


def category(name: bytes, **kw) -> Item:
    return reserved(Item("CCategoryItem", name=name, **kw))


def framed(db: Database) -> Database:
    db.reserved_long = 0xDEADBEEF
    db.reserved_word = 0x8001  # a signed word: -32767
    db.reserved_longs = (0x7FFFFFFF, 0xFFFFFFFF)
    return db


# ---------------------------------------------------------------------------------------------
# Content shared by several files


def rich_content(schema: int) -> Database:
    """Types, categories and records that use every field the given item schema stores."""
    current = schema not in (1, 2, 4)
    k = (lambda *b: key(*b)) if not current else (lambda *b: bytes([0x9A, 0xBC, 0x01, 0x02, 0x3A, 0x4F, 0x80]) + bytes(b[-1:]))
    types = [
        type_item(b"Wallet \x80\x9f\xff", [b"Owner \xe9", b"PIN", b"", b"Bank \x8a", b"", b"\xff" * 3], key=k(0x12, 0x34), icon=200, mask=0x0012, old_byte3=0xA5),
        type_item(b"Accounts", [b"Login", b"Password"], key=k(0xFE, 0x01), icon=7, mask=0xFFFF),
    ]
    categories = [
        category(b"Travel \xe0\x85", key=k(0x00, 0x77), icon=9, old_byte3=0x5A),
        category(b"Home" + HIGH[:16], key=k(0xAB, 0xCD), icon=255),
    ]
    records = [
        # First values of lengths 0, 1, 2 and 3: the older layouts encipher from an even offset.
        record([b"", b"second \xe9", b"x" * 40], b"line one\nline two\n\nlast", key=k(0x12, 0x34), icon=3, old_byte3=0xFF, extra=0xBEEF),
        record([b"A", HIGH[:60], HIGH[60:]], b"\n", key=k(0xFE, 0x01), icon=255, extra=1),
        record([b"Ab", b"", b"", b"", b"", b"sixth"], b"", icon=0),
        record([b"Abc" + UNDEFINED, b"tab\there", b"cr\rlf\n"], HIGH + b"\n" + CONTROLS.replace(b"\n", b"").replace(b"\r", b""), key=k(0x00, 0x01), icon=17),
    ]
    if current:
        records[0].category_key = categories[0].key
        records[0].mask = 0x0005
        records[1].category_key = bytes(range(0xF8, 0x100))
        records[1].mask = 0xFFFF
        records[1].custom_labels = [b"", b"Own \x9c", b"", b"", b"", HIGH[-5:]]
        records[2].icon = 0xFFFF
        records[3].custom_labels = [b""] * 6  # all six present, all empty
    for item in types + categories + records:
        item.record_number = 0x01000000 + next(_counter)
        item.modified = item.record_number & 1
    return Database(types=types, categories=categories, records=records)


def with_schema(db: Database, schema: int, password: bytes | None) -> Database:
    db.schemas = {"CRecord": schema, "CTypeItem": schema, "CCategoryItem": schema}
    db.password = password
    return db


def v4_content() -> Database:
    """A version 4 file: types as CTypeItem and the older CCategory objects, a zero-key type."""
    types = [
        type_item(b"Memberships old", [b"Number", b"", b"Since"], key=key(0x00, 0x0C), cls="CCategory", icon=35, record_number=501, modified=1),
        type_item(b"Zero key", [b"gone"], key=key(0, 0), cls="CCategory", record_number=502),
        type_item(b"Cards \x80", [b"Card #", b"Exp \xe9"], key=key(0x10, 0x06), icon=3, record_number=503,
                  columns=Columns(3, [(5, 300, 0, 1)] * 15, b"\x12\x34")),
        type_item(b"Deleted type", [], key=key(0x10, 0x07), cls="CCategory", deleted=1, modified=0x0100, old_byte3=0x99),
        type_item(b"Also zero", [b"x"], key=key(0, 0), icon=4, columns=Columns(15, [(1, 2, 3, 4)] * 15, b"\xff\xff")),
        type_item(b"Big icon", [b"a", b"b", b"c", b"d", b"e", b"f"], key=key(0xFE, 0xFD), icon=255, mask=0x3F),
    ]
    records = [
        record([b"Gym", b"12345", b"2001"], b"front desk\nask for \x80\n", key=key(0x00, 0x0C), icon=35, record_number=601, modified=1),
        record([b"", b"", b"", b"", b"", b"\xff"], b"", record_number=602, deleted=1, icon=0),
        record([HIGH[:30], HIGH[30:70], HIGH[70:]], b"\n\n", key=key(0x10, 0x06), icon=3, record_number=0xFFFFFFFF),
    ]
    return Database(version=4, types=types, records=records)


# ---------------------------------------------------------------------------------------------
# The fixtures

PASSWORD = "Tessarin pass"
PASSWORD_HIGH = "s\u00e9same \u20ac"  # Windows-1252 E9 and 80 once converted


def fixtures():
    """(name, database, password text or None, digest only)"""
    yield "empty", Database(), None, False
    yield "empty_password", Database(password=b"ab"), "ab", False
    yield "built_ins", tdb.new_database(), None, False
    yield "built_ins_password", tdb.new_database(PASSWORD.encode()), PASSWORD, False

    for schema in (1, 2, 3, 4, 5):
        yield f"schema{schema}", framed(with_schema(rich_content(schema), schema, None)), None, False
        pw = PASSWORD_HIGH if schema in (1, 5) else PASSWORD
        db = with_schema(rich_content(schema), schema, tdb.text_to_cp1252(pw))
        yield f"schema{schema}_password", framed(db), pw, False

    # One schema per class, each class differently.
    db = rich_content(5)
    old = rich_content(1)
    db.records, db.categories = old.records, old.categories
    db.schemas = {"CRecord": 2, "CTypeItem": 5, "CCategoryItem": 4}
    db.password = PASSWORD.encode()
    yield "schemas_mixed_password", db, PASSWORD, False

    # Schema numbers that name no older layout read as the current one.
    db = with_schema(rich_content(5), 0, None)
    db.schemas["CTypeItem"] = 6
    yield "schemas_other", db, None, False

    db = framed(rich_content(5))
    db.handheld_name = b"Palm " + HIGH + CONTROLS
    db.types[0].name = b"Name " + HIGH + CONTROLS
    db.types[0].values = [HIGH + b" label", b"", CONTROLS, b"", b"", UNDEFINED]
    db.categories[1].name = b"Cat " + HIGH
    db.records[0].values = [HIGH] * 6
    db.records[0].note = HIGH + b"\n" + HIGH
    db.records[0].custom_labels = [HIGH[i * 21 : (i + 1) * 21] for i in range(6)]
    yield "high_bytes", db, None, False
    db = copy.deepcopy(db)
    db.password = tdb.text_to_cp1252(PASSWORD_HIGH)
    yield "high_bytes_password", db, PASSWORD_HIGH, False

    notes = [
        b"",
        b"one line",
        b"lf\nonly\n",
        b"cr lf\r\nin the packed form\r\n",
        b"\n",
        b"\n\n\nempty lines\n\n",
        b"lone\rcr and\r\r\nmixed\n\r",
        b"\x85\n\x80\n\xa0",
    ]
    records = [record([b"note %d" % i, b"value\nwith lf", b"value\r\nwith cr lf"], n) for i, n in enumerate(notes)]
    yield "notes", Database(records=records), None, False
    yield "notes_password", Database(records=copy.deepcopy(records), password=PASSWORD.encode()), PASSWORD, False

    labels = [
        None,
        [b""] * 6,
        [b"", b"", b"Only third", b"", b"", b""],
        [b"L1", b"L2 \xe9", b"L3", b"L4", b"L5", b"L6 " + HIGH[:8]],
        [b"", b"", b"", b"", b"", b"last"],
    ]
    records = [record([b"r%d" % i], b"n" if i % 2 else b"", custom_labels=c) for i, c in enumerate(labels)]
    yield "custom_labels", Database(records=records, password=PASSWORD.encode()), PASSWORD, False

    # Flags as words: any non-zero value is set, the high byte alone included.
    words = [(0, 0), (1, 0), (0, 1), (1, 1), (0x0100, 0x8000), (0xFFFF, 2)]
    numbers = [0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x12345678]
    icons = [0, 1, 255, 256, 0x8000, 0xFFFF]
    masks = [0, 1, 0x3F, 0x40, 0x8000, 0xFFFF]
    records = [
        record([b"flags %d" % i], b"", modified=m, deleted=d, record_number=n, icon=ic, mask=mk, key=key(i, 0xA0 + i), category_key=key(0x80 | i, 0, i))
        for i, ((m, d), n, ic, mk) in enumerate(zip(words, numbers, icons, masks))
    ]
    types = [
        type_item(b"T%d" % i, [b"f"], key=bytes([i] * 8), modified=m, deleted=d, record_number=n, icon=ic, mask=mk,
                  columns=Columns(i * 3, [(c, 24 + c, c & 1, c % 3) for c in range(15)], b"\0\0"))
        for i, ((m, d), n, ic, mk) in enumerate(zip(words, numbers, icons, masks))
    ]
    categories = [
        category(b"C%d" % i, key=bytes([0xF0 | i] * 8), modified=m, deleted=d, record_number=n, icon=ic)
        for i, ((m, d), n, ic, mk) in enumerate(zip(words, numbers, icons, masks))
    ]
    yield "framing_fields", framed(Database(records=records, types=types, categories=categories)), None, False

    # Sorting by name after loading; among equal names the later one comes first.
    types = [type_item(n, key=key(i + 1)) for i, n in enumerate(
        [b"Same", b"Mango", b"Same", b"Apple \xff", b"", b"Apple", b"Same", b"Mango \x80", b"Zulu", b"Banana"])]
    types[3].deleted = 1
    categories = [category(n, key=key(0x40 + i)) for i, n in enumerate([b"Work", b"Home", b"Work", b"Archive", b"Home"])]
    yield "sorting", Database(types=types, categories=categories), None, False
    db = v4_content()
    db.types = [type_item(b"Dup", key=key(9, i + 1), cls="CCategory") for i in range(3)] + [type_item(b"Alpha", key=key(9, 9))]
    db.schemas = {"CCategory": 1}
    yield "sorting_v4", db, None, False

    # The record list: dates, masked numbers, dotted numbers and words to sort by; ties broken by
    # the next columns; Unfiled records, a record of a type that no longer exists, a deleted one.
    # (Items made directly, not by the helpers, leave the other files' reserved fields as they are.)
    labels = [b"Date", b"PIN", b"Address", b"Word", b"", b""]
    login = Item("CTypeItem", name=b"Login", values=labels, key=key(0x10), mask=0b10)
    card = Item("CTypeItem", name=b"Card", values=[b"Expires"] + [b""] * 5, key=key(0x11))
    home = Item("CCategoryItem", name=b"Home", key=key(0x20))
    work = Item("CCategoryItem", name=b"Work", key=key(0x21))
    rows = [  # type, category, mask, values, note
        (login, work, 0b10, [b"1/2/2004", b"-5", b"10.0.0.2", b"apple"], b""),
        (login, home, 0b10, [b"5/1/2004", b"10", b"9.255.255.255", b"Banana"], b""),
        (card, home, 0, [b"12/1/2003", b"1.5", b"1.2.3.4", b"cherry"], b"see the apple\npie"),
        (None, None, 0, [b"06/2004", b"3", b"192.168.1.1", b"apple"], b""),
        (login, None, 0b10, [b"03/06", b"-0.5", b"10.0.0.2", b"banana"], b""),
        (card, work, 0, [b"2004", b"9", b"1.2.3.4", b"Apple"], b""),
        (login, work, 0b10, [b"8/8/2008", b"apple", b"apple", b"apple"], b"apple"),
        (None, work, 0b10, [b"7/4/2004", b"", b"", b"date"], b""),
    ]
    records = [
        Item("CRecord", values=v + [b""] * 2, note=n, key=t.key if t else bytes(8),
             category_key=c.key if c else bytes(8), mask=m)
        for t, c, m, v, n in rows
    ]
    records[6].deleted = 1
    records[7].key = key(0x12)  # names no type
    yield "record_list", Database(types=[login, card], categories=[home, work], records=records), None, False

    # Archive strings: each length prefix form at its edges, and the wide form.
    for length in (254, 255, 0xFFFD, 0xFFFE):
        piece = b"Handheld " + HIGH if length < 0x100 else b"Handheld \x80\xe9\xff " + bytes(range(0x20, 0x7F))
        name = piece * (length // len(piece) + 1)
        yield f"handheld_name_{length}", Database(handheld_name=name[:length]), None, False
    wide = "Palm \u00e9\u20ac\u0178 wide"
    yield "handheld_name_wide", Database(handheld_name=tdb.text_to_cp1252(wide), handheld_wide=wide), None, False
    wide = ("\u00c5ngstr\u00f6m \u2122 " * 40)[:300]
    yield "handheld_name_wide_300", Database(handheld_name=tdb.text_to_cp1252(wide), handheld_wide=wide), None, False

    # Packed forms past 65,536 + 22 bytes: block count and checksum length wrap at 65536.
    note = bytes(((i * 7919) % 94) + 0x21 if i % 61 else 0x0A for i in range(70000))
    for schema in (5, 4):
        db = Database(records=[record([b"long"], note, key=key(1, 1)), record([b"after"], b"short")], password=PASSWORD.encode())
        db.schemas = {"CRecord": schema}
        yield f"long_note_schema{schema}_password", db, PASSWORD, False

    # Version 4 and older: no handheld name, no categories; types become CTypeItems.
    for schemas, suffix in (({"CCategory": 1, "CTypeItem": 4, "CRecord": 4}, ""), ({"CCategory": 2, "CTypeItem": 5, "CRecord": 1}, "_mixed")):
        db = framed(v4_content())
        db.schemas = schemas
        yield "v4" + suffix, db, None, False
        db = copy.deepcopy(db)
        db.password = tdb.text_to_cp1252(PASSWORD_HIGH)
        yield "v4" + suffix + "_password", db, PASSWORD_HIGH, False
    yield "v4_empty", Database(version=4), None, False
    db = v4_content()
    db.version = 1
    db.schemas = {"CCategory": 2, "CTypeItem": 2, "CRecord": 2}
    db.password = PASSWORD.encode()
    yield "v1", db, PASSWORD, False
    # A CCategory in the current layout reads nothing, so its key is zero and it is dropped; a
    # CCategoryItem in the types list becomes a type like any other.
    db = Database(version=4, password=PASSWORD.encode())
    db.types = [
        type_item(b"", cls="CCategory", packed=bytes(range(40)), record_number=7),
        type_item(b"From category", key=key(3, 3), cls="CCategoryItem", record_number=8),
        type_item(b"Plain type", [b"l"], key=key(3, 4)),
    ]
    yield "v4_category_objects", db, PASSWORD, False

    # Large lists: counts past 0xFFFF and class numbers from 0x7FFF on take their long forms.
    db = Database(version=4)
    db.schemas = {"CRecord": 1}
    db.records = [Item("CRecord", icon=i & 0xFF, record_number=i, key=key(0, i & 0x0F)) for i in range(32765)]
    db.types = [type_item(b"Type %c" % c, key=key(1, c)) for c in b"CAB"]
    yield "class_number_7fff", db, None, True
    db = Database(version=4)
    db.schemas = {"CRecord": 1, "CCategory": 1}
    db.records = [Item("CRecord", icon=i % 251, record_number=70000 - i) for i in range(0xFFFF)]
    db.types = [type_item(b"Kind %c" % c, key=key(2, c), cls="CCategory") for c in b"YX"]
    db.password = PASSWORD.encode()
    yield "records_65535", db, PASSWORD, True


def bad_fixtures():
    """(name, file bytes, password text or None): files that must fail to load."""
    base = Database(
        records=[record([b"one"], b"note"), record([b"two"])],
        types=[type_item(b"Type", [b"a"], key=key(1, 1))],
        categories=[category(b"Cat", key=key(2, 2))],
        handheld_name=b"Palm",
    )
    good = tdb.write_file(base)
    first_length = 63 + 2 + 2 + 2 + 7  # the first record's packed length, after its class
    yield "truncated_in_header", good[:45], None
    yield "truncated_in_packed_form", good[: first_length + 4 + 10], None
    yield "truncated_in_columns", good[: good.index(b"CCategoryItem") - 2 - 60], None
    yield "truncated_before_categories", good[: good.index(b"CCategoryItem") - 8], None
    yield "truncated_in_handheld_name", good[:47] + b"Pa", None
    protected = tdb.write_file(Database(records=base.records, password=PASSWORD.encode()))
    yield "truncated_with_password", protected[:-3], PASSWORD

    def variant(records=None, types=None, version=5):
        db = copy.deepcopy(base)
        db.version = version
        if records is not None:
            db.records = records
        if types is not None:
            db.types = types
        return tdb.write_file(db)

    r1, r2 = base.records
    yield "unknown_class", variant(records=[r1, Item("CFoo", packed=bytes(36))]), None
    long_name = Item("CTypeItem" + "x" * 55, packed=bytes(36))
    yield "class_name_too_long", variant(types=[long_name]), None
    yield "back_reference", variant(records=[r1, Ref(2)]), None
    yield "null_reference", variant(records=[r1, Ref(0)]), None
    yield "class_reference_to_an_object", variant(records=[r1, Ref(0x8002)]), None
    yield "class_reference_out_of_range", variant(records=[r1, Ref(0x8009)]), None
    yield "object_reference_out_of_range", variant(records=[r1, Ref(0x0050)]), None
    yield "class_reference_long_out_of_range", variant(records=[r1, Ref(0x7FFF, 0x80001000)]), None
    long_packed = bytearray(good)
    long_packed[first_length : first_length + 4] = (0xFFFFFFF0).to_bytes(4, "little")
    yield "packed_length_past_end", bytes(long_packed), None
    yield "record_count_past_end", good[:61] + b"\xff\xff\xff\xff\xff\xff" + good[63:], None


# ---------------------------------------------------------------------------------------------


def _names_safe(items: list) -> None:
    """Every two names order the same under any collation: they are equal, one begins the other,
    or they first differ in two ASCII letters of one case or two digits."""
    for a, b in itertools.combinations([i.name for i in items if isinstance(i, Item)], 2):
        i = next((n for n, (x, y) in enumerate(zip(a, b)) if x != y), None)
        if i is None:
            continue
        x, y = chr(a[i]), chr(b[i])
        ok = (x.isupper() and y.isupper()) or (x.islower() and y.islower()) or (x.isdigit() and y.isdigit())
        assert ok and x.isascii() and y.isascii(), (a, b)


def _same(written: Database, read: Database) -> None:
    """The reader gives back what the writer was given."""
    a, b = copy.deepcopy(written), copy.deepcopy(read)
    for db in (a, b):
        present = {i.cls for i in db.records + db.types + db.categories}
        db.schemas = {k: v for k, v in db.schemas.items() if v != 5 and k in present}
        db.check_block = None
        for item in db.records + db.types + db.categories:
            schema = db.schemas.get(item.cls, 5)
            if item.packed is not None:
                item.__init__(item.cls)  # only the raw bytes were written
                continue
            if schema in (1, 2, 4):
                item.mask, item.category_key, item.custom_labels = 0, bytes(8), None
            elif item.cls == "CCategoryItem":
                item.icon = 0
            if schema not in (1, 2):
                item.extra = 0
            if schema not in (1, 2, 4):
                item.old_byte3 = 0
            if schema != 4:
                item.v4_checksum = 0
            if item.cls == "CRecord" and item.custom_labels is not None and schema in (1, 2, 4):
                item.custom_labels = None
    assert a == b, "round trip differs"


def _digest(data: bytes) -> str:
    return f"fnv1a64 {tdb.fnv1a64(data):016x} {len(data)}\n"


def main() -> None:
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "tests", "data", "tdb")
    os.makedirs(out, exist_ok=True)
    for old in os.listdir(out):
        if os.path.isfile(os.path.join(out, old)):
            os.remove(os.path.join(out, old))

    def put(name: str, data: bytes | str) -> None:
        with open(os.path.join(out, name), "wb") as f:
            f.write(data.encode() if isinstance(data, str) else data)

    total = 0
    for name, db, password, large in fixtures():
        assert (password is None) == (not db.password), name
        _names_safe(db.types)
        _names_safe(db.categories)
        data = tdb.write_file(db)
        read = tdb.read_file(data, db.password)
        assert read.trailing == 0, name
        _same(db, read)
        dump = tdb.dump_json(read).encode()
        put(name + ".tdb", data)
        put(name + (".digest" if large else ".json"), _digest(dump) if large else dump)
        if password is not None:
            put(name + ".password", password + "\n")
        if db.version < 5:
            upgraded = tdb.saved_after_upgrade(read)
            names = [t.name for t in read.types]
            if len(names) == len(set(names)):  # each load reverses equal names
                assert tdb.dump_json(tdb.read_file(upgraded, db.password)).encode() == dump, name
            put(name + ".upgraded", _digest(upgraded))
        total += len(data) + (0 if large else len(dump))
    for name, data, password in bad_fixtures():
        try:
            tdb.read_file(data, tdb.text_to_cp1252(password) if password else None)
        except tdb.FormatError:
            pass
        else:
            raise AssertionError(f"{name} reads")
        put(name + ".bad", data)
        if password is not None:
            put(name + ".password", password + "\n")
        total += len(data)
    print(f"{total} bytes written to {os.path.normpath(out)}")


if __name__ == "__main__":
    main()
