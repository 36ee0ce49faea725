#include "core/masterdata/goodspick.h"

#include "core/dataset/dataset.h"

namespace hemu::GoodsPick {

QString categoryFilter(const QVariant &cataId, bool showOutOfUse)
{
    const QString category = QStringLiteral("CataID = %1").arg(cataId.toLongLong());
    return showOutOfUse ? category : QStringLiteral("InUse = false and ") + category;
}

DatasetError filterByCategory(Dataset &goods, const QVariant &cataId, bool showOutOfUse)
{
    const DatasetError set = goods.setFilter(categoryFilter(cataId, showOutOfUse));
    if (set.failed())
        return set;
    return goods.setFiltered(true);
}

bool outOfUse(const Dataset &goods, int row)
{
    const int index = goods.fieldIndex(QStringLiteral("InUse"));
    return index >= 0 && goods.value(row, index).toBool();
}

QString priceField(const Dataset &details)
{
    return details.name() == QLatin1String("RuKuMx") ? QStringLiteral("CostPrice") : QStringLiteral("SellPrice");
}

namespace {

/// Starts a line with `start` and puts the current goods item of `goods` into it at the
/// price a pick proposes; the line is left pending.
DatasetError putIntoLine(Dataset &details, const Dataset &goods, DatasetError (*start)(Dataset &))
{
    if (goods.currentRow() < 0)
        return {};
    const QVariant goodId = goods.value(QStringLiteral("GoodID"));
    const QVariant price = goods.value(priceField(details));
    DatasetError result = start(details);
    if (result.failed())
        return result;
    result = details.setValue(QStringLiteral("GoodID"), goodId);
    if (result.failed())
        return result;
    return details.setValue(QStringLiteral("Price"), price);
}

DatasetError appendNewLine(Dataset &details)
{
    return details.append();
}

} // namespace

DatasetError appendLine(Dataset &details, const Dataset &goods)
{
    return putIntoLine(details, goods, appendNewLine);
}

DatasetError editCurrentLine(Dataset &details)
{
    if (details.isEditing())
        return {};
    return details.currentRow() < 0 ? details.append() : details.edit();
}

DatasetError pickIntoLine(Dataset &details, const Dataset &goods)
{
    return putIntoLine(details, goods, editCurrentLine);
}

} // namespace hemu::GoodsPick
