#include "core/analysis/profits.h"

#include "core/analysis/listcolumns.h"
#include "core/bills/singleprecision.h"
#include "core/dataset/dataset.h"
#include "core/format/displayformats.h"
#include "core/format/numberformat.h"

#include <algorithm>

namespace hemu {

namespace {

/// Fixed notation with two decimals and no thousands separators; nothing that rounds to
/// zero shows a minus sign.
QString fixed2(double value)
{
    QString text = QString::number(value, 'f', 2);
    if (text == QLatin1String("-0.00"))
        text.remove(0, 1);
    return text;
}

double percentOf(double part, double whole)
{
    return whole > 0 ? part * 100.0 / whole : 0.0;
}

void addCategoryName(Dataset &list, Dataset *catalogs)
{
    list.addLookupField(QStringLiteral("CataName"), catalogs, QStringLiteral("CataID"), QStringLiteral("Catalog"),
                        QStringLiteral("CataID"))
        .setCaption(QStringLiteral("类别"));
    list.fieldByName(QStringLiteral("CataID")).setVisible(false);
}

} // namespace

Profits::Profits(Database &db, QObject *parent)
    : QObject(parent)
{
    qCatalogs = new QueryDataset(db, QStringLiteral("qCatalogs"), QStringLiteral("SELECT CataID, Catalog FROM Catalogs"), this);
    qProfits = new QueryDataset(db, QStringLiteral("qProfits"), profitsSql(), this);
    qAllProfit = new QueryDataset(db, QStringLiteral("qAllProfit"), allProfitSql(), this);
    qCataStatictic = new QueryDataset(db, QStringLiteral("qCataStatictic"), categorySql(), this);

    const char *money = DisplayFormats::Cents;
    describeColumns(*qProfits, {{"CataID", "类别码"},
                                {"GoodID", "产品码"},
                                {"Description", "品名型号"},
                                {"SoldMny", "营业额", money},
                                {"Sold", "数量", money},
                                {"CostAvgPrice", "进货均价", money},
                                {"CostMny", "进货成本", money},
                                {"surProfit", "毛利", money},
                                {"proRate", "毛利率", money}});
    addCategoryName(*qProfits, qCatalogs);
    qProfits->fieldByName(QStringLiteral("GoodID")).setVisible(false);
    qProfits->setFieldOrder({QStringLiteral("CataID"), QStringLiteral("CataName")});

    describeColumns(*qAllProfit, {{"AllSoldMny", "营业额", money},
                                  {"AllSoldQty", "销售数量", money},
                                  {"AvgCostPrice", "平均成本价", money},
                                  {"AllCostMny", "购入成本", money},
                                  {"AllProfit", "毛利", money},
                                  {"proRate", "毛利率", money}});

    describeColumns(*qCataStatictic, {{"CataID", "类别码"}, {"sSoldMny", "营业额", money}});
    addCategoryName(*qCataStatictic, qCatalogs);
}

QString Profits::profitsSql()
{
    // The counters are NOT NULL; an average price may be empty, and so then are the cost,
    // the profit and the margin.
    return QStringLiteral("SELECT g.CataID, g.GoodID, g.Description, g.SoldMny, g.Sold, a.CostAvgPrice, "
                          "g.Sold * a.CostAvgPrice AS CostMny, "
                          "g.SoldMny - g.Sold * a.CostAvgPrice AS surProfit, "
                          "(g.SoldMny - g.Sold * a.CostAvgPrice) / g.SoldMny AS proRate "
                          "FROM Goods g INNER JOIN GoodsAvgPrice a ON g.GoodID = a.GoodID "
                          "WHERE g.SoldMny <> 0 "
                          "ORDER BY g.GoodID");
}

QString Profits::allProfitSql()
{
    // Sales that add up to 0 have no margin: the division gives NULL, shown as 0.
    return QStringLiteral("SELECT sum(g.SoldMny) AS AllSoldMny, sum(g.Sold) AS AllSoldQty, "
                          "avg(a.CostAvgPrice) AS AvgCostPrice, "
                          "sum(g.Sold * a.CostAvgPrice) AS AllCostMny, "
                          "sum(g.SoldMny) - sum(g.Sold * a.CostAvgPrice) AS AllProfit, "
                          "(sum(g.SoldMny) - sum(g.Sold * a.CostAvgPrice)) / sum(g.SoldMny) AS proRate "
                          "FROM Goods g INNER JOIN GoodsAvgPrice a ON g.GoodID = a.GoodID "
                          "WHERE g.SoldMny <> 0");
}

QString Profits::categorySql()
{
    return QStringLiteral("SELECT c.CataID, sum(g.SoldMny) AS sSoldMny "
                          "FROM Goods g INNER JOIN Catalogs c ON g.CataID = c.CataID "
                          "GROUP BY c.CataID ORDER BY c.CataID");
}

DatasetError Profits::reopen(Dataset *list)
{
    list->close();
    // Both lists look the names up in qCatalogs: it is re-read in place, never closed under
    // the other list.
    DatasetError e = qCatalogs->isOpen() ? qCatalogs->refresh() : qCatalogs->open();
    if (e.ok())
        e = list->open();
    return e;
}

DatasetError Profits::open()
{
    return reopen(qProfits);
}

DatasetError Profits::openCategories()
{
    return reopen(qCataStatictic);
}

void Profits::close()
{
    qProfits->close();
    qAllProfit->close();
    qCataStatictic->close();
    qCatalogs->close();
}

DatasetError Profits::filterCategory(std::optional<int> cataId)
{
    if (!cataId)
        return qProfits->setFiltered(false);
    // The id is a number from the category list, never typed text.
    DatasetError e = qProfits->setFilter(QStringLiteral("CataID = %1").arg(*cataId));
    if (e.ok())
        e = qProfits->setFiltered(true);
    return e;
}

QStringList Profits::selectionLines(const QList<int> &rows) const
{
    QList<int> inOrder;
    for (int row : rows) {
        if (row >= 0 && row < qProfits->rowCount() && !qProfits->isPendingRow(row))
            inOrder.append(row);
    }
    if (inOrder.isEmpty())
        return {};
    std::sort(inOrder.begin(), inOrder.end());
    inOrder.erase(std::unique(inOrder.begin(), inOrder.end()), inOrder.end());

    const int sold = qProfits->fieldIndex(QStringLiteral("Sold"));
    const int soldMny = qProfits->fieldIndex(QStringLiteral("SoldMny"));
    const int cost = qProfits->fieldIndex(QStringLiteral("CostMny"));
    const int profit = qProfits->fieldIndex(QStringLiteral("surProfit"));
    const int description = qProfits->fieldIndex(QStringLiteral("Description"));
    // The running sums are kept in single precision, as the totals of the bills are.
    double sumSold = 0, sumSoldMny = 0, sumCost = 0, sumProfit = 0;
    QStringList names;
    for (int row : std::as_const(inOrder)) {
        sumSold = addSingle(sumSold, qProfits->value(row, sold).toDouble());
        sumSoldMny = addSingle(sumSoldMny, qProfits->value(row, soldMny).toDouble());
        sumCost = addSingle(sumCost, qProfits->value(row, cost).toDouble());
        sumProfit = addSingle(sumProfit, qProfits->value(row, profit).toDouble());
        names.append(qProfits->value(row, description).toString());
    }
    return {QStringLiteral("选项:"),
            names.join(QStringLiteral(", ")),
            QStringLiteral(" "),
            QStringLiteral("选项合计:"),
            QString(),
            QStringLiteral("销售数量%1,营业额%2,成本额%3,毛利%4")
                .arg(fixed2(sumSold), fixed2(sumSoldMny), fixed2(sumCost), fixed2(sumProfit))};
}

QStringList Profits::allProfitLines(DatasetError *error)
{
    QStringList lines{QStringLiteral("当前经营状况："), QString(14, QLatin1Char('-'))};
    qAllProfit->close();
    const DatasetError e = qAllProfit->open();
    if (error)
        *error = e;
    if (e.failed())
        return lines;
    for (Field *f : qAllProfit->fields()) {
        // With nothing sold the sums are empty: every figure shows as 0.00.
        const double value = qAllProfit->isEmpty() ? 0.0 : f->asFloat();
        lines.append(f->caption() + QLatin1Char(':') + fixed2(value));
    }
    return lines;
}

QList<Profits::Share> Profits::pieSlices() const
{
    QList<Share> shares;
    double whole = 0;
    const int name = qCataStatictic->fieldIndex(QStringLiteral("CataName"));
    const int sales = qCataStatictic->fieldIndex(QStringLiteral("sSoldMny"));
    for (int row = 0; row < qCataStatictic->rowCount(); ++row) {
        const double value = qCataStatictic->value(row, sales).toDouble();
        if (value > 0) {
            shares.append({qCataStatictic->value(row, name).toString(), value});
            whole += value;
        }
    }
    for (Share &s : shares)
        s.percent = percentOf(s.value, whole);
    std::stable_sort(shares.begin(), shares.end(), [](const Share &a, const Share &b) {
        return a.value != b.value ? a.value > b.value : a.label < b.label;
    });
    return shares;
}

namespace PieText {

namespace {
QString valueText(double value)
{
    static const NumberFormat format(QStringLiteral("#,##0.##"));
    return format.format(value);
}

QString percentText(double percent)
{
    static const NumberFormat format(QStringLiteral("##0.##"));
    return format.format(percent) + QStringLiteral(" %");
}
} // namespace

QString mark(PieLabels labels, double value, double percent)
{
    return labels == PieLabels::Value ? valueText(value) : percentText(percent);
}

QString legend(PieLabels labels, const QString &label, double value, double percent)
{
    switch (labels) {
    case PieLabels::Start:
        return label + QStringLiteral("  ") + valueText(value);
    case PieLabels::Percent:
        return percentText(percent) + QStringLiteral("  ") + label;
    case PieLabels::Value:
        break;
    }
    return valueText(value) + QStringLiteral("  ") + label;
}

} // namespace PieText

} // namespace hemu
