"""A second, independent reader and writer of the Tessarin database file (TessarinDatabase.tdb).

Written apart from the C++ store so that the two can check each other: make_fixtures.py writes files
with it together with the dump that tessarin-cli must print for them, and check_file.py reads any
file and prints that dump. Python 3 standard library only; speed does not matter here.

A file is described by a Database holding Items, each field as it lies in the file (notes with LF
line ends, flags as their raw 16-bit words, strings as Windows-1252 bytes). write_file turns a
Database into bytes and read_file turns bytes back into the same Database. loaded() applies what the
program does after reading (version 4 upgrade, sorting, CR LF notes, ...), and dump_json prints the
result the way `tessarin-cli dump` does.
"""

from __future__ import annotations

import copy
import struct
from dataclasses import dataclass, field

# ---------------------------------------------------------------------------------------------
# Blowfish


def _pi_words(count: int) -> list[int]:
    """The first `count` 32-bit words of the fractional hexadecimal digits of pi (Machin)."""
    bits = 32 * count + 64

    def arctan_inv(x: int) -> int:
        power = (1 << bits) // x
        total, n, sign, x2 = power, 1, -1, x * x
        while power:
            power //= x2
            n += 2
            total += sign * (power // n)
            sign = -sign
        return total

    pi = 16 * arctan_inv(5) - 4 * arctan_inv(239)
    fraction = (pi - (3 << bits)) >> 64
    return [(fraction >> (32 * (count - 1 - i))) & 0xFFFFFFFF for i in range(count)]


_INITIAL = _pi_words(18 + 4 * 256)
assert _INITIAL[0] == 0x243F6A88 and _INITIAL[17] == 0x8979FB1B


class Blowfish:
    def __init__(self, key: bytes):
        if not key:
            key = b"\0"  # an empty key takes the NUL at its address every time
        self.p = list(_INITIAL[:18])
        self.s = [list(_INITIAL[18 + 256 * i : 18 + 256 * (i + 1)]) for i in range(4)]
        j = 0
        for i in range(18):
            word = 0
            for _ in range(4):
                word = (word << 8) | key[j]
                j = (j + 1) % len(key)
            self.p[i] ^= word
        left = right = 0
        for i in range(0, 18, 2):
            left, right = self.encipher(left, right)
            self.p[i], self.p[i + 1] = left, right
        for box in self.s:
            for i in range(0, 256, 2):
                left, right = self.encipher(left, right)
                box[i], box[i + 1] = left, right

    def _f(self, x: int) -> int:
        s = self.s
        h = (s[0][x >> 24] + s[1][(x >> 16) & 255]) & 0xFFFFFFFF
        return ((h ^ s[2][(x >> 8) & 255]) + s[3][x & 255]) & 0xFFFFFFFF

    def encipher(self, left: int, right: int) -> tuple[int, int]:
        for i in range(16):
            left ^= self.p[i]
            right ^= self._f(left)
            left, right = right, left
        left, right = right, left
        return left ^ self.p[17], right ^ self.p[16]

    def decipher(self, left: int, right: int) -> tuple[int, int]:
        for i in range(17, 1, -1):
            left ^= self.p[i]
            right ^= self._f(left)
            left, right = right, left
        left, right = right, left
        return left ^ self.p[0], right ^ self.p[1]

    def blocks(self, buf: bytearray, start: int, length: int, encipher: bool) -> None:
        """Whole 8-byte blocks of buf from start, the length taken modulo 65536."""
        count = (length & 0xFFFF) // 8
        if start + 8 * count > len(buf):
            raise FormatError(f"{count} blocks from {start} run past a buffer of {len(buf)}")
        op = self.encipher if encipher else self.decipher
        for k in range(count):
            at = start + 8 * k
            left, right = struct.unpack_from(">II", buf, at)
            struct.pack_into(">II", buf, at, *op(left, right))


# Eric Young's vectors and the variable key length ones (key, plaintext, ciphertext).
_VECTORS = [
    ("0000000000000000", "0000000000000000", "4EF997456198DD78"),
    ("FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"),
    ("3000000000000000", "1000000000000001", "7D856F9A613063F2"),
    ("0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"),
    ("FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"),
    ("F0", "FEDCBA9876543210", "F9AD597C49DB005E"),
    ("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210", "05044B62FA52D080"),
]


def self_test() -> None:
    for key, plain, expected in _VECTORS:
        bf = Blowfish(bytes.fromhex(key))
        buf = bytearray.fromhex(plain)
        bf.blocks(buf, 0, 8, True)
        assert buf.hex().upper() == expected, (key, buf.hex())
        bf.blocks(buf, 0, 8, False)
        assert buf.hex().upper() == plain
    assert crc16(b"123456789", 0xFFFF) == 0x29B1  # CRC-16/CCITT-FALSE


# ---------------------------------------------------------------------------------------------
# Checksum, filler, check block

_CRC_TABLE = []
for _i in range(256):
    _c = _i << 8
    for _ in range(8):
        _c = ((_c << 1) ^ 0x1021) if _c & 0x8000 else (_c << 1)
    _CRC_TABLE.append(_c & 0xFFFF)


def crc16(data: bytes, crc: int = 1259) -> int:
    for b in data:
        crc = _CRC_TABLE[(crc >> 8) ^ b] ^ ((crc << 8) & 0xFFFF)
    return crc


class Filler:
    """The never-seeded generator whose numbers fill the last 7 bytes of a packed form."""

    def __init__(self):
        self.state = 1

    def byte(self) -> int:
        self.state = (self.state * 214013 + 2531011) & 0xFFFFFFFF
        return (((self.state >> 16) & 0x7FFF) >> 4) & 0xFF

    def bytes7(self) -> bytes:
        return bytes(self.byte() for _ in range(7))


CHECK_PHRASE = b"Keyring check phrase for a locked file.\0"
assert len(CHECK_PHRASE) == 40


def check_block(password: bytes | None) -> bytes:
    if not password:
        return bytes(40)
    block = bytearray(CHECK_PHRASE)
    Blowfish(password).blocks(block, 0, 40, True)
    return bytes(block)


# ---------------------------------------------------------------------------------------------
# Text

_CP1252_HIGH = (
    "\u20ac\x81\u201a\u0192\u201e\u2026\u2020\u2021\u02c6\u2030\u0160\u2039\u0152\x8d\u017d\x8f"
    "\x90\u2018\u2019\u201c\u201d\u2022\u2013\u2014\u02dc\u2122\u0161\u203a\u0153\x9d\u017e\u0178"
)


def cp1252_to_text(raw: bytes) -> str:
    """Windows-1252 to text; the five undefined bytes stand for the code points of equal value."""
    return "".join(_CP1252_HIGH[b - 0x80] if 0x80 <= b < 0xA0 else chr(b) for b in raw)


def text_to_cp1252(text: str) -> bytes:
    out = bytearray()
    for ch in text:
        if ord(ch) < 0x80 or 0xA0 <= ord(ch) <= 0xFF:
            out.append(ord(ch))
        elif ch in _CP1252_HIGH:
            out.append(0x80 + _CP1252_HIGH.index(ch))
        else:
            raise ValueError(f"{ch!r} has no Windows-1252 byte")
    return bytes(out)


# ---------------------------------------------------------------------------------------------
# Description of a file

FIELDS = 6
KNOWN_CLASSES = ("CDatabaseObj", "CBaseItem", "CCategory", "CTypeItem", "CCategoryItem", "CRecord")
DEFAULT_COLUMNS = [(0, 27, 1, 1), (1, 140, 1, 0), (2, 140, 1, 0)]
DEFAULT_COLUMNS += [(c, 85, 1, 0) for c in range(3, 9)] + [(9, 24, 1, 1)] + [(0, 0, 0, 0)] * 5


class FormatError(Exception):
    """Malformed content: the program must refuse the file."""


@dataclass
class Columns:
    count: int = 10
    entries: list = field(default_factory=lambda: list(DEFAULT_COLUMNS))
    tail: bytes = b"\0\0"


@dataclass
class Item:
    """One object of a list, as it lies in the file. `key` is a record's type key."""

    cls: str
    key: bytes = bytes(8)
    name: bytes = b""
    values: list = field(default_factory=lambda: [b""] * FIELDS)  # record values or type labels
    icon: int = 24
    mask: int = 0
    category_key: bytes = bytes(8)
    note: bytes = b""  # as packed: lines end in LF
    custom_labels: list | None = None  # None: not in the packed form
    record_number: int = 0
    modified: int = 0  # the raw 16-bit words
    deleted: int = 0
    extra: int = 0  # item schema 1-2 only: the word read and discarded
    reserved_word: int = 0
    reserved_longs: tuple = (0, 0)
    columns: Columns | None = None  # CTypeItem only
    old_byte3: int = 0  # the ignored byte of the older layouts
    v4_checksum: int = 0  # bytes 4-5 of the item schema 4 layout
    packed: bytes | None = None  # written as is instead of packing the fields
    # Filled by the reader, not compared: the packed form as it was after deciphering.
    plain: bytes | None = field(default=None, compare=False)

    def __post_init__(self):
        if self.cls == "CTypeItem" and self.columns is None:
            self.columns = Columns()


@dataclass
class Ref:
    """A raw 16-bit tag (and 32-bit number after 0x7FFF) in a list, where an object should be."""

    tag: int
    big: int | None = None


@dataclass
class Database:
    version: int = 5
    password: bytes | None = None  # Windows-1252 bytes; None or empty: no password
    check_block: bytes | None = None  # None: from the password
    reserved_long: int = 0
    reserved_word: int = 0  # as the unsigned 16-bit word in the file
    reserved_longs: tuple = (0, 0)
    handheld_name: bytes = b""
    handheld_wide: str | None = None  # written in the FF FE FF form, converted on reading
    records: list = field(default_factory=list)
    types: list = field(default_factory=list)
    categories: list = field(default_factory=list)  # not written below version 5
    schemas: dict = field(default_factory=dict)  # class name -> schema number written, default 5


# ---------------------------------------------------------------------------------------------
# Packed forms


def _cstr(s: bytes) -> bytes:
    assert b"\0" not in s, s
    return s + b"\0"


def _is_record(cls: str) -> bool:
    return cls == "CRecord"


def _has_name(cls: str) -> bool:
    return cls in ("CCategory", "CTypeItem", "CCategoryItem")


def pack(item: Item, schema: int, bf: Blowfish | None, filler: Filler) -> bytes:
    """The packed form as stored: checksum, filler and encipherment included."""
    if item.packed is not None:
        return item.packed
    if schema in (1, 2, 4):
        buf = bytearray(struct.pack(">HBB", int.from_bytes(item.key[6:8], "big"), item.icon, item.old_byte3))
        assert item.key[:6] == bytes(6) and item.icon < 256
        if schema == 4:
            buf += struct.pack(">H", item.v4_checksum)
        if _has_name(item.cls):
            buf += _cstr(item.name)
        for v in item.values:
            buf += _cstr(v)
        if _is_record(item.cls):
            buf += _cstr(item.note)
        if bf and schema == 4:
            bf.blocks(buf, 6, len(buf) - 6, True)
        elif bf and _is_record(item.cls):
            start = 5 + len(item.values[0])
            length = len(buf) - start
            if start % 2:
                start, length = start + 1, length - 1
            bf.blocks(buf, start, length, True)
        return bytes(buf)

    buf = bytearray(b"\0\0" + item.key)
    if item.cls == "CTypeItem":
        buf += struct.pack(">HH", item.icon, item.mask) + bytes(8) + _cstr(item.name)
        for v in item.values:
            buf += _cstr(v)
    elif item.cls == "CCategoryItem":
        buf += bytes(12) + _cstr(item.name)
    elif item.cls == "CRecord":
        buf += item.category_key + struct.pack(">HH", item.icon, item.mask)
        for v in item.values:
            buf += _cstr(v)
        buf += _cstr(item.note)
        if item.custom_labels is not None:
            for v in item.custom_labels:
                buf += _cstr(v)
    else:
        raise ValueError(f"{item.cls} has no packed layout; give `packed`")
    body = len(buf) & 0xFFFF  # (size - 7), counted in 16 bits
    buf += filler.bytes7()
    struct.pack_into(">H", buf, 0, crc16(bytes(buf[:body])))
    if bf:
        bf.blocks(buf, 22, len(buf) - 22, True)
    return bytes(buf)


def _strings(buf: bytes, at: int, count: int, end: int | None = None) -> tuple[list, int]:
    end = len(buf) if end is None else end
    out = []
    for _ in range(count):
        nul = buf.find(b"\0", at, end)
        if nul < 0:
            raise FormatError(f"string at {at} has no NUL before {end}")
        out.append(bytes(buf[at:nul]))
        at = nul + 1
    return out, at


def unpack(item: Item, raw: bytes, schema: int, bf: Blowfish | None) -> None:
    """Fills the item's fields from its stored packed form."""
    buf = bytearray(raw)
    cls = item.cls
    if schema in (1, 2, 4):
        if len(buf) < (6 if schema == 4 else 4):
            raise FormatError("packed form shorter than its header")
        item.key = bytes(6) + bytes(buf[0:2])
        item.icon, item.old_byte3 = buf[2], buf[3]
        at = 4
        if schema == 4:
            if bf:
                bf.blocks(buf, 6, len(buf) - 6, False)
            item.v4_checksum = struct.unpack_from(">H", buf, 4)[0]
            at = 6
        if _has_name(cls):
            (item.name,), at = _strings(buf, at, 1)
        if schema != 4 and bf and _is_record(cls):
            nul = buf.find(b"\0", at)
            if nul < 0:
                raise FormatError("first value has no NUL")
            start, length = nul + 1, len(buf) - (nul + 1)
            if start % 2:
                start, length = start + 1, length - 1
            bf.blocks(buf, start, length, False)
        item.values, at = _strings(buf, at, FIELDS)
        if _is_record(cls):
            (item.note,), at = _strings(buf, at, 1)
        item.plain = bytes(buf)
        return

    if cls not in ("CTypeItem", "CCategoryItem", "CRecord"):
        # No layout of its own: nothing is read, the fields keep their defaults.
        item.packed = bytes(raw)
        if bf:
            bf.blocks(buf, 22, len(buf) - 22, False)
        item.plain = bytes(buf)
        return
    if len(buf) < 22:
        raise FormatError("packed form shorter than its header")
    if bf:
        bf.blocks(buf, 22, len(buf) - 22, False)
    item.plain = bytes(buf)
    item.key = bytes(buf[2:10])
    if cls == "CTypeItem":
        item.icon, item.mask = struct.unpack_from(">HH", buf, 10)
        (item.name,), at = _strings(buf, 22, 1)
        item.values, at = _strings(buf, at, FIELDS)
    elif cls == "CCategoryItem":
        (item.name,), at = _strings(buf, 22, 1)
    else:
        item.category_key = bytes(buf[10:18])
        item.icon, item.mask = struct.unpack_from(">HH", buf, 18)
        item.values, at = _strings(buf, 22, FIELDS)
        (item.note,), at = _strings(buf, at, 1)
        item.custom_labels = None
        if at < len(buf) - 7:
            item.custom_labels, at = _strings(buf, at, FIELDS)


def verify_packed(plain: bytes) -> list[str]:
    """Checksum of a current packed form after deciphering; problems as text."""
    size = len(plain)
    body = bytearray(plain[: (size - 7) & 0xFFFF])
    body[0:2] = b"\0\0"
    stored = int.from_bytes(plain[0:2], "big")
    if crc16(bytes(body)) != stored:
        return [f"checksum {stored:04x}, expected {crc16(bytes(body)):04x}"]
    return []


# ---------------------------------------------------------------------------------------------
# Archive writing


class _Writer:
    def __init__(self):
        self.out = bytearray()
        self.number = 0  # the last number given to a class or an object
        self.classes: dict[str, int] = {}

    def u8(self, v):
        self.out += struct.pack("<B", v)

    def u16(self, v):
        self.out += struct.pack("<H", v)

    def u32(self, v):
        self.out += struct.pack("<I", v)

    def string(self, s: bytes, wide: str | None = None):
        if wide is not None:
            self.u8(0xFF)
            self.u16(0xFFFE)
            units = wide.encode("utf-16-le")
            self._length(len(units) // 2)
            self.out += units
            return
        self._length(len(s))
        self.out += s

    def _length(self, n):
        if n < 0xFF:
            self.u8(n)
        elif n < 0xFFFE:
            self.u8(0xFF)
            self.u16(n)
        else:
            self.u8(0xFF)
            self.u16(0xFFFF)
            self.u32(n)

    def count(self, n):
        if n < 0xFFFF:
            self.u16(n)
        else:
            self.u16(0xFFFF)
            self.u32(n)

    def begin_object(self, cls: str, schema: int):
        number = self.classes.get(cls)
        if number is None:
            self.u16(0xFFFF)
            self.u16(schema)
            self.u16(len(cls))
            self.out += cls.encode("latin-1")
            self.number += 1
            self.classes[cls] = self.number
        elif number < 0x7FFF:
            self.u16(0x8000 | number)
        else:
            self.u16(0x7FFF)
            self.u32(0x80000000 | number)
        self.number += 1


def _write_item(w: _Writer, item: Item, schema: int, bf, filler: Filler):
    w.begin_object(item.cls, schema)
    packed = pack(item, schema, bf, filler)
    w.u32(len(packed))
    w.out += packed
    w.u32(item.record_number)
    w.u16(item.modified)
    w.u16(item.deleted)
    if schema in (1, 2):
        w.u16(item.extra)
    w.u16(item.reserved_word)
    w.u32(item.reserved_longs[0])
    w.u32(item.reserved_longs[1])
    if item.cls == "CTypeItem":
        c = item.columns
        w.u32(c.count)
        assert len(c.entries) == 15 and len(c.tail) == 2
        for col, width, visible, flag in c.entries:
            w.out += struct.pack("<HHBB", col, width, visible, flag)
        w.out += c.tail


def write_file(db: Database, filler: Filler | None = None) -> bytes:
    filler = filler or Filler()
    bf = Blowfish(db.password) if db.password else None
    w = _Writer()
    block = db.check_block if db.check_block is not None else check_block(db.password)
    assert len(block) == 40
    w.out += block
    w.u32(db.reserved_long)
    w.u16(db.version)
    if db.version == 5:
        w.string(db.handheld_name, db.handheld_wide)
    w.u16(db.reserved_word)
    w.u32(db.reserved_longs[0])
    w.u32(db.reserved_longs[1])
    lists = [db.records, db.types] + ([db.categories] if db.version >= 5 else [])
    for items in lists:
        w.count(len(items))
        for item in items:
            if isinstance(item, Ref):
                w.u16(item.tag)
                if item.big is not None:
                    w.u32(item.big)
            else:
                _write_item(w, item, db.schemas.get(item.cls, 5), bf, filler)
    return bytes(w.out)


# ---------------------------------------------------------------------------------------------
# Archive reading


class _Reader:
    def __init__(self, data: bytes):
        self.data = data
        self.at = 0
        self.loaded: list = [None]  # by number: ("class", name, schema) or ("object", item)

    def take(self, n: int) -> bytes:
        if self.at + n > len(self.data):
            raise FormatError(f"the file ends at {len(self.data)}, {n} bytes wanted at {self.at}")
        out = self.data[self.at : self.at + n]
        self.at += n
        return out

    def u8(self):
        return self.take(1)[0]

    def u16(self):
        return struct.unpack("<H", self.take(2))[0]

    def u32(self):
        return struct.unpack("<I", self.take(4))[0]

    def _length(self):
        n = self.u8()
        if n < 0xFF:
            return n, False
        n = self.u16()
        if n == 0xFFFE:
            return self._length()[0], True
        if n == 0xFFFF:
            n = self.u32()
        return n, False

    def string(self) -> tuple[bytes, str | None]:
        n, wide = self._length()
        if not wide:
            return self.take(n), None
        text = self.take(2 * n).decode("utf-16-le")
        return text_to_cp1252(text), text

    def count(self):
        n = self.u16()
        return self.u32() if n == 0xFFFF else n

    def object_class(self) -> tuple[str, int]:
        """Reads the tag before an object; the class name and its schema."""
        tag = self.u16()
        if tag == 0xFFFF:
            schema = self.u16()
            length = self.u16()
            if length > 63:
                raise FormatError(f"class name of {length} bytes")
            name = self.take(length).decode("latin-1")
            if name not in KNOWN_CLASSES:
                raise FormatError(f"unknown class {name!r}")
            self.loaded.append(("class", name, schema))
            return name, schema
        if tag == 0x7FFF:
            big = self.u32()
            is_class, number = bool(big & 0x80000000), big & 0x7FFFFFFF
        else:
            is_class, number = bool(tag & 0x8000), tag & 0x7FFF
        if not is_class:
            raise FormatError(
                "null reference in a list" if number == 0 else f"reference to object {number}"
            )
        if not 0 < number < len(self.loaded) or self.loaded[number][0] != "class":
            raise FormatError(f"class reference {number} names no class")
        _, name, schema = self.loaded[number]
        return name, schema


def read_file(data: bytes, password: bytes | None = None) -> Database:
    bf = Blowfish(password) if password else None
    r = _Reader(data)
    db = Database(password=password or None)
    db.check_block = r.take(40)
    if db.check_block != check_block(password):
        raise FormatError("the password does not open this file")
    db.check_block = None
    db.reserved_long = r.u32()
    db.version = r.u16()
    if db.version == 5:
        db.handheld_name, db.handheld_wide = r.string()
    db.reserved_word = r.u16()
    db.reserved_longs = (r.u32(), r.u32())
    lists = [db.records, db.types] + ([db.categories] if db.version >= 5 else [])
    for items in lists:
        for _ in range(r.count()):
            cls, schema = r.object_class()
            if cls in ("CDatabaseObj", "CBaseItem"):
                raise FormatError(f"a {cls} object in an item list")
            if db.schemas.get(cls, 5) != schema:
                db.schemas[cls] = schema
            item = Item(cls)
            r.loaded.append(("object", item))
            raw = r.take(r.u32())
            unpack(item, raw, schema, bf)
            item.record_number = r.u32()
            item.modified, item.deleted = r.u16(), r.u16()
            if schema in (1, 2):
                item.extra = r.u16()
            item.reserved_word = r.u16()
            item.reserved_longs = (r.u32(), r.u32())
            if cls == "CTypeItem":
                count = r.u32()
                entries = [struct.unpack("<HHBB", r.take(6)) for _ in range(15)]
                item.columns = Columns(count, entries, r.take(2))
            items.append(item)
    db.trailing = len(data) - r.at
    return db


# ---------------------------------------------------------------------------------------------
# What the program holds after loading a file, and its dump


BUILT_IN_CATEGORIES = [(0x33, b"Business"), (0x34, b"Personal")]

# Key byte 7, name, the six labels, icon, masked fields (1-6).
BUILT_IN_TYPES = [
    (1, "Bank Accts", "Description|Account #|PIN|Name|Branch|Phone #", 2, [3]),
    (2, "Birthdays", "Description|Date|Field 3|Field 4|Field 5|Field 6", 23, []),
    (3, "Calling Cards", "Description|Access Number|PIN|Field 4|Field 5|Field 6", 11, [3]),
    (4, "Clothes Size", "Description|Shirt Size|Pant Size|Shoe Size|Dress Size|Field 6", 29, []),
    (5, "Combinations", "Description|Code|Field 3|Field 4|Field 5|Field 6", 22, [2]),
    (6, "Credit Cards", "Description|Card #|Exp Date|Name|PIN|Bank", 3, [2, 5]),
    (7, "Email Accts", "Description|Username|Password|POP3 Host|SMTP Host|Field 6", 18, [3]),
    (8, "Emergency Info", "Description|Phone #|Field 3|Field 4|Field 5|Field 6", 17, []),
    (9, "Frequent Flyer", "Description|Number|Name|Date|Field 5|Field 6", 16, []),
    (10, "Identification", "Description|Number|Name|Date|Field 5|Field 6", 24, [2]),
    (11, "Insurance", "Description|Policy #|Group #|Insured|Date|Phone #", 34, [2]),
    (12, "Memberships", "Description|Account #|Name|Date|Field 5|Field 6", 35, []),
    (13, "Phone Numbers", "Description|Phone #|Field 3|Field 4|Field 5|Field 6", 32, []),
    (14, "Prescriptions", "Description|RX#|Name|Doctor|Pharmacy|Phone #", 9, []),
    (15, "Serial Numbers", "Description|Serial #|Purchase Date|Reseller|Field 5|Field 6", 10, []),
    (16, "Vehicle Info", "Description|Lic Plate #|Vin #|Field 4|Field 5|Field 6", 14, []),
    (17, "Voice Mail", "Description|Access #|PIN|Field 4|Field 5|Field 6", 15, [3]),
    (18, "Web Logins", "Description|Username|Password|URL|Field 5|Field 6", 21, [3]),
]


def built_in_types() -> list:
    return [
        Item(
            "CTypeItem",
            key=bytes(7) + bytes([k]),
            name=name.encode(),
            values=[v.encode() for v in labels.split("|")],
            icon=icon,
            mask=sum(1 << (f - 1) for f in masked),
        )
        for k, name, labels, icon, masked in BUILT_IN_TYPES
    ]


def built_in_categories() -> list:
    return [Item("CCategoryItem", key=bytes(7) + bytes([k]), name=n) for k, n in BUILT_IN_CATEGORIES]


def new_database(password: bytes | None = None) -> Database:
    """What `tessarin-cli create` writes."""
    return Database(password=password, types=built_in_types(), categories=built_in_categories())


def _sort_by_name(items: list) -> list:
    """Every item re-inserted in turn before the first whose name is equal or greater, so that
    among equal names the later one comes first. Names compare as bytes: the fixtures use names
    whose order no collation changes."""
    out: list = []
    for item in items:
        at = next((i for i, o in enumerate(out) if o.name >= item.name), len(out))
        out.insert(at, item)
    return out


def loaded(db: Database) -> Database:
    """The database as the program holds it after loading the file described by db."""
    db = copy.deepcopy(db)
    old = db.version < 5
    for item in db.records:
        if db.schemas.get("CRecord", 5) in (1, 2, 4):
            item.mask, item.category_key, item.custom_labels = 0, bytes(8), None
        item.note = item.note.replace(b"\n", b"\r\n")
    for item in db.types + db.categories:
        schema = db.schemas.get(item.cls, 5)
        if schema in (1, 2, 4):
            item.mask = 0
        elif item.cls != "CTypeItem":
            item.icon = 24  # a category's packed form has no icon
    if old:
        types = []
        for item in db.types:
            if item.key == bytes(8):
                continue
            if item.cls == "CRecord":
                raise ValueError("a record in the types list is not modelled")
            t = Item("CTypeItem", key=item.key, name=item.name, values=list(item.values))
            t.icon, t.mask, t.record_number = item.icon, item.mask, item.record_number
            t.modified, t.deleted = item.modified, item.deleted
            types.append(t)
        db.types = types
        db.categories = built_in_categories()
        db.version = 5
    else:
        for item in db.types:
            if item.cls != "CTypeItem":
                raise ValueError(f"a {item.cls} in the types list of a version {db.version} file is not modelled")
        for item in db.categories:
            if item.cls != "CCategoryItem":
                raise ValueError(f"a {item.cls} in the categories list is not modelled")
    for item in db.records:
        if item.cls != "CRecord":
            raise ValueError(f"a {item.cls} in the records list is not modelled")
    db.types = _sort_by_name(db.types)
    db.categories = _sort_by_name(db.categories)
    return db


def _json_string(raw: bytes) -> str:
    out = ['"']
    for ch in cp1252_to_text(raw):
        if ch == '"':
            out.append('\\"')
        elif ch == "\\":
            out.append("\\\\")
        elif ch in JSON_ESCAPES:
            out.append(JSON_ESCAPES[ch])
        elif ord(ch) < 0x20:
            out.append(f"\\u{ord(ch):04x}")
        else:
            out.append(ch)
    out.append('"')
    return "".join(out)


JSON_ESCAPES = {"\n": "\\n", "\r": "\\r", "\t": "\\t"}  # other controls as \u00xx


def _strings_json(values) -> str:
    return "[" + ", ".join(_json_string(v) for v in values) + "]"


def _bool(v: int) -> str:
    return "true" if v else "false"


def _common(item: Item) -> list:
    longs = item.reserved_longs
    return [
        ("icon", item.icon),
        ("record_number", item.record_number),
        ("modified", _bool(item.modified)),
        ("deleted", _bool(item.deleted)),
        ("reserved", f'{{"word": {item.reserved_word}, "longs": [{longs[0]}, {longs[1]}]}}'),
    ]


def _objects(name: str, items: list, fields_of) -> str:
    """A list of objects, one field a line; each field is (key, JSON text)."""
    if not items:
        return f'  "{name}": []'
    parts = [
        "    {\n" + ",\n".join(f'      "{k}": {v}' for k, v in fields_of(i)) + "\n    }" for i in items
    ]
    return f'  "{name}": [\n' + ",\n".join(parts) + "\n  ]"


def _type_fields(t: Item) -> list:
    c = t.columns
    entries = ", ".join(f"[{a}, {b}, {v}, {f}]" for a, b, v, f in c.entries)
    head = [("key", f'"{t.key.hex()}"'), ("name", _json_string(t.name)), ("labels", _strings_json(t.values))]
    columns = ("columns", f'{{"count": {c.count}, "entries": [{entries}]}}')
    return head + [("mask", t.mask)] + _common(t) + [columns]


def _category_fields(c: Item) -> list:
    return [("key", f'"{c.key.hex()}"'), ("name", _json_string(c.name))] + _common(c)


def _record_fields(r: Item) -> list:
    labels = r.custom_labels or [b""] * FIELDS
    return [
        ("type_key", f'"{r.key.hex()}"'),
        ("category_key", f'"{r.category_key.hex()}"'),
        ("values", _strings_json(r.values)),
        ("note", _json_string(r.note)),
        ("custom_labels", _strings_json(labels)),
        ("mask", r.mask),
    ] + _common(r)


def dump_json(db: Database) -> str:
    """`tessarin-cli dump` of a file described by db, the final newline included."""
    m = loaded(db)
    block = m.check_block if m.check_block is not None else check_block(m.password)
    word = m.reserved_word - 0x10000 if m.reserved_word & 0x8000 else m.reserved_word
    parts = [
        f'  "version": {m.version}',
        f'  "check_block": "{block.hex()}"',
        f'  "handheld_name": {_json_string(m.handheld_name)}',
        f'  "reserved": {{"long": {m.reserved_long}, "word": {word}, '
        f'"longs": [{m.reserved_longs[0]}, {m.reserved_longs[1]}]}}',
        _objects("types", m.types, _type_fields),
        _objects("categories", m.categories, _category_fields),
        _objects("records", m.records, _record_fields),
    ]
    return "{\n" + ",\n".join(parts) + "\n}\n"


def saved_after_upgrade(db: Database) -> bytes:
    """The file that loading a version 4 file writes at once, from a process whose filler
    generator is fresh: items of item schema 1 and 2 are packed anew while they are read, which
    draws their filler before the save does."""
    filler = Filler()
    for item in db.records + db.types + db.categories:
        if db.schemas.get(item.cls, 5) in (1, 2):
            filler.bytes7()
    m = loaded(db)
    out = Database(
        version=5,
        password=m.password,
        check_block=m.check_block,
        reserved_long=m.reserved_long,
        reserved_word=m.reserved_word,
        reserved_longs=m.reserved_longs,
    )
    out.records, out.types, out.categories = m.records, m.types, m.categories
    for item in m.records:
        item.note = item.note.replace(b"\r", b"")
        if item.custom_labels is not None and not any(item.custom_labels):
            item.custom_labels = None
    for item in m.records + m.types + m.categories:
        item.modified, item.deleted = int(bool(item.modified)), int(bool(item.deleted))
        item.packed = None
    return write_file(out, filler)


def fnv1a64(data: bytes) -> int:
    h = 0xCBF29CE484222325
    for b in data:
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


self_test()
