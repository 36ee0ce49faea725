#pragma once

#include "core/dataset/dataseterror.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace hemu {

class Database;
class Dataset;

/**
 * What the current period earned, from the period counters of Goods and the average
 * purchase prices of GoodsAvgPrice: per goods item (`qProfits`), over all items in one row
 * (`qAllProfit`) and the sales per category (`qCataStatictic`), with the texts of the
 * selection and whole-business totals and the slices of the category chart.
 *
 * An item is listed, and counted in the totals, only when it was sold for an amount other
 * than 0 and has an average price row; the categories count every item.
 */
class Profits : public QObject
{
    Q_OBJECT
public:
    explicit Profits(Database &db, QObject *parent = nullptr);

    /// The category names the lists look up (`CataName`).
    Dataset *qCatalogs = nullptr;
    /// `CataID`, `GoodID`, `Description`, `SoldMny`, `Sold`, `CostAvgPrice`, `CostMny`
    /// (Sold × CostAvgPrice), `surProfit` (SoldMny − CostMny), `proRate` (surProfit ÷ SoldMny,
    /// a fraction), and the looked-up `CataName`.
    Dataset *qProfits = nullptr;
    /// One row: `AllSoldMny`, `AllSoldQty`, `AvgCostPrice` (plain mean of the average
    /// prices), `AllCostMny`, `AllProfit`, `proRate`.
    Dataset *qAllProfit = nullptr;
    /// Per category: `CataID`, `sSoldMny`, and the looked-up `CataName`.
    Dataset *qCataStatictic = nullptr;

    static QString profitsSql();
    static QString allProfitSql();
    static QString categorySql();

    /// Reads the per-item list again (closing it first).
    DatasetError open();
    /// Reads the per-category sales again (closing them first).
    DatasetError openCategories();
    void close();

    /// Shows only the items of category `cataId`; every item with none.
    DatasetError filterCategory(std::optional<int> cataId);

    /// The lines of the totals of rows `rows` (positions in qProfits' view, in any order):
    /// the items named, then quantity, sales, cost and profit summed in single precision.
    /// Empty when no row is given.
    QStringList selectionLines(const QList<int> &rows) const;
    /// Reads qAllProfit again and gives the lines of the whole period's totals.
    QStringList allProfitLines(DatasetError *error = nullptr);

    /// One slice of the category chart.
    struct Share
    {
        QString label;
        double value = 0;
        double percent = 0; ///< of the chart's whole, 0..100
    };
    /// The slices of the category chart from qCataStatictic: the categories that sold for
    /// more than 0 (a pie has no room for the others), in descending order of sales (equal
    /// sales by name).
    QList<Share> pieSlices() const;

private:
    /// Closes `list`, reads the category names again and opens `list`.
    DatasetError reopen(Dataset *list);
};

/** How the category chart labels its slices and legend. */
enum class PieLabels {
    Start,   ///< slices show percentages; the legend each name with its value on the right
    Percent, ///< slices show percentages; the legend each percentage on the left of the name
    Value,   ///< slices show values; the legend each value on the left of the name
};

namespace PieText {
/// The text on a slice of `value`, which is `percent` of the whole.
QString mark(PieLabels labels, double value, double percent);
/// The legend's line of a slice.
QString legend(PieLabels labels, const QString &label, double value, double percent);
} // namespace PieText

} // namespace hemu
