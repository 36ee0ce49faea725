#pragma once

// A blank account set with three categories and five goods items, and the datasets the
// widget tests show: Cata over Catalogs and Goods over Goods with a lookup of the category
// name captioned as the lower half of a two-line title.

#include "core/dataset/dataset.h"
#include "core/db/database.h"
#include "core/prompter.h"
#include "support/testsupport.h"

#include <QtTest>
#include <memory>

namespace hemu::test {

class GoodsBooks
{
public:
    GoodsBooks()
    {
        QString error;
        if (!db.open(set.path(), &error))
            qFatal("cannot open test account set: %s", qPrintable(error));
        // Key order and name order of the categories differ (日 < 食 < 饮 by code point), so
        // a sort by the lookup's key is told apart from a sort by its text.
        exec("INSERT INTO Catalogs (CataID, Catalog) VALUES (1, '饮料'), (2, '食品'), (3, '日用')");
        exec("INSERT INTO Goods (GoodID, Description, CataID, SellPrice, HandInc, InUse, EnterDate) VALUES "
             "(1, '矿泉水', 1, 1.5, 100, 0, '2026-01-05'),"
             "(2, '饼干', 2, 3.25, 20, 0, NULL),"
             "(3, '牙膏', 3, 8, -5, 1, '2025-12-31'),"
             "(4, '可乐', 1, 2.5, 0, 0, NULL),"
             "(5, '面包', 2, 4, 12, 0, NULL)");

        cata = std::make_unique<TableDataset>(db, QStringLiteral("Cata"), QStringLiteral("Catalogs"));
        goods = std::make_unique<TableDataset>(db, QStringLiteral("Goods"), QStringLiteral("Goods"));
        goods->addDataField(QStringLiteral("GoodID")).setCaption(QStringLiteral("商品码"));
        goods->addDataField(QStringLiteral("CataID")).setCaption(QStringLiteral("类别|代码"));
        goods->addDataField(QStringLiteral("Description")).setCaption(QStringLiteral("品名型号"));
        Field &price = goods->addDataField(QStringLiteral("SellPrice"));
        price.setCaption(QStringLiteral("售价"));
        price.setDisplayFormat(QStringLiteral("0.0#;'-'0.0#;#.##"));
        goods->addDataField(QStringLiteral("HandInc")).setCaption(QStringLiteral("数量"));
        Field &inUse = goods->addDataField(QStringLiteral("InUse"));
        inUse.setCaption(QStringLiteral("停用"));
        inUse.setDataType(DataType::Boolean);
        inUse.setBooleanTexts(QStringLiteral("√"), QString());
        Field &date = goods->addDataField(QStringLiteral("EnterDate"));
        date.setCaption(QStringLiteral("日期"));
        date.setDataType(DataType::Date);
        goods->addLookupField(QStringLiteral("lkCata"), cata.get(), QStringLiteral("CataID"), QStringLiteral("Catalog"),
                              QStringLiteral("CataID"))
            .setCaption(QStringLiteral("类别|名称"));
        goods->setFieldOrder({QStringLiteral("GoodID"), QStringLiteral("CataID"), QStringLiteral("lkCata")});
        goods->addOpenDependency(cata.get());
    }

    ~GoodsBooks()
    {
        // The goods view looks up in Cata: it goes first.
        goods.reset();
        cata.reset();
    }

    void open()
    {
        const DatasetError error = goods->open();
        if (error.failed())
            qFatal("cannot open Goods: %s", qPrintable(error.message()));
    }

    void exec(const QString &sql, const QVariantList &params = {})
    {
        QSqlError error;
        if (!db.exec(sql, params, &error))
            qFatal("fixture statement failed: %s: %s", qPrintable(sql), qPrintable(error.text()));
    }

    QVariant stored(const QString &column, int goodId) const
    {
        return db.scalar(QStringLiteral("SELECT %1 FROM Goods WHERE GoodID = ?").arg(column), {goodId});
    }

    /// GoodID of every row of the goods view, in view order.
    QList<int> goodIds() const
    {
        QList<int> ids;
        const int index = goods->fieldIndex(QStringLiteral("GoodID"));
        for (int row = 0; row < goods->rowCount(); ++row)
            ids.append(goods->value(row, index).toInt());
        return ids;
    }

    /// Adds `count` goods items by one statement (for the large-view tests).
    void addManyGoods(int count)
    {
        exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
             "INSERT INTO Goods (Description, CataID, SellPrice, HandInc) "
             "SELECT '商品' || i, 1 + i % 3, i * 0.5, i % 7 - 3 FROM n",
             {count});
    }

    TempAccountSet set;
    Database db;
    ScriptedPrompter prompter;
    std::unique_ptr<TableDataset> cata;
    std::unique_ptr<TableDataset> goods;
};

} // namespace hemu::test
