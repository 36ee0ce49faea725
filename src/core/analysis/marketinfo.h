#pragma once

#include "core/dataset/dataseterror.h"

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

namespace hemu {

class BaseData;
class Dataset;

/**
 * The purchase history behind the market-information window, on datasets of its own: the
 * categories and goods (with their latest and moving-average prices), per stock-in date of
 * the current goods item the average line price, the quantity and the amount bought
 * (`queryPrice`), and per stock-in date the amount bought of all goods (`qTotalMoney`).
 */
class MarketInfo : public QObject
{
    Q_OBJECT
public:
    explicit MarketInfo(BaseData &base, QObject *parent = nullptr);
    ~MarketInfo() override;

    Dataset *Cata = nullptr;
    /// Opening it opens Cata first; closing it closes Cata afterwards.
    Dataset *Goods = nullptr;
    /// TabDate, GoodID, aPrice, sQty, sMny of goods item :GoodID, captioned as the charts
    /// title their series.
    Dataset *queryPrice = nullptr;
    /// TabDate, smoney, captioned as the total chart titles its series.
    Dataset *qTotalMoney = nullptr;

    static QString priceSql();
    static QString totalMoneySql();

    /// Opens the goods (and categories) and the total amounts, then reads the current item.
    DatasetError open();
    void close();
    /// Reads queryPrice again for the current goods row (no row: no dates).
    DatasetError readItem();
    /// Reads queryPrice again for goods item `goodId` (a null one: no dates).
    DatasetError readItem(const QVariant &goodId);

    /// The goods search (kind 0 description, 1 code) on this window's goods.
    bool search(int kind, const QString &text, QString *error);

    struct Point
    {
        QDate date;
        double value = 0;
    };
    /// `field` of every row of `dates` (whose TabDate is a date) by date ascending.
    static QList<Point> series(Dataset &dates, const QString &field);

    /// Titles of the two upper charts for the current goods row.
    QString priceTitle() const;
    QString quantityTitle() const;

    /// "异常：query"
    static QString failedText();
    /// How the charts show values.
    static QString valueFormat(); // #,##0.##

private:
    BaseData &m_base;
};

} // namespace hemu
