#pragma once

// A blank account set with a handful of rows, shared by the dataset tests.

#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QStringList>
#include <QtTest>

namespace hemu::test {

class DatasetBooks
{
public:
    DatasetBooks()
    {
        QString error;
        if (!db.open(set.path(), &error))
            qFatal("cannot open test account set: %s", qPrintable(error));
    }

    void exec(const QString &sql, const QVariantList &params = {})
    {
        QSqlError error;
        if (!db.exec(sql, params, &error))
            qFatal("fixture statement failed: %s: %s", qPrintable(sql), qPrintable(error.text()));
    }

    /// Categories 3 and 5, units 1 and 2, six goods items (category 4 and unit 9 are missing).
    void addGoods()
    {
        exec("INSERT INTO Catalogs (CataID, Catalog) VALUES (3, '水果'), (5, '蔬菜')");
        exec("INSERT INTO Units (UnitID, Unit) VALUES (1, '个'), (2, '箱')");
        exec("INSERT INTO Goods (GoodID, Description, CataID, UnitID, InUse, IsZero, flag, HardOrder, CostPrice, "
             "EnterDate, TaxRate) VALUES "
             "(1, 'Apple', 3, 1, 0, 0, 1, 2, 1.5, '2025-12-31', 0.5),"
             "(2, 'banana', 3, 2, 0, 1, 0, 1, 10, '2026-01-01', NULL),"
             "(3, 'Cherry', 5, 1, 0, 0, 1, NULL, 9, '2026-02-15', 1),"
             "(4, '苹果', 5, 9, 1, 0, 0, 3, NULL, NULL, NULL),"
             "(5, 'O''Neil', NULL, 2, 0, 0, 1, 2, 2.25, '2026-01-01', 2),"
             "(6, 'apple', 3, 1, 1, 0, 0, 1, 0, '2025-06-01', NULL)");
    }

    /// Two stock-in bills: bill 1 with lines for goods 1 and 2, bill 2 with a line for goods 3.
    void addBills()
    {
        exec("INSERT INTO RuKuDan (TabID, BookID, CustID, TabDate) VALUES (1, 'RK-1', 1, '2026-01-05'), "
             "(2, 'RK-2', 1, '2026-01-06'), (3, 'RK-3', 1, '2026-01-07')");
        exec("INSERT INTO RuKuMx (TabID, ItemNo, GoodID, Price, Qty) VALUES (1, 1, 1, 2.5, 10), (1, 2, 2, NULL, 4), "
             "(2, 1, 3, 3, 2)");
    }

    QVariant scalar(const QString &sql, const QVariantList &params = {}) { return db.scalar(sql, params); }

    TempAccountSet set;
    Database db;
};

/// Values of one field over the rows of the view, in view order.
inline QVariantList column(const Dataset &ds, const QString &field)
{
    QVariantList list;
    const int f = ds.fieldIndex(field);
    for (int r = 0; r < ds.rowCount(); ++r)
        list.append(ds.value(r, f));
    return list;
}

/// The same as integers, for readable comparisons of key columns.
inline QList<qint64> ids(const Dataset &ds, const QString &field)
{
    QList<qint64> list;
    for (const QVariant &v : column(ds, field))
        list.append(v.isNull() ? -1 : v.toLongLong());
    return list;
}

/// Every data field of every row as text, in view order: compares a view with the file.
inline QStringList dump(const Dataset &ds)
{
    QStringList rows;
    for (int r = 0; r < ds.rowCount(); ++r) {
        QStringList cells;
        for (int f = 0; f < ds.fieldCount(); ++f) {
            if (ds.field(f).isData())
                cells.append(ds.value(r, f).isNull() ? QStringLiteral("<null>") : ds.value(r, f).toString());
        }
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

} // namespace hemu::test
