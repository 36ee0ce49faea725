#pragma once

// A small set of masters the pickers list: two areas, customers and vendors whose names
// hold the characters a search must take literally (a quote, %, _), departments,
// employees and categories.

#include "core/db/database.h"

#include <QtTest>

namespace hemu::test {

/// Runs `statements` on the account set at `path`; the run stops at the first that fails.
inline void execOn(const QString &path, const QStringList &statements)
{
    Database db(QStringLiteral("masterbooks"));
    QString error;
    if (!db.open(path, &error))
        qFatal("cannot open test account set: %s", qPrintable(error));
    for (const QString &sql : statements) {
        QSqlError failed;
        if (!db.exec(sql, {}, &failed))
            qFatal("fixture statement failed: %s: %s", qPrintable(sql), qPrintable(failed.text()));
    }
    db.close();
}

inline void fillMasters(const QString &path)
{
    execOn(path, {
        "INSERT INTO Areas (AreaID, AreaName) VALUES (1, '华东'), (2, '华北')",
        "INSERT INTO Customers (CustID, AreaID, CustName) VALUES (1, 1, '张三商店'), (2, 2, '李四超市'), "
        "(3, 2, '张家港百货'), (4, 1, 'O''Neil便利店'), (5, 1, '100%满意店'), (6, 2, 'A_B店'), (7, 1, 'AxB店')",
        "INSERT INTO Vendors (VendorID, VendorName, AreaID) VALUES (1, '红星工厂', 1), (2, '蓝天贸易', 2), "
        "(3, '东方厂', 2)",
        "INSERT INTO Departments (CustID, Department, Address, Telphone, Manager) VALUES "
        "(11, '业务部', '一楼', '5551001', '王经理'), (12, '仓库', '后院', '5551002', '赵主管')",
        "INSERT INTO Employees (EmpID, DeptID, Employee) VALUES (21, 11, '刘备'), (22, 12, '关羽')",
        "INSERT INTO Catalogs (CataID, Catalog) VALUES (1, '饮料'), (2, '食品'), (3, '日用')",
        // InUse set means out of use (停用).
        "INSERT INTO Goods (GoodID, CataID, Description, CostPrice, SellPrice, HandInc, InUse) VALUES "
        "(101, 1, '矿泉水', 0.75, 1.5, 100, 0), (102, 1, '老汽水', 1.2, 2.0, 0, 1), "
        "(103, 2, '饼干''甜''', 2.5, 3.25, 20, 0), (104, 2, '100%果汁饼', 3.0, 4.0, 5, 0), "
        "(105, 3, '牙膏', 6.0, 8.0, 12, 0)",
    });
}

} // namespace hemu::test
