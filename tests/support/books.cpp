#include "support/books.h"

#include <QtTest>

namespace hemu::test {

Books::Books(int goodsCount)
{
    base = std::make_unique<BaseData>(prompter);
    tab = std::make_unique<TabData>(*base);
    if (!db().open(set.path()))
        qFatal("cannot open the test account set");
    for (int i = 1; i <= goodsCount; ++i)
        db().exec(QStringLiteral("INSERT INTO Goods(GoodID, Description, UnitID, CataID) VALUES (?, ?, 1, 1)"),
                  {i, QStringLiteral("货品%1").arg(i)});
    for (int i = 1; i <= 5; ++i) {
        db().exec(QStringLiteral("INSERT INTO Customers(CustID, CustName) VALUES (?, ?)"), {i, QStringLiteral("客户%1").arg(i)});
        db().exec(QStringLiteral("INSERT INTO Vendors(VendorID, VendorName) VALUES (?, ?)"), {i, QStringLiteral("供货方%1").arg(i)});
    }
    db().exec(QStringLiteral("INSERT INTO Units(UnitID, Unit) VALUES (1, '个')"));
    db().exec(QStringLiteral("INSERT INTO Catalogs(CataID, Catalog) VALUES (1, '饮料')"));
    base->user() = CurrentUser{1, 0, QStringLiteral("管理员"), QStringLiteral("系统管理员")};
    if (const auto failure = base->registry().openTables())
        qFatal("cannot open %s", qPrintable(failure->message()));
}

Books::Books(const QString &path)
{
    base = std::make_unique<BaseData>(prompter);
    tab = std::make_unique<TabData>(*base);
    if (!db().open(path))
        qFatal("cannot open the account set of the other program");
    base->user() = CurrentUser{1, 0, QStringLiteral("管理员"), QStringLiteral("系统管理员")};
    if (const auto failure = base->registry().openTables())
        qFatal("cannot open %s", qPrintable(failure->message()));
}

Books::~Books()
{
    base->registry().closeAll();
}

int Books::bill(BillKind kind, int party, const QList<Line> &lines, const QString &date)
{
    Dataset *h = tab->header(kind);
    h->append();
    h->setValue(QStringLiteral("CustID"), party);
    h->setValue(QStringLiteral("TabDate"), date);
    const DatasetError e = h->post();
    if (e.failed())
        return -1;
    for (const Line &l : lines)
        line(kind, l);
    return h->value(QStringLiteral("TabID")).toInt();
}

DatasetError Books::line(BillKind kind, const Line &l)
{
    Dataset *d = tab->detail(kind);
    DatasetError e = d->append();
    if (e.ok())
        e = d->setValue(QStringLiteral("GoodID"), l.goods);
    if (e.ok())
        e = d->setValue(QStringLiteral("Qty"), l.qty);
    if (e.ok())
        e = d->setValue(QStringLiteral("Price"), l.price);
    if (e.ok())
        e = d->post();
    return e;
}

bool Books::gotoBill(BillKind kind, int tabId)
{
    return tab->header(kind)->locate(QStringLiteral("TabID"), tabId);
}

bool Books::gotoLine(BillKind kind, int itemNo)
{
    return tab->detail(kind)->locate(QStringLiteral("ItemNo"), itemNo);
}

double Books::goods(const QString &column, int goodId) const
{
    return base->MyADOCnn().scalar(QStringLiteral("SELECT %1 FROM Goods WHERE GoodID = ?").arg(column), {goodId}).toDouble();
}

QVariant Books::cust(const QString &column, int goodId, int custId) const
{
    return base->MyADOCnn().scalar(QStringLiteral("SELECT %1 FROM GoodsInCusts WHERE GoodID = ? AND CustID = ?").arg(column),
                                   {goodId, custId});
}

} // namespace hemu::test
