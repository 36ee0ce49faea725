#pragma once

#include "core/dataset/dataseterror.h"

#include <QObject>
#include <QString>

namespace hemu {

class Database;
class Dataset;

/**
 * The goods flow: for every goods item its main-store line (opening balance, stock-in,
 * delivered to customers, on hand) and below it one line per customer holding it (opening
 * balance, received, paid for, still held), in one list ordered by goods code. Lines whose
 * counters are all zero are left out.
 */
class GoodsFlow : public QObject
{
    Q_OBJECT
public:
    explicit GoodsFlow(Database &db, QObject *parent = nullptr);

    /// The list: CustID, lkCust, CataID, lkCata, GoodID, lkGood, UnitID, lkUnit, PrevOnHand,
    /// PrevOnHandMny, HandInc, HandIncMny, sold, soldmny, OnHand, OnHandMny and Store (1 on a
    /// main-store line, 0 on a customer line).
    Dataset *Qry = nullptr;

    static QString sql();
    /// From the next open() on, the list is read a page at a time in its own order (each
    /// page one indexed read), so that a window shows its first screen without reading every
    /// line; whatever needs every row (a search, a filter, printing) reads the rest.
    void readInPages(int pageSize = 500);
    /// The columns a caller shows, in list order (Store is not among them).
    static QStringList shownFields();

    /// Reads the list again (closing it first); the filter text stays, switched as it was.
    DatasetError open();
    void close();

    /// Line `row` of the view is a main-store line.
    bool isStoreLine(int row) const;

    /// "检索": the filter off, then the first line of goods item `goodId`; false when it has
    /// none (the list stays unfiltered either way).
    bool findGoods(qint64 goodId);
    /// "过滤类别": only the lines of category `cataId`.
    DatasetError filterCategory(qint64 cataId);
    /// "过滤": the filter text in force switched on or off.
    DatasetError setFiltered(bool on);

    static QString foundText();    // 查找完毕，找到。
    static QString notFoundText(); // 查找完毕，没有。
    /// Heading of the printout.
    static QString printTitle(); // 库存变动表
};

} // namespace hemu
