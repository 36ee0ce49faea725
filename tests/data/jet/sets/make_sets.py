#!/usr/bin/env python3
"""Writes old-format (Jet 4) account sets for the converter tests, and beside demo.xb
demo.xb.expected.json: every table as the converted account set must hold it.

    python3 tests/data/jet/sets/make_sets.py            the committed fixtures (demo.xb, wrongcounter.xb)
    python3 tests/data/jet/sets/make_sets.py --bench FILE [--lines N]
                                                        a large set for hemu-bench --jet (N bill lines,
                                                        300000 by default; not committed)

demo.xb is shaped like a company's books: categories (one with a picture), areas, units,
vendors, customers, departments, employees (one with a photograph), users with passwords, the
owner's row, goods with their counters, customer stock, bills of the three kinds with lines, an
invoice; Chinese text stored plain and "compressed", a deleted and a moved row, the database
password "71953". Its counters agree with its bills. wrongcounter.xb is the same set with one
counter that does not (Goods 1 HandInc is 5 too high).

Expected values in the JSON: null, integers, strings (dates as the program writes them:
'yyyy-MM-dd' at midnight, otherwise 'yyyy-MM-dd HH:mm:ss'), {"real": BITS} with the 16 hex
digits of the double, {"blob": BASE64}, and for the passwords {"password": PLAIN}: the
converted set stores a hash that PLAIN must verify against.

Needs jet4gen.py, found as tests/data/jet/make_fixtures.py finds it."""
import base64, datetime, json, os, struct, sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import make_fixtures as F  # noqa: E402  (finds jet4gen and puts it on sys.path)
import jet4gen as J  # noqa: E402

D = datetime.datetime
C = J.Col


def auto(name):
    return C(name, J.LONG, auto=True, nullable=False)


# The old account set's tables, as every old file holds them.
SCHEMA = {
    "Catalogs": [auto("CataID"), C("Catalog", J.TEXT, 90), C("Remark", J.TEXT, 100), C("Picture", J.OLE)],
    "Areas": [auto("AreaID"), C("AreaName", J.TEXT, 40)],
    "Units": [C("UnitID", J.LONG, nullable=False), C("Unit", J.TEXT, 10)],
    "Vendors": [auto("VendorID"), C("VendorName", J.TEXT, 90), C("AreaID", J.LONG), C("Address", J.TEXT, 90),
                C("Zip", J.TEXT, 20), C("Telephone", J.TEXT, 90), C("Fax", J.TEXT, 30), C("Preferred", J.BOOL)],
    "Customers": [auto("CustID"), C("AreaID", J.LONG), C("CustName", J.TEXT, 90), C("Address", J.TEXT, 100),
                  C("Telephone", J.TEXT, 100), C("Fax", J.TEXT, 30), C("Manager", J.TEXT, 20), C("RegDate", J.DATETIME)],
    "Departments": [auto("CustID"), C("Department", J.TEXT, 90), C("Address", J.TEXT, 90), C("Telphone", J.TEXT, 50),
                    C("Manager", J.TEXT, 20)],
    "Employees": [auto("EmpID"), C("DeptID", J.LONG), C("Employee", J.TEXT, 90), C("Sex", J.TEXT, 4), C("Age", J.INT),
                  C("BirthDay", J.DATETIME), C("Address", J.TEXT, 100), C("Telphone", J.TEXT, 100), C("Picture", J.OLE)],
    "UserRoles": [C("RoleID", J.INT, nullable=False), C("Role", J.TEXT, 50), C("Description", J.MEMO)],
    "psd": [auto("UserID"), C("Password", J.TEXT, 10), C("RoleID", J.INT)],
    "UserInfo": [auto("id"), C("Name", J.TEXT, 100), C("Address", J.TEXT, 50), C("闸帐月", J.LONG), C("闸帐日", J.LONG),
                 C("结转时间", J.DATETIME)],
    "DisplayStyle": [C("DataFormat", J.TEXT, 50)],
    "Goods": [auto("GoodID"), C("Description", J.TEXT, 90), C("BarCode", J.TEXT, 100), C("CataID", J.LONG),
              C("UnitID", J.LONG), C("VendorID", J.LONG), C("CustID", J.LONG), C("TaxRate", J.DOUBLE),
              C("CostPrice", J.DOUBLE), C("SellPrice", J.DOUBLE), C("HardOrder", J.LONG), C("InUse", J.BOOL),
              C("IsZero", J.BOOL), C("EnterDate", J.DATETIME), C("EnterDeptID", J.LONG), C("flag", J.LONG),
              C("DiffCheck", J.DOUBLE)]
             + [C(n, J.DOUBLE) for n in ("PrevOnHand", "PrevOnHandMny", "HandInc", "HandIncMny", "CustHandInc",
                                         "CustHandIncMny", "PrevOnCustHand", "PrevOnCustHandMny", "Sold", "SoldMny")],
    "GoodsInCusts": [C("GoodID", J.LONG), C("CustID", J.LONG)]
                    + [C(n, J.DOUBLE) for n in ("PrevOnHand", "PrevOnHandMny", "HandInc", "HandIncMny", "Sold", "SoldMny")],
    "GoodsAvgPrice": [C("GoodID", J.LONG), C("CostAvgPrice", J.DOUBLE), C("SellAvgPrice", J.DOUBLE)],
    "Invoices": [C("TabID", J.LONG), C("invoice", J.TEXT, 50), C("vendorid", J.LONG), C("date", J.DATETIME),
                 C("totalmny", J.DOUBLE), C("remark", J.TEXT, 100)],
    "InvoiceMx": [C("TabID", J.LONG), C("GoodID", J.DOUBLE), C("paidqty", J.DOUBLE), C("price", J.DOUBLE),
                  C("paidmny", J.DOUBLE)],
}
HEADER = [auto("TabID"), C("BookID", J.TEXT, 50), C("CustID", J.LONG), C("TabDate", J.DATETIME),
          C("RegDate", J.DATETIME), C("SumMoney", J.DOUBLE), C("Remark", J.TEXT, 100), C("ForQuery", J.INT),
          C("PersonID", J.LONG), C("KindID", J.LONG)]
SCHEMA["RuKuDan"] = HEADER + [C("invoice", J.TEXT, 20), C("invoiceMny", J.DOUBLE), C("PageID", J.LONG)]
SCHEMA["DiaoBoDan"] = HEADER + [C("PageID", J.LONG), C("PayDelay", J.LONG)]
SCHEMA["ChuKuDan"] = HEADER + [C("PageID", J.LONG), C("HowToPay", J.TEXT, 50)]
for detail in ("RuKuMx", "DiaoBoMx", "ChuKuMx"):
    SCHEMA[detail] = [C("TabID", J.LONG, nullable=False), C("ItemNo", J.LONG), C("GoodID", J.LONG), C("Price", J.DOUBLE),
                      C("Qty", J.DOUBLE)]

KINDS = (("RuKuDan", "RuKuMx", 1), ("DiaoBoDan", "DiaoBoMx", 2), ("ChuKuDan", "ChuKuMx", 3))
CARRIED = D(2005, 1, 1)


def names(table):
    return [c.name for c in SCHEMA[table]]


def converted(c, v, table):
    """The value as the converted account set holds it."""
    if table == "psd" and c.name == "Password":
        return {"password": v or ""}
    if c.type == J.BOOL:
        return 1 if v else 0
    if v is None:
        return None
    if c.type == J.DATETIME:
        r = v + datetime.timedelta(microseconds=500000)
        r = r.replace(microsecond=0)
        return r.strftime("%Y-%m-%d") if r.time() == datetime.time() else r.strftime("%Y-%m-%d %H:%M:%S")
    if c.type == J.DOUBLE:
        return {"real": struct.pack(">d", v).hex()}
    if c.type == J.OLE:
        return {"blob": base64.b64encode(bytes(v)).decode()}
    return str(v) if c.type in (J.TEXT, J.MEMO) else v


class Books:
    """The rows of every table; bills are added with their lines and the counters follow them."""

    def __init__(self):
        self.rows = {t: [] for t in SCHEMA}

    def add(self, table, values, kind="NORMAL"):
        assert len(values) == len(SCHEMA[table]), table
        self.rows[table].append(values if kind == "NORMAL" else (kind, values))

    def live(self, table):
        for r in self.rows[table]:
            kind, vals = r if isinstance(r, tuple) else ("NORMAL", r)
            if kind in ("NORMAL", "OVERFLOW"):
                yield vals

    def bill(self, kind, tab_id, book_id, cust, day, lines, kind_row="NORMAL", remark=None, extra=None):
        """lines: (GoodID, Price, Qty); SumMoney is their total."""
        header, detail, kind_id = KINDS[kind - 1]
        total = sum(p * q for _, p, q in lines)
        row = [tab_id, book_id, cust, day, day + datetime.timedelta(hours=10, minutes=15), total, remark, 0, 2, kind_id]
        row += extra or ([None, None, None] if kind == 1 else [None, None])
        self.add(header, row, kind_row)
        line_kind = "DELETED" if kind_row.startswith("DELETED") else "NORMAL"
        for n, (good, price, qty) in enumerate(lines, 1):
            self.add(detail, [tab_id, n, good, price, qty], line_kind)

    def post_counters(self):
        """Goods and customer counters as the bills after the carry-forward give them."""
        goods = {g[0]: g for g in self.live("Goods")}
        cust = {(r[0], r[1]): r for r in self.live("GoodsInCusts")}
        cols = names("Goods")
        for header, detail, kind_id in KINDS:
            heads = {h[0]: h for h in self.live(header) if h[3] > CARRIED}
            for tab, _, good, price, qty in self.live(detail):
                if tab not in heads:
                    continue
                g = goods[good]
                q, m = {1: ("HandInc", "HandIncMny"), 2: ("CustHandInc", "CustHandIncMny"), 3: ("Sold", "SoldMny")}[kind_id]
                g[cols.index(q)] += qty
                g[cols.index(m)] += qty * price
                if kind_id == 1:
                    continue
                key = (good, heads[tab][2])
                if key not in cust:
                    cust[key] = [good, heads[tab][2], 0.0, 0.0, 0.0, 0.0, 0.0, 0.0]
                    self.add("GoodsInCusts", cust[key])
                c = cust[key]
                at = 4 if kind_id == 2 else 6
                c[at] += qty
                c[at + 1] += qty * price
        for g in goods.values():
            g[cols.index("PrevOnCustHand")] = sum(c[2] for c in cust.values() if c[0] == g[0])
            g[cols.index("PrevOnCustHandMny")] = sum(c[3] for c in cust.values() if c[0] == g[0])

    def row(self, table, key):
        """The live row of `table` whose first column is `key`."""
        return next(r for r in self.live(table) if r[0] == key)

    def write(self, name, expected=True, extra=()):
        tables = [J.Table(t, SCHEMA[t], self.rows[t]) for t in SCHEMA] + list(extra)
        path = os.path.join(HERE, name) if not os.path.isabs(name) else name
        F.Writer(code_page=936, sort_order=0x0804, password="71953").build(tables, path)
        if expected:
            out = {"tables": [{"name": t, "columns": names(t),
                               "rows": [[converted(c, v, t) for c, v in zip(SCHEMA[t], r)] for r in self.live(t)]}
                              for t in SCHEMA]}
            with open(path + ".expected.json", "w", encoding="utf-8") as f:
                json.dump(out, f, ensure_ascii=False, indent=1)
        return path


def masters(b):
    b.add("Catalogs", [1, "饮料", "瓶装与罐装", F.png(24, 24, 11)])
    b.add("Catalogs", [2, F.Mixed("Snack 零食"), None, None])
    b.add("Catalogs", [3, "日用品", "", None])
    b.add("Areas", [1, "城东"])
    b.add("Areas", [2, "City West"])
    b.add("Units", [1, "箱"])
    b.add("Units", [2, "瓶"])
    b.add("Units", [5, "kg"])
    b.add("Vendors", [1, "华南食品厂", 1, "广州市天河路1号", "510000", "020-1234567", None, True])
    b.add("Vendors", [2, F.Mixed("ABC 饮料公司"), 2, None, None, None, "020-7654321", False])
    b.add("Customers", [1, 1, "东门便利店", "东门街3号", "13800000001", None, "王经理", D(2004, 5, 6)])
    b.add("Customers", [2, 2, F.Mixed("West 超市"), None, None, None, None, D(2004, 7, 8, 14, 30, 5)])
    b.add("Customers", [3, 1, "南街小卖部", None, None, None, "李", None])
    b.add("Departments", [1, "办公室", None, None, None])
    b.add("Departments", [2, "业务部", "二楼", "020-1111111", "张"])
    b.add("Employees", [1, 1, "管理员", None, None, None, None, None, None])
    b.add("Employees", [2, 2, "张三", "男", 35, D(1970, 2, 3), "北京路8号", "13900000002", F.png(40, 40, 12)])
    b.add("Employees", [3, 2, "李四", "女", 28, D(1977, 11, 30), None, None, None])
    b.add("UserRoles", [0, "系统管理员", "全部功能，包括设置用户权限。"])
    b.add("UserRoles", [1, "经理", "除设置权限以外的全部功能。" * 40])
    b.add("UserRoles", [2, "业务员", "录入单据、查看库存与行情。"])
    b.add("UserRoles", [3, "查询员", None])
    b.add("psd", [1, "", 0])
    b.add("psd", [2, "jl123", 1])
    b.add("psd", [3, "李四口令", 2])
    b.add("UserInfo", [1, "禾木商贸有限公司", "广州", 3, None, CARRIED])
    b.add("DisplayStyle", ["0.0#"])


def goods_row(gid, desc, cata, unit, cost, sell, prev, in_use=False):
    return [gid, desc, "69%011d" % gid, cata, unit, 1, 0, 17.0, cost, sell, gid * 10, in_use, False,
            D(2004, 12, 1), 1, 0, None, prev, prev * cost, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0]


def demo():
    b = Books()
    masters(b)
    b.add("Goods", goods_row(1, "可乐 330ml", 1, 1, 2.5, 3.25, 10.0))
    b.add("Goods", goods_row(2, "雪碧 500ml", 1, 2, 1.75, 2.5, 0.0), "OVERFLOW")            # moved
    b.add("Goods", goods_row(3, F.Mixed("Potato chips 薯片"), 2, 2, 4.0, 5.5, 4.0))
    b.add("Goods", goods_row(4, "已删除的商品", 2, 2, 1.0, 1.0, 0.0), "DELETED")              # deleted
    b.add("Goods", goods_row(5, "洗衣粉 1kg", 3, 5, 6.25, 8.0, 2.5, in_use=True))
    b.add("Goods", goods_row(6, "牙刷", 3, 2, 0.5, 1.25, 0.0))
    b.add("GoodsInCusts", [1, 1, 3.0, 9.75, 0.0, 0.0, 0.0, 0.0])
    b.add("GoodsInCusts", [3, 3, 1.0, 5.5, 0.0, 0.0, 0.0, 0.0])
    b.add("GoodsAvgPrice", [1, 2.5, 3.25])
    b.add("GoodsAvgPrice", [3, 4.0, None])
    b.bill(1, 1, "RK-2005-1-5", 1, D(2005, 1, 5), [(1, 2.5, 24.0), (2, 1.75, 48.0), (5, 6.25, 8.0)],
           remark="首批进货", extra=["FP-0001", 60.0, None])
    b.bill(1, 2, "RK-2005-1-9", 2, D(2005, 1, 9), [(3, 4.0, 12.0), (6, 0.5, 100.0)], kind_row="OVERFLOW")
    b.bill(1, 3, "RK-2005-1-9", 2, D(2005, 1, 9), [(3, 4.0, 99.0)], kind_row="DELETED")
    b.bill(1, 4, F.Mixed("RK-2005-2-1 补"), 1, D(2005, 2, 1), [(1, 2.25, 10.0)])
    b.bill(1, 5, "RK-2004-12-20", 1, D(2004, 12, 20), [(1, 2.5, 10.0)], remark="上期")    # before the carry-forward
    b.bill(2, 1, "CK-2005-1-10", 1, D(2005, 1, 10), [(1, 3.25, 12.0), (2, 2.5, 20.0)])
    b.bill(2, 2, "CK-2005-1-12", 2, D(2005, 1, 12), [(3, 5.5, 6.0), (1, 3.25, 4.0), (6, 1.25, 30.0)],
           extra=[None, 30])
    b.bill(3, 1, "SK-2005-1-20", 1, D(2005, 1, 20), [(1, 3.25, 8.0)], extra=[None, "现金"])
    b.bill(3, 2, "SK-2005-2-2", 2, D(2005, 2, 2, 16, 45, 30), [(3, 5.5, 2.0), (6, 1.25, 10.0)], extra=[None, "转帐"])
    b.post_counters()
    b.add("Invoices", [1, "FP-0001", 1, D(2005, 1, 6), 60.0, "一张发票"])
    b.add("InvoiceMx", [1, 1.0, 24.0, 2.5, 60.0])
    return b


def bench(path, lines):
    """A large set: 200 goods, 100 customers, bills of 10 lines each, a third of each kind."""
    b = Books()
    masters(b)
    for g in range(1, 201):
        b.add("Goods", goods_row(g, "商品%d" % g, 1 + g % 3, 1, 2.5, 3.5, 100.0))
    for c in range(4, 101):
        b.add("Customers", [c, 1, "客户%d" % c, None, None, None, None, D(2004, 1, 1)])
    bills = lines // 10
    for t in range(bills):
        kind = 1 + t % 3
        tab = t // 3 + 1
        day = D(2005, 1, 1) + datetime.timedelta(days=1 + t % 360)
        goods = [(1 + (t * 7 + i * 13) % 200, 2.5 + i, 1.0 + i) for i in range(10)]
        b.bill(kind, tab, "B-%d" % t, 1 + t % 100, day, goods)
    b.post_counters()
    b.write(path, expected=False)


def main():
    args = sys.argv[1:]
    if args and args[0] == "--bench":
        lines = int(args[args.index("--lines") + 1]) if "--lines" in args else 300000
        bench(os.path.abspath(args[1]), lines)
        return
    b = demo()
    b.write("demo.xb")
    cols = names("Goods")
    wrong = next(g for g in b.live("Goods") if g[0] == 1)
    wrong[cols.index("HandInc")] += 5.0
    b.write("wrongcounter.xb", expected=False)
    wrong[cols.index("HandInc")] -= 5.0
    b.row("RuKuDan", 4)[1] = ""
    b.row("DiaoBoDan", 2)[1] = None
    b.row("Goods", 5)[cols.index("Sold")] = None
    notes = J.Table("Notes", [C("ID", J.LONG), C("Text", J.TEXT, 50)], [[1, "便笺"], [2, "另一张"]])
    b.write("odd.xb", expected=False, extra=[notes])
    print("account sets written to", HERE)


if __name__ == "__main__":
    main()
