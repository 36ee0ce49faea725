#pragma once

#include "core/reports/reportdefinition.h"

#include <QHash>
#include <optional>

namespace hemu {
class Database;
}

namespace hemu::reports {

/// The goods and stock statements of the report menu.
enum class StockReport {
    BookStock,     // 账面库存变动表
    PhysicalStock, // 实物盘存表, with a line for every customer holding the item
    MainStore,     // 主库库存变动表
    GoodsList      // 产品与库存列表
};

/// "book-stock", "physical-stock", "main-store", "goods-list".
std::optional<StockReport> stockReportFromName(const QString &name);
QString stockReportTitle(StockReport report);

/// Which goods a statement prints: one category or all, and whether items without any
/// opening balance or movement are left out (as the three stock statements do).
struct GoodsSelection
{
    std::optional<qint64> category;
    bool skipIdle = true;
};

/// What the report menu prints of `report`: the goods list shows every item of the category
/// (all categories without one), the stock statements leave out the idle items.
GoodsSelection menuSelection(StockReport report, std::optional<qint64> category = {});

/// The statement's definition; the physical stock's customer lines are read from `db`.
ReportDefinition stockReportDefinition(StockReport report, Database &db);

/// The goods rows of `selection` with their category and unit names, in category order and
/// the items' own order within a category.
std::unique_ptr<RecordSource> goodsRows(Database &db, const GoodsSelection &selection);

/// The values of the header's Variable items: "Stamp" (who prepared it) and "Date".
QHash<QString, QVariant> reportVariables(const QString &stamp, const QString &date);

} // namespace hemu::reports
