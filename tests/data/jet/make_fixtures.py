#!/usr/bin/env python3
"""Writes the Jet 4 files the reader tests read, and next to the good ones FILE.expected.json:
the staging contents hemu-jetread must produce (tables, columns, every value, the warnings).
password.xb, encoded.xb and unflagged.xb hold the rows of rows.xb and share its expected file.

The files are committed; run this only to change them:
    python3 tests/data/jet/make_fixtures.py
It needs jet4gen.py, looked for in shared/tools beside a parent directory of this one or in
the directory named by JET4GEN_DIR.

Expected values in the JSON: null, integers, strings (TEXT values, exact), {"real": BITS} with
the 16 hex digits of the double, {"blob": BASE64}."""
import base64, datetime, json, os, random, struct, sys, uuid, zlib
from decimal import Decimal

HERE = os.path.dirname(os.path.abspath(__file__))


def find_jet4gen():
    if os.environ.get("JET4GEN_DIR"):
        return os.environ["JET4GEN_DIR"]
    d = HERE
    while d != os.path.dirname(d):
        for cand in (os.path.join(d, "shared", "tools"), os.path.join(os.path.dirname(d), "shared", "tools")):
            if os.path.exists(os.path.join(cand, "jet4gen.py")):
                return cand
        d = os.path.dirname(d)
    sys.exit("jet4gen.py not found: set JET4GEN_DIR")


sys.path.insert(0, find_jet4gen())
import jet4gen as J  # noqa: E402

D = datetime.datetime
TYPE_NAMES = {J.BOOL: "BOOL", J.BYTE: "BYTE", J.INT: "INT", J.LONG: "LONG", J.MONEY: "MONEY", J.FLOAT: "FLOAT",
              J.DOUBLE: "DOUBLE", J.DATETIME: "DATETIME", J.BINARY: "BINARY", J.TEXT: "TEXT", J.OLE: "OLE",
              J.MEMO: "MEMO", J.REPID: "REPID", J.NUMERIC: "NUMERIC"}


class Mixed(str):
    """Text stored "compressed" with toggles: runs of characters 1..255 one byte each, other
    characters as UTF-16LE between 0x00 toggles (as Jet writes mixed text)."""

    def raw(self):
        out = bytearray(b"\xff\xfe"); compressed = True
        for ch in self:
            if 0 < ord(ch) < 256:
                if not compressed:
                    out.append(0); compressed = True
                out.append(ord(ch))
            else:
                if compressed:
                    out.append(0); compressed = False
                units = ch.encode("utf-16le")
                assert all(units[i] != 0 for i in range(0, len(units), 2)), "a zero low byte cannot be in a run"
                out += units
        return bytes(out)


class RawText(str):
    """Text whose stored bytes are given as they are (for bytes no writer would make)."""

    def __new__(cls, expected, raw):
        obj = str.__new__(cls, expected); obj._raw = raw
        return obj

    def raw(self):
        return self._raw


class Writer(J.Writer):
    """jet4gen's writer, plus mixed compressed text and a note of every LVAL chain it writes
    (chains[k] lists the records of the k-th chained value, first chunk first)."""

    def __init__(self, **kw):
        super().__init__(**kw)
        self.chains = []; self._records = None

    def put_lval(self, chunk, nxt=None):
        ptr = super().put_lval(chunk, nxt)
        if self._records is not None:
            self._records.append(ptr)
        return ptr

    def long_value(self, raw):
        self._records = []
        head = super().long_value(raw)
        if len(self._records) > 1:
            self.chains.append(list(reversed(self._records)))
        self._records = None
        return head

    def encode(self, c, v):
        if isinstance(v, (Mixed, RawText)):
            return v.raw() if c.type == J.TEXT else self.long_value(v.raw())
        return super().encode(c, v)


def expected_value(c, v):
    t = c.type
    if t == J.BOOL:
        return 1 if v else 0
    if v is None:
        return None
    if t in (J.BYTE, J.INT, J.LONG):
        return v
    if t == J.MONEY:
        n = int(Decimal(str(v)) * 10000)
        return ("-" if n < 0 else "") + "%d.%04d" % (abs(n) // 10000, abs(n) % 10000)
    if t == J.FLOAT:
        return {"real": struct.pack(">d", struct.unpack("<f", struct.pack("<f", v))[0]).hex()}
    if t == J.DOUBLE:
        return {"real": struct.pack(">d", v).hex()}
    if t == J.DATETIME:
        if isinstance(v, tuple):      # (stored days, expected text) for values given as raw days
            return v[1]
        r = v + datetime.timedelta(microseconds=500000)
        return "%04d-%02d-%02d %02d:%02d:%02d" % (r.year, r.month, r.day, r.hour, r.minute, r.second)
    if t in (J.TEXT, J.MEMO):
        return str(v)
    if t in (J.BINARY, J.OLE):
        return {"blob": base64.b64encode(bytes(v)).decode()}
    if t == J.REPID:
        return "{" + str(uuid.UUID(bytes_le=bytes(v))).upper() + "}"
    if t == J.NUMERIC:
        neg = v.startswith("-"); ip, _, fp = v.lstrip("-").partition(".")
        fp = (fp + "0" * c.scale)[:c.scale]
        s = str(int(ip or "0")) + ("." + fp if c.scale else "")
        return ("-" if neg and int(ip + fp) != 0 else "") + s
    raise ValueError(t)


def stored(c, v):
    """The value as jet4gen takes it (raw days for dates given with their expected text)."""
    if c.type == J.DATETIME and isinstance(v, tuple):
        return v[0]
    return v


def write(name, tables, warnings=(), expected_file=True, **writer_args):
    path = os.path.join(HERE, name)
    gen_tables = []
    expected = {"tables": [], "warnings": [{"table": t, "contains": w} for t, w in warnings]}
    for tname, cols, rows in tables:
        gen_rows = []; live = []
        for r in rows:
            kind, vals = r if isinstance(r, tuple) and isinstance(r[0], str) and r[0].isupper() else ("NORMAL", r)
            st = [stored(c, v) for c, v in zip(cols, vals)]
            gen_rows.append(st if kind == "NORMAL" else (kind, st))
            if kind in ("NORMAL", "OVERFLOW"):
                live.append([expected_value(c, v) for c, v in zip(cols, vals)])
        gen_tables.append(J.Table(tname, cols, gen_rows))
        size = lambda c: c.size // 2 if c.type == J.TEXT else c.size if c.type == J.BINARY else 0
        expected["tables"].append({
            "name": tname,
            "columns": [{"name": c.name, "jet_type": TYPE_NAMES[c.type], "size": size(c), "autonumber": int(c.auto)}
                        for c in cols],
            "rows": live})
    writer = Writer(**writer_args)
    writer.build(gen_tables, path)
    if expected_file:
        with open(path + ".expected.json", "w", encoding="utf-8") as f:
            json.dump(expected, f, ensure_ascii=False, indent=1)
    return path, writer


def png(width, height, seed):
    """A real PNG of noise (does not compress: the file stays bigger than a page)."""
    rnd = random.Random(seed)
    raw = b"".join(b"\0" + bytes(rnd.getrandbits(8) for _ in range(3 * width)) for _ in range(height))
    chunk = lambda tag, data: struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def all_types():
    C = J.Col
    cols = [C("ID", J.LONG, auto=True, nullable=False), C("Flag", J.BOOL), C("Small", J.BYTE), C("Short", J.INT),
            C("Amount", J.MONEY), C("Single", J.FLOAT), C("Price", J.DOUBLE), C("When", J.DATETIME),
            C("Bytes", J.BINARY, 16), C("Name", J.TEXT, 50), C("Plain", J.TEXT, 20, compress=False),
            C("Note", J.MEMO), C("Blob", J.OLE), C("Guid", J.REPID), C("Qty", J.NUMERIC, prec=18, scale=4),
            C("名称", J.TEXT, 30)]
    g1 = uuid.UUID("0f8fad5b-d9cb-469f-a165-70867728950e").bytes_le
    g2 = bytes(range(0xF0, 0x100))
    rows = [
        [1, True, 255, -32768, "-12.34", 0.1, 0.30000000000000004, D(2005, 3, 1, 9, 30, 15), b"\x00\x01\xfe\xff",
         "RK-2005-3-1", "plain ascii", "备注", b"\x00ole", g1, "-1234.5678", "商品名称"],
        [2, False, 0, 32767, "922337203685477.5807", 3.4028234663852886e38, 1 / 3, D(1899, 12, 30),
         b"", "", "", "", b"", g2, "0.0001", ""],
        [3, None, None, None, None, None, None, None, None, None, None, None, None, None, None, None],
        [4, True, 7, 0, "-922337203685477.5808", -1.5, 5e-324, D(1753, 1, 1, 0, 0, 1), bytes(16),
         Mixed("RK-2005 入库单 No.5"), "全角：中文", Mixed("abc中文def"), bytes([0xFF]) * 3, bytes(16),
         "99999999999999.9999", "𠀀一"],
        [5, False, 128, -1, "0", -0.0, 1.7976931348623157e308, D(2035, 12, 31, 23, 59, 59), b"\x7f" * 16,
         "ÀÉÎõü", "𠀀 and 😀", Mixed("𠀁😁 mixed"), None, None, "-0.5", "末行"],
        [6, True, 1, 1, "0.01", 1e-45, -123456789.12345679, D(1850, 6, 15, 8, 0, 0, 600000), None,
         "x", "y", "z", None, None, "0", None],
        [7, False, 2, 2, "1", 2.5, 2.0 ** 53 + 2, D(100, 1, 1), None, None, None, None, None, None, None, None],
        [8, False, 3, 3, "2", 3.5, 0.1, D(9999, 12, 31, 23, 59, 59), None, None, None, None, None, None, None, None],
        [9, False, 4, 4, "3", 4.5, 1e-300, (-1.25, "1899-12-29 06:00:00"), None, None, None, None, None, None, None, None],
        [10, False, 5, 5, "4", 5.5, 12345.678901234567, (-700000.5, None), None, None, None, None, None, None, None, None],
        [11, False, 6, 6, "5", 6.5, 1.0, D(2029, 12, 31, 23, 59, 59, 499999), None, None, None, None, None, None, None, None],
        [12, False, 9, 9, "6", 7.5, 2.0, (-0.5, "1899-12-30 12:00:00"), None, None, None, None, None, None, None, None],
        # Rounding to the second carries into the next day; a lone surrogate and half a character.
        [13, False, 10, 10, "7", 8.5, 3.0, D(2005, 2, 28, 23, 59, 59, 700000), None,
         RawText("a\ufffdb", "a\ud800b".encode("utf-16le", "surrogatepass")), RawText("x\ufffd", b"x\x00y"),
         None, None, None, None, None],
    ]
    return write("alltypes.xb", [("AllTypes", cols, rows), ("空表", [J.Col("编号", J.LONG)], [])],
                 warnings=[("AllTypes", "When：不是有效的日期"), ("AllTypes", "Name：文字中有无法识别的字符"),
                           ("AllTypes", "Plain：文字中有无法识别的字符")])


def long_values():
    C = J.Col
    cols = [C("ID", J.LONG, nullable=False), C("Remark", J.MEMO), C("Picture", J.OLE)]
    picture = png(60, 60, 7)
    assert len(picture) > 2 * 4096
    rows = [
        [1, "短备注", None],
        [2, "商品入库单明细。" * 100, picture],              # UTF-16 on one LVAL record (1600 bytes)
        [3, "长备注：" + "进货、出货、库存、应收。" * 2000, bytes(range(256)) * 40],   # chains of LVAL records
        [4, "a" * 1020, b"x" * 1001],                            # compressed memo on an LVAL record
        [5, "", b""],
        [6, None, None],
        [7, "B" * 1024 + "C", picture[:3000]],
    ]
    return write("longvalues.xb", [("Pictures", cols, rows)])


def moved_rows(name, expected_file=True, **writer_args):
    C = J.Col
    cols = [C("TabID", J.LONG, auto=True, nullable=False), C("BookID", J.TEXT, 50), C("TabDate", J.DATETIME),
            C("SumMoney", J.DOUBLE), C("Remark", J.MEMO)]
    rows = []
    for i in range(1, 401):
        vals = [i, "RK-2005-%d" % i, D(2005, 1, 1) + datetime.timedelta(hours=7 * i), i * 1.1, "行%d " % i * (i % 7)]
        kind = {3: "DELETED", 5: "OVERFLOW", 0: "NORMAL"}.get(i % 10, "NORMAL")
        if i % 50 == 7:
            kind = "DELETED_OVERFLOW"
        if i % 50 == 9:
            kind = "OVERFLOW"; vals[4] = "移到别处的长备注" * 80
        rows.append((kind, vals) if kind != "NORMAL" else vals)
    users = [C("UserID", J.LONG, auto=True, nullable=False), C("UserName", J.TEXT, 20), C("Password", J.TEXT, 10)]
    return write(name, [("RuKuDan", cols, rows), ("psd", users, [[1, "管理员", ""], [2, "jl", "jl123"]])],
                 expected_file=expected_file, **writer_args)


def slot_at(data, ptr):
    page, row = ptr >> 8, ptr & 0xFF
    return page * 4096 + (struct.unpack_from("<H", data, page * 4096 + 14 + 2 * row)[0] & 0x1FFF)


def broken_links():
    """Damage a reader must survive with a warning: a memo chain cut after its first record, a
    picture chain pointing at a record that is not there, a moved row pointing nowhere."""
    C = J.Col
    cols = [C("ID", J.LONG, nullable=False), C("Remark", J.MEMO), C("Picture", J.OLE)]
    memo = "断开的备注" * 1000
    rows = [[1, memo, png(60, 60, 3)], ("OVERFLOW", [2, "移走的行", None]), [3, "ok", None]]
    path, writer = write("brokenlinks.xb", [("Links", cols, rows)])
    data = bytearray(open(path, "rb").read())
    memo_chain, picture_chain = writer.chains
    struct.pack_into("<I", data, slot_at(data, memo_chain[0]), 0)
    struct.pack_into("<I", data, slot_at(data, picture_chain[0]), (picture_chain[1] & ~0xFF) | 0xEE)
    moved = [(p, r) for p in range(len(data) // 4096) if data[p * 4096] == 1 and data[p * 4096 + 4:p * 4096 + 8] != b"LVAL"
             for r in range(struct.unpack_from("<H", data, p * 4096 + 12)[0])
             if struct.unpack_from("<H", data, p * 4096 + 14 + 2 * r)[0] & 0xC000 == 0x4000]
    assert len(moved) == 1
    data[slot_at(data, (moved[0][0] << 8) | moved[0][1])] = 0xEE
    open(path, "wb").write(data)
    # What must come out: the memo's first record (4000 bytes of UTF-16), no picture, no row 2.
    expected = {"tables": [{"name": "Links", "columns": [
        {"name": "ID", "jet_type": "LONG", "size": 0, "autonumber": 0},
        {"name": "Remark", "jet_type": "MEMO", "size": 0, "autonumber": 0},
        {"name": "Picture", "jet_type": "OLE", "size": 0, "autonumber": 0}],
        "rows": [[1, memo[:2000], None], [3, "ok", None]]}],
        "warnings": [{"table": "Links", "contains": "Remark：备注已损坏"},
                     {"table": "Links", "contains": "Picture：对象已损坏"},
                     {"table": "Links", "contains": "找不到它移到的位置"},
                     {"table": "Links", "contains": "表定义中记有 3 行，读出了 2 行。"}]}
    with open(path + ".expected.json", "w", encoding="utf-8") as f:
        json.dump(expected, f, ensure_ascii=False, indent=1)


class CatalogTable(J.Table):
    """jet4gen's table, except that the catalog rows of the tables named in `moved` are written
    as moved rows and those in `dropped` as deleted rows (a table dropped long ago)."""
    moved, dropped = (), ()

    @property
    def rows(self):
        return self._rows

    @rows.setter
    def rows(self, rows):
        if self.name == "MSysObjects":
            rows = [("OVERFLOW", r) if r[2] in self.moved else ("DELETED", r) if r[2] in self.dropped else r
                    for r in rows]
        self._rows = rows


def catalog_rows():
    """The catalog itself with a moved row and a deleted one: walked like any table."""
    C = J.Col
    cols = [C("ID", J.LONG, nullable=False), C("Name", J.TEXT, 20)]
    CatalogTable.moved, CatalogTable.dropped = ("Kept",), ("Dropped",)
    plain_table = J.Table
    J.Table = CatalogTable
    try:
        path, _ = write("catalog.xb", [("Kept", cols, [[1, "moved catalog row"]]),
                                       ("Dropped", cols, [[2, "gone"]]),
                                       ("Plain", cols, [[3, "plain"]])])
    finally:
        J.Table = plain_table
    with open(path + ".expected.json", encoding="utf-8") as f:
        expected = json.load(f)
    expected["tables"] = [t for t in expected["tables"] if t["name"] != "Dropped"]
    with open(path + ".expected.json", "w", encoding="utf-8") as f:
        json.dump(expected, f, ensure_ascii=False, indent=1)


def main():
    all_types()
    long_values()
    broken_links()
    catalog_rows()
    rows, _ = moved_rows("rows.xb")
    # The same rows behind a database password, and with RC4-encoded pages: rows.xb.expected.json.
    moved_rows("password.xb", expected_file=False, password="71953")
    moved_rows("encoded.xb", expected_file=False, password="71953", db_key=0x5A3C9E21)
    data = open(rows, "rb").read()
    pages = len(data) // 4096
    # The places moved rows went to, without the deleted flag Jet also gives them: still read once.
    unflagged = bytearray(data)
    for p in range(pages):
        if unflagged[p * 4096] != 1:
            continue
        for r in range(struct.unpack_from("<H", unflagged, p * 4096 + 12)[0]):
            at = p * 4096 + 14 + 2 * r; slot = struct.unpack_from("<H", unflagged, at)[0]
            if slot & 0xC000 == 0x4000:
                target = struct.unpack_from("<I", unflagged, slot_at(unflagged, (p << 8) | r))[0]
                tat = (target >> 8) * 4096 + 14 + 2 * (target & 0xFF)
                struct.pack_into("<H", unflagged, tat, struct.unpack_from("<H", unflagged, tat)[0] & 0x7FFF)
    open(os.path.join(HERE, "unflagged.xb"), "wb").write(bytes(unflagged))    # rows.xb.expected.json
    # Cut in the middle of a page, and cut on a page boundary after the catalog: both damaged.
    open(os.path.join(HERE, "truncated.xb"), "wb").write(data[:len(data) - 4096 - 1000])
    open(os.path.join(HERE, "truncated-pages.xb"), "wb").write(data[:(pages - 3) * 4096])
    # Garbage over one of the table's data pages in the middle of the file.
    rnd = random.Random(21)
    page = next(p for p in range(pages // 2, pages)
                if data[p * 4096] == 1 and data[p * 4096 + 4:p * 4096 + 8] != b"LVAL"
                and struct.unpack_from("<I", data, p * 4096 + 4)[0] > 2)
    junk = bytes([0x5F]) + bytes(rnd.getrandbits(8) for _ in range(4095))
    open(os.path.join(HERE, "garbage.xb"), "wb").write(data[:page * 4096] + junk + data[(page + 1) * 4096:])
    # Not Jet 4: an SQLite file's beginning, and a Jet 3 header.
    open(os.path.join(HERE, "notjet.xb"), "wb").write(b"SQLite format 3\0" + bytes(4096 * 2 - 16))
    jet3 = bytearray(data); jet3[0x14] = 0
    open(os.path.join(HERE, "jet3.xb"), "wb").write(bytes(jet3))
    print("fixtures written to", HERE)


if __name__ == "__main__":
    main()
